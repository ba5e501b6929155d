// Joining relative links to the page address, and the host of an address.
#include <gtest/gtest.h>

#include "base/run_state.h"
#include "evaluate/absolute_url.h"

namespace {

struct JoinCase {
    const char* base;
    const char* relative;
    const char* expected;
};

const JoinCase kJoinCases[] = {
    {"http://host/dir/page.html", "b.html", "http://host/dir/b.html"},
    {"http://host/dir/page.html", "/b.html", "http://host/dir/b.html"},
    {"http://host", "b.html", "http://host/b.html"},
    {"http://host", "/b.html", "http://host/b.html"},
    {"http://host/dir/", "b.html", "http://host/dir/b.html"},
    {"http://host/dir", "b.html", "http://host/dir/b.html"},
    {"http://host/search?q=a", "b.html", "http://host/b.html"},
    {"http://host/dir/page.html", "../b.html", "http://host/b.html"},
    {"http://host/dir/sub/", "../../b.html", "http://host/b.html"},
    {"http://host/a/b/c/page.html", "../x.html", "http://host/a/b/x.html"},
    {"http://host/dir/page.html", "a/../b", "http://host/b"},
    {"http://host/dir/page.html", "..", "http://host/"},
    // Climbing above the host stops at the host.
    {"http://host/page.html", "../b.html", "http://host/b.html"},
    {"http://host/dir/page.html", "../../../../b.html", "http://host/b.html"},
    {"http://host", "../b.html", "http://host/b.html"},
    // An https page gives https addresses; its two slashes count as those of http.
    {"https://host/dir/page.html", "b.html", "https://host/dir/b.html"},
    {"https://host", "/b.html", "https://host/b.html"},
    {"https://host/dir/sub/", "../../b.html", "https://host/b.html"},
    {"https://host/page.html", "../../b.html", "https://host/b.html"},
    {"", "b.html", ""},
    {"http://host/", "", ""},
};

class MakeFullURLTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(MakeFullURLTest, JoinsAsTheRuleSays) {
    const JoinCase& c = GetParam();
    EXPECT_EQ(CFullURL().MakeFullURL(c.base, c.relative), c.expected) << c.base << " + " << c.relative;
}

INSTANTIATE_TEST_SUITE_P(Rows, MakeFullURLTest, ::testing::ValuesIn(kJoinCases));

TEST(CountAndStrip, CountsWithoutOverlapAndKeepsTheTail) {
    struct {
        const char* text;
        const char* pattern;
        int count;
        const char* rest;
    } const kCases[] = {
        {"../b.html", "..", 1, "/b.html"},
        {"a/../b", "..", 1, "/b"},
        {"../../x", "..", 2, "/x"},
        {"...", "..", 1, "."},
        {"....", "..", 2, ""},
        {"b.html", "..", 0, "b.html"},
        {"abc", "", 0, "abc"},
    };
    for (const auto& c : kCases) {
        std::string rest = "stale";
        EXPECT_EQ(CFullURL().CountAndStrip(c.text, c.pattern, rest), c.count) << c.text;
        EXPECT_EQ(rest, c.rest) << c.text;
    }
}

TEST(GetDomainFromURL, TakesTheHostAsWritten) {
    struct {
        const char* address;
        const char* host;
    } const kCases[] = {
        {"http://host:8080/a", "host:8080"},
        {"host/a/b", "host"},
        {"/a/b", ""},
        {"http://www.Example.com", "www.Example.com"},
        {"http://user@host/x", "user@host"},
        {"see http://h.com/x", "h.com"},
        {"HTTP://caps.com/x", "HTTP:"},
        {"https://host:8443/a", "host:8443"},
        {"see https://h.com/x", "h.com"},
        {"https://a.com/?u=http://b.com/", "a.com"},
        {"http://a.com/?u=https://b.com/", "a.com"},
        {"HTTPS://caps.com/x", "HTTPS:"},
        {"", ""},
    };
    for (const auto& c : kCases) EXPECT_EQ(GetDomainFromURL(c.address), c.host) << c.address;
    EXPECT_EQ(GetDomainFromURL(nullptr), "");
}

class ConvertTest : public ::testing::Test {
protected:
    void TearDown() override { g_Stopped = false; }
};

TEST_F(ConvertTest, JoinsOnlyRelativeEntriesOfComPages) {
    std::vector<std::string> links = {"page2.html", "http://other.org/x", "dir/www/a.html", "HTTP://CAPS.COM/x",
                                      "", "#top", "mailto:a@b.org", "https://secure.org/y"};
    EXPECT_TRUE(ConvertToAbsoluteAddress(&links, "http://site.com/dir/index.html"));
    const std::vector<std::string> expected = {"http://site.com/dir/page2.html",
                                               "http://other.org/x",
                                               "dir/www/a.html",
                                               "http://site.com/dir/HTTP://CAPS.COM/x",
                                               "",
                                               "http://site.com/dir/#top",
                                               "http://site.com/dir/mailto:a@b.org",
                                               "https://secure.org/y"};
    EXPECT_EQ(links, expected);
    // On an https page the same entries become https addresses.
    links = {"page2.html", "../up.html", "http://other.org/x"};
    EXPECT_TRUE(ConvertToAbsoluteAddress(&links, "https://site.com/dir/index.html"));
    EXPECT_EQ(links, (std::vector<std::string>{"https://site.com/dir/page2.html", "https://site.com/up.html",
                                               "http://other.org/x"}));
}

TEST_F(ConvertTest, PageWithoutDotComKeepsRelativeEntries) {
    std::vector<std::string> links = {"a.html", "/b.html"};
    const std::vector<std::string> before = links;
    EXPECT_TRUE(ConvertToAbsoluteAddress(&links, "http://site.org/x.html"));
    EXPECT_EQ(links, before);
    // ".com" is matched exactly: capitals do not count.
    EXPECT_TRUE(ConvertToAbsoluteAddress(&links, "http://SITE.COM/x.html"));
    EXPECT_EQ(links, before);
}

TEST_F(ConvertTest, StopRequestLeavesTheRestAndAnswersTrue) {
    std::vector<std::string> links = {"a.html", "b.html"};
    g_Stopped = true;
    EXPECT_TRUE(ConvertToAbsoluteAddress(&links, "http://site.com/"));
    EXPECT_EQ(links, (std::vector<std::string>{"a.html", "b.html"}));
}

TEST_F(ConvertTest, NullListIsHarmless) { EXPECT_TRUE(ConvertToAbsoluteAddress(nullptr, "http://site.com/")); }

}  // namespace
