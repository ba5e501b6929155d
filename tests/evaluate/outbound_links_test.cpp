// The outbound link scan over raw page text.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "base/run_state.h"
#include "evaluate/guarded_text.h"
#include "evaluate/outbound_links.h"
#include "support/tools_binding.h"

namespace {

using Links = std::vector<std::string>;

class OutboundLinksTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_tools = std::make_unique<CBoundTools>(); }
    static void TearDownTestSuite() { s_tools.reset(); }
    void SetUp() override { ASSERT_TRUE(s_tools->IsBound()); }
    void TearDown() override { g_Stopped = false; }

    // Scans the page from guarded memory, so a read past its end faults.
    static Links Scan(const std::string& page) {
        CGuardedText text(page);
        Links links;
        GetPageOutcomingLinks(text.Text(), &links);
        return links;
    }

    static std::unique_ptr<CBoundTools> s_tools;
};
std::unique_ptr<CBoundTools> OutboundLinksTest::s_tools;

// Every "http://" of the page as "https://", letter case kept.
std::string Secure(std::string page) {
    const std::pair<const char*, const char*> kSwaps[] = {{"http://", "https://"}, {"HTTP://", "HTTPS://"}};
    for (const auto& swap : kSwaps)
        for (std::size_t p = page.find(swap.first); p != std::string::npos; p = page.find(swap.first, p + 8))
            page.replace(p, 7, swap.second);
    return page;
}

struct ScanCase {
    const char* name;
    const char* page;
    Links expected;
};

TEST_F(OutboundLinksTest, EdgeCases) {
    const ScanCase kCases[] = {
        {"capitals, ended by '!'", "<p>HTTP://WWW.SITE.COM/PAGE!</p>", {"HTTP://WWW.SITE.COM/PAGE"}},
        {"href value and visible text", "<a href=\"http://a.com/x\">http://a.com/x</a>", {"http://a.com/x", "http://a.com/x"}},
        {"image in capitals", "<img src=\"http://a.com/PIC.GIF\">", {}},
        {".pdf in the host", "see http://www.pdf.org/index.html now", {}},
        {".pdf in the path", "http://a.com/doc.pdf", {}},
        {"ad redirect", "http://www.GoogleAdServices.com/c?x=1", {}},
        {"underscore ends the address", "http://a.com/my_page.html", {"http://a.com/my"}},
        {"other enders", "http://a.com/a~b http://a.com/c%20 http://a.com/d#e http://a.com/f;g http://a.com/h<i",
         {"http://a.com/a", "http://a.com/c", "http://a.com/d", "http://a.com/f", "http://a.com/h"}},
        {"high byte ends the address", "http://a.com/caf\xe9s", {"http://a.com/caf"}},
        {"address characters kept", "http://a.com/x?a=1&b=2,c+d-e.f:g", {"http://a.com/x?a=1&b=2,c+d-e.f:g"}},
        {"one relative value three times", "<a HREF=\"page.html\"><a href=\"PAGE.html\"><a Href=\"page.html\">",
         {"page.html"}},
        {"quotes and blanks not seen", "<a href='a.html'><a href=b.html><a href = \"c.html\"><a href =\"d.html\">", {}},
        {"empty value", "<a href=\"\">x</a>", {}},
        {"a control byte is no quote", "<a href=\x02x.html\x02>", {}},
        {"a high byte is no letter", "<a \xe8ref=\"x.html\"> \xe8ttp://a.com/", {}},
        {"anchor and mailto count", "<a href=\"#top\"><a href=\"mailto:me@a.com\">", {"#top", "mailto:me@a.com"}},
        {"absolute value only once from the first pass", "<a href=\"HTTP://a.com/\">", {"HTTP://a.com/"}},
        {"passes in order", "<a href=\"rel.html\">x</a> http://abs.com/", {"http://abs.com/", "rel.html"}},
        {"nothing", "<html><body>plain</body></html>", {}},
        {"", "", {}},
        {"ends inside an attribute", "<a href=\"unfinished.html", {}},
        {"ends inside the marker", "<a href=", {}},
        {"ends inside http://", "text http:/", {}},
        {"ends right after http://", "text http://", {"http://"}},
        {"both schemes in text order", "https://s.com/a http://p.com/b HTTPS://S.COM/C",
         {"https://s.com/a", "http://p.com/b", "HTTPS://S.COM/C"}},
        {"secure value only once from the first pass", "<a href=\"HTTPS://a.com/\">", {"HTTPS://a.com/"}},
        {"secure address inside a plain one", "http://a.com/r?u=https://b.com/",
         {"http://a.com/r?u=https://b.com/", "https://b.com/"}},
        {"secure image", "<img src=\"https://a.com/p.jpg\">", {}},
    };
    for (const ScanCase& c : kCases) {
        EXPECT_EQ(Scan(c.page), c.expected) << c.name;
        // The same page linking over https counts the same.
        EXPECT_EQ(Scan(Secure(c.page)).size(), c.expected.size()) << c.name;
    }
}

TEST_F(OutboundLinksTest, EveryExcludedPatternDropsTheAddress) {
    const char* const kPatterns[] = {".gif", ".jpg", ".jpeg", ".tga", ".psd", ".pdf", ".bmp",
                                     ".exe", ".zip", ".rar", ".cab", ".msi", "googleadservices"};
    for (const char* szPattern : kPatterns) {
        std::string page = std::string("x http://a.com/file") + szPattern + " y";
        EXPECT_EQ(Scan(page), Links{}) << szPattern;
    }
}

TEST_F(OutboundLinksTest, LongAddressIsCutToTheBuffer) {
    std::string address = "http://a.com/" + std::string(2100 - 13, 'x');
    Links links = Scan(address);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0], address.substr(0, kMaxAbsoluteLink));
    // The cut happens before the exclusion test: a pattern beyond it is not seen.
    links = Scan(address + ".gif");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].size(), kMaxAbsoluteLink);
}

TEST_F(OutboundLinksTest, HrefValueOfAtMost2048CharactersIsTaken) {
    std::string longest(kMaxHrefValue, 'a');
    std::string tooLong(kMaxHrefValue + 1, 'b');
    Links links = Scan("<a href=\"" + longest + "\"><a href=\"" + tooLong + "\"><a href=\"ok.html\">");
    EXPECT_EQ(links, (Links{longest, "ok.html"}));
}

TEST_F(OutboundLinksTest, StopEndsTheFirstPassOnly) {
    g_Stopped = true;
    EXPECT_EQ(Scan("http://a.com/ <a href=\"b.html\">"), Links{"b.html"});
}

TEST_F(OutboundLinksTest, AppendsToWhatTheListHolds) {
    Links links = {"B.HTML"};
    GetPageOutcomingLinks("<a href=\"b.html\"><a href=\"c.html\">", &links);
    EXPECT_EQ(links, (Links{"B.HTML", "c.html"}));
    GetPageOutcomingLinks(nullptr, &links);
    EXPECT_EQ(links.size(), 2u);
}

}  // namespace
