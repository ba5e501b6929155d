// Visible text, keyword expression, keyword search and contact links of
// the page-analysis component, on its portable text rules.
#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "contact_links.h"
#include "expression_search.h"
#include "page_text.h"

namespace {

// The removal rule written the slow, obvious way: find, erase, start over.
std::string RemoveSpansByRestarting(std::string szText, const std::string& szStart, const std::string& szEnd) {
    auto upper = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    for (;;) {
        const std::string szUpper = upper(szText);
        const std::size_t nStart = szUpper.find(upper(szStart));
        if (nStart == std::string::npos) break;
        const std::size_t nEnd = szUpper.find(upper(szEnd), nStart + szStart.size());
        if (nEnd == std::string::npos) break;
        szText.erase(nStart, nEnd + szEnd.size() - nStart);
    }
    return szText;
}

TEST(RemovalRule, SameAsRemovingAndStartingOverOnGeneratedTexts) {
    static const char* const kPieces[] = {"<", ">", "s", "S", "c", "R", "ipt", "<SCR", "IPT>", "</SCRIPT>",
                                          "<script", "</script>", "x", "&", ";", "amp", "&#", " "};
    static const char* const kMarkers[][2] = {{"<SCRIPT", "</SCRIPT>"}, {"&", ";"}, {"<", ">"}};
    std::mt19937 rng(1206);
    for (int i = 0; i < 20000; ++i) {
        std::string szText;
        const int nLength = static_cast<int>(rng() % 30);
        for (int k = 0; k < nLength; ++k) szText += kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
        for (const auto& markers : kMarkers)
            ASSERT_EQ(RemoveSpans(szText, markers[0], markers[1]),
                      RemoveSpansByRestarting(szText, markers[0], markers[1]))
                << "text: " << szText << " markers: " << markers[0];
    }
}

TEST(RemovalRule, SpanBroughtTogetherByAnEarlierRemoval) {
    EXPECT_EQ(RemoveSpans("a<SCR<script>x</script>IPT>b</SCRIPT>c", "<SCRIPT", "</SCRIPT>"), "ac");
}

struct TextCase {
    const char* szPage;
    const char* szVisible;
};

class VisibleTextCases : public ::testing::TestWithParam<TextCase> {};

TEST_P(VisibleTextCases, GivesTheTextBetweenTags) {
    EXPECT_EQ(VisibleText(GetParam().szPage), GetParam().szVisible) << GetParam().szPage;
}

INSTANTIATE_TEST_SUITE_P(
    Table, VisibleTextCases,
    ::testing::Values(TextCase{"", ""}, TextCase{"no tags at all", ""},
                      TextCase{"before<p>inside</p>after", "inside"},
                      TextCase{"<p>key<b>word</b>s</p>", "keywords"},
                      TextCase{"<td>one</td><td>two</td>", "onetwo"},
                      TextCase{"<p>a<script>var x = 1;</script>b</p>", "ab"},
                      TextCase{"<p>a<SCRIPT src=x></Script>b</p>", "ab"},
                      TextCase{"<p>fish &amp; chips&nbsp;</p>", "fish  chips"},
                      TextCase{"<style>p { color: red }</style>", "p { color: red }"},
                      TextCase{"<!-- note > still comment --><p>x</p>", " still comment -->x"},
                      TextCase{"<p>open & never closed</p>", "open & never closed"}));

struct ExpressionCase {
    const char* szKeywords;
    const char* szExpression;
};

class KeywordExpressionCases : public ::testing::TestWithParam<ExpressionCase> {};

TEST_P(KeywordExpressionCases, JoinsTheNonEmptyLines) {
    EXPECT_EQ(KeywordExpression(GetParam().szKeywords), GetParam().szExpression) << GetParam().szKeywords;
}

INSTANTIATE_TEST_SUITE_P(Table, KeywordExpressionCases,
                         ::testing::Values(ExpressionCase{"", ""}, ExpressionCase{"\r\n\r\n", ""},
                                           ExpressionCase{"seo", "\\bseo\\b"},
                                           ExpressionCase{"seo\r\nlinks", "\\bseo\\b|\\blinks\\b"},
                                           ExpressionCase{"\r\nseo\r\n\r\n\r\nlinks\r\n", "\\bseo\\b|\\blinks\\b"},
                                           ExpressionCase{"c++", "\\bc++\\b"}));

struct KeywordCase {
    const char* szPage;
    const char* szKeywords;
    bool bFound;
};

class KeywordSearchCases : public ::testing::TestWithParam<KeywordCase> {};

TEST_P(KeywordSearchCases, FindsWholeWordsInVisibleText) {
    const KeywordCase& c = GetParam();
    std::vector<std::string> matches;
    const std::string szExpression = KeywordExpression(c.szKeywords);
    if (!szExpression.empty()) SearchExpression(szExpression, VisibleText(c.szPage), matches);
    EXPECT_EQ(!matches.empty(), c.bFound) << c.szPage << " / " << c.szKeywords;
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeywordSearchCases,
    ::testing::Values(KeywordCase{"<p>Cheap flights</p>", "flights", true},
                      KeywordCase{"<p>Cheap flights</p>", "Flights", false},
                      KeywordCase{"<p>Cheap flights</p>", "flight", false},
                      KeywordCase{"<p>Cheap <b>fli</b>ghts</p>", "flights", true},
                      KeywordCase{"<td>hotel</td><td>rooms</td>", "hotel", false},
                      KeywordCase{"<td>hotel</td><td>rooms</td>", "hotelrooms", true},
                      KeywordCase{"<p>x</p><script>flights</script><p>y</p>", "flights", false},
                      KeywordCase{"<p title=\"flights\">x</p>", "flights", false},
                      KeywordCase{"<p>flights</p>", "\r\n\r\nflights\r\n", true},
                      KeywordCase{"<p>flights</p>", "\r\n\r\n", false},
                      KeywordCase{"<p>flights</p>", "(broken", false},
                      KeywordCase{"<p>one two</p>", "none\r\ntwo", true}));

struct ContactCase {
    const char* szPage;
    const char* szWords;
    const char* szTarget;
};

class ContactLinkCases : public ::testing::TestWithParam<ContactCase> {};

const char kWords[] = "contact;contact us;contactus;about;about us;aboutus;feedback";

TEST_P(ContactLinkCases, ChoosesTheFirstLinkNamedByAWord) {
    const ContactCase& c = GetParam();
    EXPECT_EQ(ChooseContactLink(CollectLinks(c.szPage), c.szWords), c.szTarget) << c.szPage;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ContactLinkCases,
    ::testing::Values(
        ContactCase{"<a href=\"/c.htm\">Contact Us</a>", kWords, "/c.htm"},
        ContactCase{"<a href=\"/c.htm\"> contact</a>", kWords, ""},
        ContactCase{"<a href=\"/c.htm\">contact </a>", kWords, ""},
        ContactCase{"<a href=\"/h\">Home</a><a href=\"/a\">About</a><a href=\"/c\">Contact</a>", kWords, "/a"},
        ContactCase{"<A HREF=\"/c.htm\">Contact</A>", kWords, ""},
        ContactCase{"<a HREF=\"/c.htm\">Contact</a>", kWords, ""},
        ContactCase{"<a href='/c.htm'>Contact</a>", kWords, ""},
        ContactCase{"<a href=\"/c.htm\"><b>Con</b>tact</a>", kWords, "/c.htm"},
        ContactCase{"<a href=\"/c.htm\">About&nbsp;us</a>", kWords, "/c.htm"},
        ContactCase{"<a href=\"/c.htm\">Feed&shy;back</a>", kWords, "/c.htm"},
        ContactCase{"<a href=\"/i.htm\"><img src=\"i.gif\"></a>", "contact;", "/i.htm"},
        ContactCase{"<a href=\"/i.htm\"><img src=\"i.gif\"></a>", kWords, ""},
        ContactCase{"<a href=\"http://x.com/c\">contact</a>", kWords, "http://x.com/c"},
        ContactCase{"<a name=\"top\">contact</a><a href=\"/c\">contact</a>", kWords, "/c"},
        ContactCase{"<a href=\"/c\">contact", kWords, ""},
        ContactCase{"", kWords, ""}));

TEST(ContactLinks, CollectsTextAndTargetInPageOrder) {
    const std::vector<CPageLink> links =
        CollectLinks("<p><a href=\"/one\">One &amp; <i>only</i></a> <a>skip</a> <a href=\"two\" class=x>Two</a></p>");
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(links[0].szText, "One  only");
    EXPECT_EQ(links[0].szTarget, "/one");
    EXPECT_EQ(links[1].szText, "Two");
    EXPECT_EQ(links[1].szTarget, "two");
}

}  // namespace
