#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harvest/result_page.h"
#include "support/tools_binding.h"

namespace {

// Result sites of this program: 127.0.60.N.
const char kA[] = "http://127.0.60.2/a.html";
const char kB[] = "http://127.0.60.3/b.html";

std::string Header(int nFirst) {
    return "<p>Results <b>" + std::to_string(nFirst) + "</b> - <b>" + std::to_string(nFirst + 9) + "</b> of about <b>50</b>.</p>\n";
}

// One result as the engine lists it: its own link, then its "Cached" link.
std::string Entry(const std::string& ownLink) {
    return "<div class=\"g\"><a " + ownLink + ">Title</a><br><span>shown</span> - <a href=\"http://" +
           std::string(PELLMARK_SEARCH_HOST) + "/search?q=cache:x\">Cached</a></div>\n";
}

std::string Quoted(const std::string& address) { return "href=\"" + address + "\""; }

class ResultPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_tools.IsBound());
        s_nQuestions = 0;
        SetBlockedPageQuestion(nullptr);
    }
    void TearDown() override { SetBlockedPageQuestion(nullptr); }

    static bool AnswerOk() {
        ++s_nQuestions;
        return true;
    }
    static bool AnswerCancel() {
        ++s_nQuestions;
        return false;
    }

    static int s_nQuestions;
    CBoundTools m_tools;
};

int ResultPageTest::s_nQuestions = 0;

struct LastPageCase {
    const char* szName;
    std::string page;
    int nStart;
    PFN_AskBlockedPage pfnAnswer;
    bool bLast;
    int nQuestions;
};

TEST_F(ResultPageTest, LastPageTest) {
    const std::vector<LastPageCase> cases = {
        {"11 requested with start 10", Header(11), 10, nullptr, false, 0},
        {"11 requested with start 20", Header(11), 20, nullptr, true, 0},
        {"first page", Header(1), 0, nullptr, false, 0},
        {"Results without <b>", "<p>Results 11 - 20 of about 50.</p>", 10, nullptr, true, 0},
        {"Results with <b> but no </b>", "<p>Results <b>11 - 20", 10, nullptr, true, 0},
        {"no Results, OK", "<p>We're sorry</p>", 0, &ResultPageTest::AnswerOk, false, 1},
        {"no Results, Cancel", "<p>We're sorry</p>", 0, &ResultPageTest::AnswerCancel, true, 1},
        {"the loader's failure text, OK", "fail", 10, &ResultPageTest::AnswerOk, false, 1},
        {"the loader's failure text, Cancel", "fail", 10, &ResultPageTest::AnswerCancel, true, 1},
        {"lower-case results is no header", "<p>results <b>11</b></p>", 10, &ResultPageTest::AnswerCancel, true, 1},
        {"no digits in bold", "<p>Results <b>x</b></p>", 0, nullptr, true, 0},
    };
    for (const LastPageCase& c : cases) {
        s_nQuestions = 0;
        SetBlockedPageQuestion(c.pfnAnswer);
        EXPECT_EQ(IsLastPage(c.page, c.nStart), c.bLast) << c.szName;
        EXPECT_EQ(s_nQuestions, c.nQuestions) << c.szName;
    }
}

struct ExtractCase {
    const char* szName;
    std::string page;
    int nStart;
    PFN_AskBlockedPage pfnAnswer;
    bool bFound;
    std::vector<std::string> links;
    int nStartAfter;
};

TEST_F(ResultPageTest, ExtractsResultAddresses) {
    const std::string sHost = PELLMARK_SEARCH_HOST;
    const std::vector<ExtractCase> cases = {
        {"two results", Header(11) + Entry(Quoted(kA)) + Entry(Quoted(kB)), 10, nullptr, true, {kA, kB}, 10},
        {"a result shown twice", Header(1) + Entry(Quoted(kA)) + Entry(Quoted(kB)) + Entry(Quoted(kA)), 0, nullptr, true,
         {kA, kB, kA}, 0},
        // The first letter is taken as the delimiter: "ttp://...a." is offered and refused.
        {"a result link without quotes", Header(1) + Entry(std::string("href=") + kA) + Entry(Quoted(kB)), 0, nullptr,
         true, {kB}, 0},
        {"only unquoted links", Header(1) + Entry(std::string("href=") + kA), 0, nullptr, false, {}, 0},
        {"single quotes delimit too", Header(1) + Entry(std::string("href='") + kA + "'"), 0, nullptr, true, {kA}, 0},
        {"/url?q= link with further parameters",
         Header(1) + Entry(Quoted(std::string("/url?q=") + kB + "&sa=U&ei=xy")), 0, nullptr, true,
         {std::string(kB) + "&sa=U&ei=xy"}, 0},
        {"a link on the engine's own host is refused", Header(1) + Entry(Quoted("http://" + sHost + "/a")) + Entry(Quoted(kA)),
         0, nullptr, true, {kA}, 0},
        {"a page without Cached", Header(1) + "<a href=\"" + kA + "\">Title</a>", 0, nullptr, false, {}, 0},
        {"last page", Header(11) + Entry(Quoted(kA)), 20, nullptr, false, {}, -1},
        {"verification page, OK", "<p>We're sorry</p><a href=\"/sorry\">x</a>", 10, &ResultPageTest::AnswerOk, false, {},
         10},
        {"verification page, Cancel", "<p>We're sorry</p>", 10, &ResultPageTest::AnswerCancel, false, {}, -1},
        {"Results without <b>", "<p>Results 1</p>" + Entry(Quoted(kA)), 0, nullptr, false, {}, -1},
    };
    for (const ExtractCase& c : cases) {
        SetBlockedPageQuestion(c.pfnAnswer);
        std::vector<std::string> links = {"left over"};
        int nStart = c.nStart;
        EXPECT_EQ(ExtractGoogleLinks(c.page, links, nStart), c.bFound) << c.szName;
        EXPECT_EQ(links, c.links) << c.szName;
        EXPECT_EQ(nStart, c.nStartAfter) << c.szName;
    }
}

struct AddressCase {
    const char* szTemplate;
    const char* szQuery;
    int nPerPage;
    int nStart;
    std::string expected;
};

TEST_F(ResultPageTest, BuildsRequestAddresses) {
    const std::string sBase = std::string("http://") + PELLMARK_SEARCH_HOST + "/search?q=";
    const std::vector<AddressCase> cases = {
        {kPagedQueryTemplate, "blue fish", 10, 990, sBase + "blue fish&num=10&hl=en&lr=&ie=UTF-8&newwindow=1&start=990&sa=N&filter=0"},
        {kPagedQueryTemplate, "link:http://a/b?c=d&e", 10, 0,
         sBase + "link:http://a/b?c=d&e&num=10&hl=en&lr=&ie=UTF-8&newwindow=1&start=0&sa=N&filter=0"},
        {kTop20QueryTemplate, "", 25, 0, sBase + "&num=25&hl=en&lr=&ie=UTF-8&newwindow=1&start=0&sa=N"},
    };
    for (const AddressCase& c : cases)
        EXPECT_EQ(BuildQueryAddress(c.szTemplate, c.szQuery, c.nPerPage, c.nStart), c.expected) << c.szQuery;
    std::string longQuery(5000, 'k');
    EXPECT_EQ(BuildQueryAddress(kPagedQueryTemplate, longQuery.c_str(), 10, 0).size(), kQueryAddressSize - 1);
}

}  // namespace
