// The e-mail search against the plain expression walk: the same matches on
// a table of edge cases and on thousands of generated texts.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "email_search.h"
#include "expression_search.h"

namespace {

std::vector<std::string> Fast(const std::string& szText) {
    std::vector<std::string> matches;
    FindEmailAddresses(szText, matches);
    return matches;
}

std::vector<std::string> Plain(const std::string& szText) {
    std::vector<std::string> matches;
    SearchExpression(kEmailExpression, szText, matches);
    return matches;
}

struct EmailCase {
    const char* szText;
    std::vector<std::string> expected;
};

class EmailEdgeCases : public ::testing::TestWithParam<EmailCase> {};

TEST_P(EmailEdgeCases, FindsExactlyTheseAddresses) {
    const EmailCase& c = GetParam();
    EXPECT_EQ(Fast(c.szText), c.expected) << c.szText;
    EXPECT_EQ(Plain(c.szText), c.expected) << c.szText;
}

INSTANTIATE_TEST_SUITE_P(
    Table, EmailEdgeCases,
    ::testing::Values(
        EmailCase{"", {}},
        EmailCase{"write to john@example.com today", {"john@example.com"}},
        EmailCase{"a@b.cc and a@b.cc", {"a@b.cc", "a@b.cc"}},
        EmailCase{"Mail me at john@example.com.", {"john@example.com"}},
        EmailCase{"ip: root@[192.168.0.1] ok", {"root@[192.168.0.1]"}},
        EmailCase{"root@[256.1.1.1]", {}},
        EmailCase{"root@[1.2.3.net", {"root@[1.2.3.net"}},
        EmailCase{"root@[01.2.3.4]", {}},
        EmailCase{"John.Smith@Example.COM", {"John.Smith@Example.COM"}},
        EmailCase{"<a href=\"mailto:info@site.org\">", {"info@site.org"}},
        EmailCase{"<a href='mailto:x@y.de'>", {"x@y.de"}},
        EmailCase{".dot@a.bc", {"dot@a.bc"}},
        EmailCase{"x@a.b", {}},
        EmailCase{"x@a.bc.d", {"x@a.bc"}},
        EmailCase{"x@host.10]", {"x@host.10]"}},
        EmailCase{"x@localhost", {}},
        EmailCase{"a@b.cc@d.ee", {"a@b.cc"}},
        EmailCase{"a@b.cc1@d.ee", {"a@b.cc", "1@d.ee"}},
        EmailCase{"@@@a@@b.cc", {}},
        EmailCase{"under_score-x@mail-1.co.uk,next@x.io", {"under_score-x@mail-1.co.uk", "next@x.io"}},
        EmailCase{"a..b@c..de.fg", {}},
        EmailCase{"é@x.com ü.a@y.org", {"a@y.org"}}));

// Texts built from the pieces that steer the expression's branches.
std::string GeneratedText(std::mt19937& rng) {
    static const char* const kPieces[] = {
        "a",  "Z",   "q",    "0",    "9",   "1",   "2",     "5",    "_",         "-",       ".",   "..",
        "@",  "@@",  "[",    "]",    " ",   "\"",  ":",     "com",  "25",        "255",     "256", "01",
        "1.", "99.", "--",   "x.y",  "@a.bc", "[1.2.3.4]", "[10.0.0.", "mailto:", "\xe9", "de", "<", ">"};
    const std::size_t nPieces = sizeof kPieces / sizeof kPieces[0];
    std::string szText;
    const int nLength = static_cast<int>(rng() % 40);
    for (int i = 0; i < nLength; ++i) szText += kPieces[rng() % nPieces];
    return szText;
}

TEST(EmailSearch, SameMatchesAsThePlainWalkOnGeneratedTexts) {
    std::mt19937 rng(20051206);
    int nWithMatches = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string szText = GeneratedText(rng);
        const std::vector<std::string> expected = Plain(szText);
        ASSERT_EQ(Fast(szText), expected) << "text: " << szText;
        if (!expected.empty()) ++nWithMatches;
    }
    // The generator must reach the matching branches, not only the misses.
    EXPECT_GT(nWithMatches, 2000);
}

TEST(EmailSearch, LongRunsAroundAnAddressLoseNothing) {
    // A base64-like run right before and after the address: the plain walk
    // is quadratic here, the search must still find the address once.
    const std::string szRun(20000, 'A');
    const std::string szText = "src=\"data:image/png;base64," + szRun + "\" alt=x> mail: me@host.org " + szRun;
    EXPECT_EQ(Fast(szText), std::vector<std::string>{"me@host.org"});
    const std::string szGlued = szRun + "@host.org";
    EXPECT_EQ(Fast(szGlued), std::vector<std::string>{szGlued});
}

TEST(EmailSearch, StopsAtTheLimit) {
    std::vector<std::string> matches;
    FindEmailAddresses(std::string("a@b.cc d@e.ff"), matches, 1);
    EXPECT_EQ(matches, std::vector<std::string>{"a@b.cc"});
}

TEST(ExpressionSearch, TellsWhetherTheWalkReachedTheEnd) {
    struct Case {
        std::string szExpression;
        std::string szSubject;
        bool bComplete;
    } const kCases[] = {
        {"x*", "ab", true},
        {kEmailExpression, "a@b.cc d@e.ff", true},
        {"(unclosed", "unclosed", true},
    };
    for (const Case& c : kCases) {
        std::vector<std::string> matches;
        EXPECT_EQ(SearchExpression(c.szExpression, c.szSubject, matches), c.bComplete) << c.szSubject.substr(0, 20);
    }
}

TEST(ExpressionSearch, BadExpressionFindsNothing) {
    std::vector<std::string> matches;
    SearchExpression("(unclosed", "unclosed (unclosed", matches);
    EXPECT_TRUE(matches.empty());
}

TEST(ExpressionSearch, EmptyMatchesDoNotStall) {
    std::vector<std::string> matches;
    SearchExpression("x*", "ab", matches);
    // One empty match at each of the three positions.
    EXPECT_EQ(matches, (std::vector<std::string>{"", "", ""}));
}

TEST(ExpressionSearch, LaterSearchesSeeTheTextBefore) {
    // With the preceding text visible, "\bb" cannot match right after "a".
    std::vector<std::string> matches;
    SearchExpression("\\ba|\\bb", "ab b", matches);
    EXPECT_EQ(matches, (std::vector<std::string>{"a", "b"}));
}

}  // namespace
