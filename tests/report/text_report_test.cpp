#include <gtest/gtest.h>

#include "report/text_report.h"
#include "report_records.h"
#include "support/log_capture.h"

namespace {

class TextReport : public ::testing::Test {
protected:
    void SetUp() override { ClearTextResults(); }
    void TearDown() override { ClearTextResults(); }
    CLogCapture m_log;
};

struct LayoutCase {
    const char* szName;
    ReportOptions options;
    bool bTop20;
    const char* szKeyword;
    std::vector<URLInfo> records;
    std::string expected;
};

const std::string kEnd = "\r\n\r\n";

std::vector<LayoutCase> LayoutCases() {
    URLInfo a = Rec("http://a.example/", 5, 3, 12, 40, "http://a.example/contact", "x@a.example;", "root@a.example;");
    URLInfo b = Rec("http://b.example/page?id=1", 0, 0, 0, 0);
    return {
        {"options off", {false, false, false}, false, "seo tools", {a, b},
         "Potential link partners based on keyword(s) trawl:\"seo tools\".\r\n\r\n"
         "http://a.example/\r\nRank: 5\tEstimated: 3\tOutbound: 12\tBackward: 40\r\n\r\n\r\n"
         "http://b.example/page?id=1\r\nRank: 0\tEstimated: 0\tOutbound: 0\tBackward: 0\r\n\r\n\r\n" + kEnd},
        {"all options", {true, true, true}, false, "seo", {a},
         "Potential link partners based on keyword(s) trawl:\"seo\".\r\n\r\n"
         "http://a.example/\r\nRank: 5\tEstimated: 3\tOutbound: 12\tBackward: 40\r\n"
         "Contact Page Link: http://a.example/contact\r\n"
         "Email-Ids Found on the Page: x@a.example;\tWhoIs Information: root@a.example;\t\r\n\r\n" + kEnd},
        {"contact only", {true, false, false}, false, "k", {b},
         "Potential link partners based on keyword(s) trawl:\"k\".\r\n\r\n"
         "http://b.example/page?id=1\r\nRank: 0\tEstimated: 0\tOutbound: 0\tBackward: 0\r\n"
         "Contact Page Link: \r\n\r\n\r\n" + kEnd},
        {"e-mail and WhoIs", {false, true, true}, false, "k", {b},
         "Potential link partners based on keyword(s) trawl:\"k\".\r\n\r\n"
         "http://b.example/page?id=1\r\nRank: 0\tEstimated: 0\tOutbound: 0\tBackward: 0\r\n"
         "Email-Ids Found on the Page: \tWhoIs Information: \t\r\n\r\n" + kEnd},
        {"URL run", {false, false, false}, false, "", {b},
         "Potential link partners based on URL trawl:\r\n\r\n"
         "http://b.example/page?id=1\r\nRank: 0\tEstimated: 0\tOutbound: 0\tBackward: 0\r\n\r\n\r\n" + kEnd},
        {"backward links not measured", {false, false, false}, false, "k",
         {Rec("http://n.example/", 4, 2, 7, kNotMeasured)},
         "Potential link partners based on keyword(s) trawl:\"k\".\r\n\r\n"
         "http://n.example/\r\nRank: 4\tEstimated: 2\tOutbound: 7\tBackward: \r\n\r\n\r\n" + kEnd},
        {"empty list", {true, true, true}, false, "nothing", {},
         "Potential link partners based on keyword(s) trawl:\"nothing\".\r\n\r\n" + kEnd},
        {"empty list, URL run", {false, false, false}, false, "", {},
         "Potential link partners based on URL trawl:\r\n\r\n" + kEnd},
        {"Top-20 with marker", {true, true, true}, true, "blue widgets",
         {Marker("blue widgets"), Rec("http://one.example/", 6), Rec("http://two.example/", 4)},
         "Google Top 20 Keyword: \"blue widgets\".\r\n\r\n"
         "Ranked #1 in Google - PR:6 Source:http://one.example/\r\n"
         "Ranked #2 in Google - PR:4 Source:http://two.example/\r\n" + kEnd},
        {"Top-20 gap for an empty address", {false, false, false}, true, "k",
         {Marker("k"), Rec("http://one.example/", 6), Rec("", 5), Rec("http://three.example/", 2)},
         "Google Top 20 Keyword: \"k\".\r\n\r\n"
         "Ranked #1 in Google - PR:6 Source:http://one.example/\r\n"
         "Ranked #3 in Google - PR:2 Source:http://three.example/\r\n" + kEnd},
        {"a marker restarts the numbering", {false, false, false}, true, "k",
         {Rec("http://one.example/", 1), Marker("k"), Rec("http://two.example/", 2)},
         "Google Top 20 Keyword: \"k\".\r\n\r\n"
         "Ranked #1 in Google - PR:1 Source:http://one.example/\r\n"
         "Ranked #1 in Google - PR:2 Source:http://two.example/\r\n" + kEnd},
        {"empty address in the normal layout", {false, false, false}, false, "k",
         {Rec("", 3), b},
         "Potential link partners based on keyword(s) trawl:\"k\".\r\n\r\n"
         "http://b.example/page?id=1\r\nRank: 0\tEstimated: 0\tOutbound: 0\tBackward: 0\r\n\r\n\r\n" + kEnd},
        {"format characters are text", {false, true, false}, false, "100% %s %n",
         {Rec("http://p.example/%s%d%n", 1, 0, 0, 0, "", "%s@p.example;")},
         "Potential link partners based on keyword(s) trawl:\"100% %s %n\".\r\n\r\n"
         "http://p.example/%s%d%n\r\nRank: 1\tEstimated: 0\tOutbound: 0\tBackward: 0\r\n"
         "Email-Ids Found on the Page: %s@p.example;\t\r\n\r\n" + kEnd},
    };
}

TEST_F(TextReport, LayoutsByteForByte) {
    for (const LayoutCase& test : LayoutCases()) {
        SCOPED_TRACE(test.szName);
        ClearTextResults();
        CReportOptions options(test.options);
        CreateTextResults(test.bTop20, test.szKeyword, &test.records, true);
        EXPECT_TRUE(g_bReportExists);
        EXPECT_EQ(g_ReportIsTop20, test.bTop20);
        EXPECT_EQ(g_ReportText, test.expected);
    }
}

TEST_F(TextReport, LongestFieldsAreWrittenWhole) {
    CReportOptions options({true, true, true});
    std::string source = "http://long.example/" + std::string(kSourceSize - 21, 'a');
    std::string contact = "http://long.example/c" + std::string(kContactPageSize - 22, 'c');
    std::string email(kEmailSize - 1, 'e');
    std::string whoIs(kWhoIsSize - 1, 'w');
    std::vector<URLInfo> records = {Rec(source.c_str(), 10, -7, 99999, 2147483647, contact.c_str(), email.c_str(),
                                        whoIs.c_str())};
    ASSERT_EQ(std::string(records[0].Source), source);
    CreateTextResults(false, "k", &records, false);
    EXPECT_EQ(g_ReportText, "Potential link partners based on keyword(s) trawl:\"k\".\r\n\r\n" + source +
                                "\r\nRank: 10\tEstimated: -7\tOutbound: 99999\tBackward: 2147483647\r\n"
                                "Contact Page Link: " + contact + "\r\nEmail-Ids Found on the Page: " + email +
                                "\tWhoIs Information: " + whoIs + "\t\r\n\r\n" + kEnd);

    CreateTextResults(true, "k", &records, false);
    EXPECT_EQ(g_ReportText, "Google Top 20 Keyword: \"k\".\r\n\r\nRanked #1 in Google - PR:10 Source:" + source +
                                "\r\n" + kEnd);
}

TEST_F(TextReport, AppendStacksSectionsAndRecords) {
    CReportOptions options({false, false, false});
    std::vector<URLInfo> first = {Rec("http://1.example/", 3), Rec("", 2)};
    std::vector<URLInfo> second = {Rec("http://2.example/", 4), Rec("http://3.example/", 5)};
    CreateTextResults(false, "first", &first, true);
    std::string firstSection = g_ReportText;
    CreateTextResults(false, "second", &second, true);

    EXPECT_EQ(g_ReportText.substr(0, firstSection.size()), firstSection);
    EXPECT_EQ(g_ReportText.substr(firstSection.size()),
              "Potential link partners based on keyword(s) trawl:\"second\".\r\n\r\n"
              "http://2.example/\r\nRank: 4\tEstimated: 0\tOutbound: 0\tBackward: 0\r\n\r\n\r\n"
              "http://3.example/\r\nRank: 5\tEstimated: 0\tOutbound: 0\tBackward: 0\r\n\r\n\r\n" + kEnd);
    EXPECT_EQ(Sources(g_CurList),
              (std::vector<std::string>{"http://1.example/", "http://2.example/", "http://3.example/"}));
    EXPECT_TRUE(m_log.Holds("Skipping Url from adding"));
    EXPECT_TRUE(m_log.Holds("Skipping Invalid Urls"));
}

TEST_F(TextReport, ReplaceKeepsOnlyTheNewSection) {
    CReportOptions options({false, false, false});
    std::vector<URLInfo> earlier = {Rec("http://old.example/", 3)};
    std::vector<URLInfo> rows = {Rec("http://new.example/", 7, 1, 2, 3), Rec("", 1)};
    CreateTextResults(false, "old", &earlier, true);
    CreateTextResults(true, "older", &earlier, true);
    CreateTextResults(false, "alpha,beta", &rows, false);

    EXPECT_FALSE(g_ReportIsTop20);
    EXPECT_EQ(g_ReportText,
              "Potential link partners based on keyword(s) trawl:\"alpha,beta\".\r\n\r\n"
              "http://new.example/\r\nRank: 7\tEstimated: 1\tOutbound: 2\tBackward: 3\r\n\r\n\r\n" + kEnd);
    EXPECT_EQ(Sources(g_CurList), std::vector<std::string>{"http://new.example/"});
}

TEST_F(TextReport, TopTwentyKeywordsStackWithTheirMarkers) {
    std::vector<URLInfo> first = {Marker("red"), Rec("http://r1.example/", 3), Rec("http://r2.example/", 2)};
    std::vector<URLInfo> second = {Marker("green"), Rec("http://g1.example/", 8)};
    CreateTextResults(true, "red", &first, true);
    CreateTextResults(true, "green", &second, true);
    EXPECT_EQ(g_ReportText,
              "Google Top 20 Keyword: \"red\".\r\n\r\n"
              "Ranked #1 in Google - PR:3 Source:http://r1.example/\r\n"
              "Ranked #2 in Google - PR:2 Source:http://r2.example/\r\n" + kEnd +
              "Google Top 20 Keyword: \"green\".\r\n\r\n"
              "Ranked #1 in Google - PR:8 Source:http://g1.example/\r\n" + kEnd);
    EXPECT_EQ(Sources(g_CurList), (std::vector<std::string>{"red", "http://r1.example/", "http://r2.example/",
                                                            "green", "http://g1.example/"}));
}

TEST_F(TextReport, MissingArgumentsLeaveTheReportAlone) {
    std::vector<URLInfo> records = {Rec("http://a.example/", 1)};
    CreateTextResults(false, "k", &records, true);
    std::string before = g_ReportText;

    CreateTextResults(true, nullptr, &records, false);
    CreateTextResults(true, "k", nullptr, false);

    EXPECT_EQ(g_ReportText, before);
    EXPECT_FALSE(g_ReportIsTop20);
    EXPECT_EQ(g_CurList.size(), 1u);
    EXPECT_TRUE(m_log.Holds("Parameter passed contains NULL"));
}

TEST_F(TextReport, ClearForgetsTextAndRecords) {
    std::vector<URLInfo> records = {Rec("http://a.example/", 1)};
    CreateTextResults(false, "k", &records, true);
    ClearTextResults();
    EXPECT_FALSE(g_bReportExists);
    EXPECT_TRUE(g_ReportText.empty());
    EXPECT_TRUE(g_CurList.empty());

    // A cleared report starts over: an append after it is the first section.
    CreateTextResults(false, "", &records, true);
    EXPECT_EQ(g_ReportText.rfind("Potential link partners based on URL trawl:", 0), 0u);
}

}  // namespace
