#include <gtest/gtest.h>

#include "report/report_export.h"
#include "report_records.h"
#include "tools_rules_binding.h"

namespace {

const std::string kHead = "<HTML><head><TITLE>Pellmark search results</TITLE></head><body><br>";
const std::string kFoot = "</body></HTML>";
const std::string kNormalHeader = "#,URL,Page rank,Estimated,Outbound,Backward";

struct CsvCase {
    const char* szName;
    CsvColumns columns;
    std::vector<URLInfo> records;
    std::string expected;
};

std::vector<CsvCase> CsvCases() {
    URLInfo a = Rec("http://a.example/", 5, 3, 12, 40, "http://a.example/contact", "x@a.example;", "root@a.example;");
    URLInfo commas = Rec("http://c.example/?q=a,b,c", 2, 1, 0, 9, "http://c.example/a,b", "a@c.example;b,c@c.example;",
                         "Registrant, Inc.");
    URLInfo hostile = Rec("http://h.example/", 1, 0, 0, 0, "=HYPERLINK(\"http://evil/\")", "+1@h.example;", "@SUM(A1)");
    return {
        {"options off", {false, false, false, false}, {a, Rec("http://b.example/", 0)},
         kNormalHeader + "\n1,http://a.example/,5,3,12,40\n2,http://b.example/,0,0,0,0\n"},
        {"all options", {false, true, true, true}, {a},
         kNormalHeader + ",Contact Page ,EmailIds,WhoIs Information\n"
                         "1,http://a.example/,5,3,12,40,http://a.example/contact,x@a.example;,root@a.example;\n"},
        {"e-mail only", {false, false, true, false}, {a}, kNormalHeader + ",EmailIds\n1,http://a.example/,5,3,12,40,x@a.example;\n"},
        {"commas in the address only are escaped", {false, true, true, true}, {commas},
         kNormalHeader + ",Contact Page ,EmailIds,WhoIs Information\n"
                         "1,http://c.example/?q=a%2Cb%2Cc,2,1,0,9,http://c.example/a,b,a@c.example;b,c@c.example;,"
                         "Registrant, Inc.\n"},
        {"formula fields get a quote", {false, true, true, true}, {hostile},
         kNormalHeader + ",Contact Page ,EmailIds,WhoIs Information\n"
                         "1,http://h.example/,1,0,0,0,'=HYPERLINK(\"http://evil/\"),'+1@h.example;,'@SUM(A1)\n"},
        {"Top-20, two keywords, options off", {true, false, false, false},
         {Marker("red"), Rec("http://r1.example/", 3), Rec("http://r2.example/", 2), Marker("green"),
          Rec("http://g1.example/", 8)},
         "#,URL,Page rank\n\nred\n\n1,http://r1.example/,3\n\n2,http://r2.example/,2\n\ngreen\n\n"
         "1,http://g1.example/,8\n\n"},
        {"Top-20 with options", {true, true, true, true}, {Marker("-cheap, fast"), Rec("http://r1.example/,x", 3)},
         "#,URL,Page rank\n,Contact Page ,EmailIds,WhoIs Information\n'-cheap%2C fast\n,,,\n"
         "1,http://r1.example/%2Cx,3\n,,,\n"},
        {"a marker restarts the numbering", {false, false, false, false},
         {Rec("http://1.example/", 1), Rec("http://2.example/", 1), Marker("k"), Rec("http://3.example/", 1)},
         kNormalHeader + "\n1,http://1.example/,1,0,0,0\n2,http://2.example/,1,0,0,0\nk\n\n1,http://3.example/,1,0,0,0\n"},
        {"no records", {false, true, false, true}, {}, kNormalHeader + ",Contact Page ,WhoIs Information\n"},
        {"backward links not measured: an empty field", {false, false, false, false},
         {Rec("http://n.example/", 4, 2, 7, kNotMeasured)}, kNormalHeader + "\n1,http://n.example/,4,2,7,\n"},
    };
}

TEST(CsvExport, RowsByteForByte) {
    for (const CsvCase& test : CsvCases()) {
        SCOPED_TRACE(test.szName);
        EXPECT_EQ(BuildCsvReport(test.records, test.columns), test.expected);
    }
}

// An address that escapes to more than the row buffer holds is cut at a
// whole character; the figures and the line end always stay.
TEST(CsvExport, OverlongRowKeepsFiguresAndLineEnd) {
    std::string source = "http://x.example/?" + std::string(kSourceSize - 19, ',');
    std::vector<URLInfo> records = {Rec(source.c_str(), 7, 6, 5, 4, "", "e@x.example;"), Rec("http://next.example/", 1)};
    for (bool bTop20 : {false, true}) {
        SCOPED_TRACE(bTop20 ? "Top-20" : "normal");
        std::string csv = BuildCsvReport(records, {bTop20, false, true, false});
        std::size_t nRowStart = csv.find("1,");
        std::string figures = bTop20 ? ",7\n" : ",7,6,5,4";
        std::size_t nFigures = csv.find(figures + ",e@x.example;\n", nRowStart);
        ASSERT_NE(nFigures, std::string::npos);
        EXPECT_LE(nFigures + figures.size() - nRowStart, kCsvRowSize - 1);
        std::string address = csv.substr(nRowStart + 2, nFigures - nRowStart - 2);
        EXPECT_EQ(address.rfind("http://x.example/?%2C%2C", 0), 0u);
        EXPECT_EQ((address.size() - 18) % 3, 0u) << "an escape was cut in half";
        EXPECT_NE(csv.find("2,http://next.example/,1"), std::string::npos);
    }
}

struct HtmlCase {
    const char* szName;
    std::string text;
    std::string expectedBody;
};

std::vector<HtmlCase> HtmlCases() {
    return {
        {"empty report", "", "<br>"},
        {"Top-20 line", "Ranked #1 in Google - PR:6 Source:http://one.example/\r\n",
         "Ranked #1 in Google - PR:6 Source:<a href=\"http://one.example/\">http://one.example/</a><br><br>"},
        {"capital scheme", "HTTP://Big.Example/A?b=C\r\n",
         "<a href=\"HTTP://Big.Example/A?b=C\">HTTP://Big.Example/A?b=C</a><br><br>"},
        {"secure scheme", "Source:https://s.example/\r\n",
         "Source:<a href=\"https://s.example/\">https://s.example/</a><br><br>"},
        {"secure scheme in capitals", "HTTPS://S.Example/\r\n",
         "<a href=\"HTTPS://S.Example/\">HTTPS://S.Example/</a><br><br>"},
        {"the earlier scheme is linked", "a https://s.example/ b http://p.example/\r\n",
         "a <a href=\"https://s.example/\">https://s.example/</a> b http://p.example/<br><br>"},
        {"plain before secure", "a http://p.example/ b https://s.example/\r\n",
         "a <a href=\"http://p.example/\">http://p.example/</a> b https://s.example/<br><br>"},
        {"text after the address stays", "see http://a.example/x then more\tand http://b.example/\r\n",
         "see <a href=\"http://a.example/x\">http://a.example/x</a> then more\tand http://b.example/<br><br>"},
        {"last line without CRLF is not linked", "head\r\n\r\nhttp://tail.example/",
         "head<br><br>http://tail.example/<br>"},
        {"markup is escaped", "Email-Ids Found on the Page: <script>alert(\"x\")</script>&\t\r\n",
         "Email-Ids Found on the Page: &lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;&amp;\t<br><br>"},
        {"address escaped inside the attribute",
         "Contact Page Link: http://a.example/?a=1&b=2\"onmouseover=\"x\r\n",
         "Contact Page Link: <a href=\"http://a.example/?a=1&amp;b=2\">http://a.example/?a=1&amp;b=2</a>"
         "&quot;onmouseover=&quot;x<br><br>"},
        {"markup before the address", "<b>http://a.example/</b>\r\n",
         "&lt;b&gt;<a href=\"http://a.example/\">http://a.example/</a>&lt;/b&gt;<br><br>"},
        {"bare scheme", "http://\r\n", "<a href=\"http://\">http://</a><br><br>"},
    };
}

TEST(HtmlExport, PagesByteForByte) {
    CBoundSearch search;
    for (const HtmlCase& test : HtmlCases()) {
        SCOPED_TRACE(test.szName);
        EXPECT_EQ(BuildHtmlReport(test.text), kHead + test.expectedBody + kFoot);
    }
}

TEST(HtmlExport, WholeReport) {
    CBoundSearch search;
    CReportOptions options({true, false, false});
    std::vector<URLInfo> records = {Rec("http://a.example/", 5, 3, 12, 40, "http://a.example/contact")};
    ClearTextResults();
    CreateTextResults(false, "k", &records, true);
    EXPECT_EQ(BuildHtmlReport(g_ReportText),
              kHead +
                  "Potential link partners based on keyword(s) trawl:&quot;k&quot;.<br><br>"
                  "<a href=\"http://a.example/\">http://a.example/</a><br>"
                  "Rank: 5\tEstimated: 3\tOutbound: 12\tBackward: 40<br>"
                  "Contact Page Link: <a href=\"http://a.example/contact\">http://a.example/contact</a><br>"
                  "<br><br><br><br><br>" + kFoot);
    ClearTextResults();
}

std::string Linked(const std::string& address) {
    return "<a href=\"" + address + "\">" + address + "</a>";
}

// A link that does not fit the link buffer, or a line that does not fit the
// line buffer, is written whole as plain text.
TEST(HtmlExport, OverlongLinksAndLinesStayWhole) {
    CBoundSearch search;
    const std::size_t nLongestLinked = (kHtmlLinkSize - 1 - 15) / 2;
    std::string fits = "http://f.example/" + std::string(nLongestLinked - 17, 'a');
    std::string tooLong = fits + "b";
    std::string ampersands = "http://f.example/?" + std::string(200, '&');
    std::string longLine = "Ranked #1 in Google - PR:1 Source:http://l.example/" + std::string(kHtmlLineSize, 'z');
    struct Case {
        std::string line;
        std::string expected;
    } cases[] = {
        {fits + " x", Linked(fits) + " x"},
        {tooLong + " x", tooLong + " x"},
        {ampersands, "http://f.example/?" + [] {
             std::string s;
             for (int i = 0; i < 200; ++i) s += "&amp;";
             return s;
         }()},
        {longLine, longLine},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.line.size());
        EXPECT_EQ(BuildHtmlReport(test.line + "\r\n"), kHead + test.expected + "<br><br>" + kFoot);
    }
}

TEST(ReportFileName, ExtensionRules) {
    struct Case {
        const char* szChosen;
        bool bHtml;
        const char* szExpected;
    } cases[] = {
        {"C:\\reports\\run", false, "C:\\reports\\run.csv"},
        {"C:\\reports\\run.csv.bak", false, "C:\\reports\\run.csv.bak"},
        {"C:\\reports\\run.csv", false, "C:\\reports\\run.csv"},
        {"C:\\reports\\RUN.CSV", false, "C:\\reports\\RUN.CSV.csv"},
        {"C:\\reports\\run.htm", false, "C:\\reports\\run.htm.csv"},
        {"C:\\reports\\page", true, "C:\\reports\\page.htm"},
        {"C:\\reports\\page.html", true, "C:\\reports\\page.html"},
        {"C:\\reports\\page.HTM", true, "C:\\reports\\page.HTM.htm"},
        {"C:\\my.htm.files\\page", true, "C:\\my.htm.files\\page"},
        {"C:\\reports\\page.csv", true, "C:\\reports\\page.csv.htm"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.szChosen);
        EXPECT_EQ(WithReportExtension(test.szChosen, test.bHtml), test.szExpected);
    }
}

}  // namespace
