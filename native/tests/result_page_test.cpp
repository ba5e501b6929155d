// The result-page reader natively: the last-page test with either answer
// to the blocked-page question, and the result links before each "Cached".
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bound_tools.h"
#include "harvest/result_page.h"

namespace {

bool s_bGoOn = false;
bool AskBlockedPage() { return s_bGoOn; }

class ResultPage : public ::testing::Test {
protected:
    void SetUp() override {
        BindToolsRules();
        SetBlockedPageQuestion(&AskBlockedPage);
    }
    void TearDown() override {
        SetBlockedPageQuestion(nullptr);
        UnbindToolsRules();
    }
};

struct PageCase {
    const char* szName;
    std::string page;
    int nStart;
    bool bGoOn;  // the answer to the blocked-page question
    bool bLast;
    std::vector<std::string> links;
    int nStartAfter;
};

const std::string kFirst = "Results <b>1</b> - <b>10</b> ";

std::vector<PageCase> PageCases() {
    return {
        {"result links and a redirect", kFirst +
             "<a href=\"http://a.com/x\">A</a> <a href=\"/search?q=cache:a\">Cached</a>"
             "<a href=\"/url?q=http://b.org/y\">B</a> <a href=\"/c\">Cached</a>",
         0, false, false, {"http://a.com/x", "http://b.org/y"}, 0},
        {"single quotes as delimiter", kFirst + "<a href='http://c.com/'>c</a><a href=q>Cached", 0, false, false,
         {"http://c.com/"}, 0},
        {"the engine's own host is no result", kFirst +
             "<a href=\"http://127.0.0.1/x\">s</a><a href=\"/c\">Cached</a>", 0, false, false, {}, 0},
        {"a lone link before Cached", kFirst + "<a href=\"/c\">Cached</a>", 0, false, false, {}, 0},
        {"a link belongs to one Cached only", kFirst +
             "<a href=\"http://a.com/\">a</a><a href=\"/c\">Cached</a><a href=\"/d\">Cached</a>", 0, false, false,
         {"http://a.com/"}, 0},
        {"value never closed", kFirst + "<a href=\"http://a.com/ <a href=/c>Cached", 0, false, false, {}, 0},
        {"delimiter at the very end", kFirst + "Cached href=", 0, false, false, {}, 0},
        {"page number other than the next", kFirst + "<a href=\"http://a.com/\">a</a><a href=\"/c\">Cached", 10,
         false, true, {}, -1},
        {"no page number", "Results without numbers", 0, false, true, {}, -1},
        {"empty page number", "Results <b></b>", 0, false, true, {}, -1},
        {"blocked page, user goes on", "<a href=\"http://a.com/\">a</a><a href=\"/c\">Cached", 0, true, false,
         {"http://a.com/"}, 0},
        {"blocked page, user stops", "<a href=\"http://a.com/\">a</a><a href=\"/c\">Cached", 0, false, true, {},
         -1},
        {"empty page, user stops", "", 20, false, true, {}, -1},
    };
}

TEST_F(ResultPage, LastPageAndLinks) {
    for (const PageCase& test : PageCases()) {
        SCOPED_TRACE(test.szName);
        s_bGoOn = test.bGoOn;
        EXPECT_EQ(IsLastPage(test.page, test.nStart), test.bLast);
        std::vector<std::string> links = {"left from the last page"};
        int nStart = test.nStart;
        EXPECT_EQ(ExtractGoogleLinks(test.page, links, nStart), !test.links.empty());
        EXPECT_EQ(links, test.links);
        EXPECT_EQ(nStart, test.nStartAfter);
    }
}

TEST_F(ResultPage, QueryAddressStaysInItsBuffer) {
    const std::string query(2 * kQueryAddressSize, 'q');
    const std::string address = BuildQueryAddress(kPagedQueryTemplate, query.c_str(), kResultsPerPage, 990);
    EXPECT_EQ(address.size(), kQueryAddressSize - 1);
    EXPECT_EQ(address.rfind("http://127.0.0.1/search?q=qqq", 0), 0u);
}

}  // namespace
