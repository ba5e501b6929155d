// "Follow links": which links of an accepted page join the run's work list.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <utility>

#include "evaluate/crawl_expansion.h"
#include "support/tools_binding.h"
#include "ui/status.h"

namespace {

using Links = std::vector<std::string>;
using StatusLine = std::pair<std::string, int>;

std::vector<StatusLine> g_statusLines;
std::vector<StatusLine> g_traceLines;

void RecordStatus(const char* szText, int nPosition) { g_statusLines.emplace_back(szText, nPosition); }
void RecordTrace(const char* szText, int nPosition) { g_traceLines.emplace_back(szText, nPosition); }

class CrawlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_tools = std::make_unique<CBoundTools>(); }
    static void TearDownTestSuite() { s_tools.reset(); }

    void SetUp() override {
        ASSERT_TRUE(s_tools->IsBound());
        g_RunList.Clear();
        g_statusLines.clear();
        g_traceLines.clear();
        SetStatusRoutine(RecordStatus);
        g_bFollowLinks = true;
        g_bDomainLinks = false;
        g_nFollowed = 0;
        g_nMaxResults = 100;
        g_nLinks = 7;
    }
    void TearDown() override {
        SetStatusRoutine(nullptr);
        g_RunList.Clear();
        g_Stopped = false;
        g_bFollowLinks = g_bDomainLinks = false;
    }

    static void Seed(const Links& addresses) {
        for (const std::string& address : addresses) g_RunList.Append(std::make_unique<URLInfo>(MakeRecord(address.c_str())));
    }
    static Links RunList() {
        Links sources;
        for (std::size_t i = 0; i < g_RunList.Size(); ++i) sources.emplace_back(g_RunList.At(i)->Source);
        return sources;
    }

    static std::unique_ptr<CBoundTools> s_tools;
};
std::unique_ptr<CBoundTools> CrawlTest::s_tools;

struct CrawlCase {
    const char* name;
    bool bDomainLinks;
    Links listed;
    Links offered;
    Links added;
};

TEST_F(CrawlTest, AddsOnlyWhatTheRunDoesNotKnow) {
    const CrawlCase kCases[] = {
        {"domain mode, every link on a known host", true, {"http://h.com/"}, {"http://h.com/a", "http://h.com/b/c"}, {}},
        {"domain mode, two pages of a new host", true, {"http://h.com/"}, {"http://k.com/1", "http://k.com/2"},
         {"http://k.com/1"}},
        {"domain mode, host inside a longer host", true, {"http://www.bigk.com/"}, {"http://k.com/x"}, {}},
        {"address mode, longer address is new", false, {"http://a.com/dir"}, {"http://a.com/dir/x.html"},
         {"http://a.com/dir/x.html"}},
        {"address mode, contained address is known", false, {"http://a.com/dir/x.html"}, {"http://a.com/dir"}, {}},
        {"letter case ignored", false, {"http://Site.com/Page"}, {"HTTP://SITE.COM/PAGE"}, {}},
        {"no host", false, {}, {"/relative/page.html", ""}, {}},
        {"refused by the tools library", false, {}, {"mailto:me@a.com", "ftp://a.com/x"}, {}},
        {"duplicates within one page", false, {}, {"http://n.com/", "http://n.com/"}, {"http://n.com/"}},
        {"shorter after longer", false, {}, {"http://n.com/abc", "http://n.com/ab"}, {"http://n.com/abc"}},
        {"https links are followed", false, {}, {"https://s.com/a"}, {"https://s.com/a"}},
        {"listed over http, offered over https", false, {"http://a.com/x"}, {"https://a.com/x"}, {}},
        {"listed over https, offered over http", false, {"https://a.com/x"}, {"HTTP://A.COM/X"}, {}},
        {"one page linked both ways", false, {}, {"https://m.com/p", "http://m.com/p"}, {"https://m.com/p"}},
        {"other scheme, longer address is new", false, {"https://a.com/dir"}, {"http://a.com/dir/x"},
         {"http://a.com/dir/x"}},
        {"domain mode, https link on a known host", true, {"http://h.com/"}, {"https://h.com/a"}, {}},
    };
    for (const CrawlCase& c : kCases) {
        g_RunList.Clear();
        g_nFollowed = 0;
        g_bDomainLinks = c.bDomainLinks;
        Seed(c.listed);
        AddTrawledUrlsToList(&c.offered, RecordTrace);
        Links expected = c.listed;
        expected.insert(expected.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(RunList(), expected) << c.name;
        EXPECT_EQ(g_nFollowed, static_cast<int>(c.added.size())) << c.name;
    }
}

TEST_F(CrawlTest, WithoutFollowLinksNothingIsAddedButEveryAddressIsShown) {
    g_bFollowLinks = false;
    g_bDomainLinks = true;
    const Links offered = {"http://x.com/", "http://y.com/"};
    AddTrawledUrlsToList(&offered, RecordTrace);
    EXPECT_EQ(g_RunList.Size(), 0u);
    EXPECT_EQ(g_statusLines, (std::vector<StatusLine>{{"Sending request to http://x.com/", 7},
                                                      {"Sending request to http://y.com/", 7}}));
    EXPECT_TRUE(g_traceLines.empty());
}

TEST_F(CrawlTest, NewRecordIsFreshAndAnnounced) {
    const Links offered = {"http://new.com/page.html"};
    AddTrawledUrlsToList(&offered, RecordTrace);
    ASSERT_EQ(g_RunList.Size(), 1u);
    const URLInfo* lpInfo = g_RunList.At(0);
    URLInfo expected = MakeRecord("http://new.com/page.html");
    EXPECT_EQ(std::memcmp(lpInfo, &expected, sizeof expected), 0);
    EXPECT_EQ(g_traceLines, (std::vector<StatusLine>{{"http://new.com/page.html quered", 7}}));
}

TEST_F(CrawlTest, AtMostMaxResultsPlusOneAreAdded) {
    g_nMaxResults = 2;
    const Links first = {"http://a1.com/", "http://a2.com/", "http://a3.com/", "http://a4.com/"};
    AddTrawledUrlsToList(&first, RecordTrace);
    const Links later = {"http://a5.com/"};
    AddTrawledUrlsToList(&later, RecordTrace);
    EXPECT_EQ(RunList(), (Links{"http://a1.com/", "http://a2.com/", "http://a3.com/"}));
    EXPECT_EQ(g_nFollowed, 3);
}

TEST_F(CrawlTest, RefusedAddressDoesNotCount) {
    g_nMaxResults = 0;
    const Links offered = {"mailto:me@a.com", "http://ok.com/", "http://late.com/"};
    AddTrawledUrlsToList(&offered, RecordTrace);
    EXPECT_EQ(RunList(), Links{"http://ok.com/"});
}

TEST_F(CrawlTest, LongLinkIsCutAndRecognisedAgain) {
    const std::string address = "http://long.com/" + std::string(2100 - 16, 'p');
    const Links offered = {address, address + "/more"};
    AddTrawledUrlsToList(&offered, RecordTrace);
    ASSERT_EQ(g_RunList.Size(), 1u);
    EXPECT_EQ(std::string(g_RunList.At(0)->Source), address.substr(0, kSourceSize - 1));
    EXPECT_EQ(g_RunList.At(0)->Incoming, 0);  // the field after Source is untouched
}

TEST_F(CrawlTest, StopRequestEndsTheWalk) {
    g_Stopped = true;
    const Links offered = {"http://x.com/"};
    AddTrawledUrlsToList(&offered, RecordTrace);
    EXPECT_EQ(g_RunList.Size(), 0u);
    EXPECT_TRUE(g_statusLines.empty());
}

TEST_F(CrawlTest, IsURLExistsAnswersTheFirstMatch) {
    Seed({"http://a.com/x", "http://b.com/a.com/y", "http://a.com/z"});
    bool bNew = true;
    EXPECT_EQ(IsURLExists("A.COM/", &bNew), g_RunList.At(0));
    EXPECT_FALSE(bNew);
    g_bDomainLinks = true;
    EXPECT_EQ(IsURLExists("http://b.com/other", &bNew), g_RunList.At(1));
    EXPECT_EQ(IsURLExists("http://c.com/", &bNew), nullptr);
    EXPECT_TRUE(bNew);
    bNew = true;
    EXPECT_EQ(IsURLExists("/no/host", &bNew), nullptr);
    EXPECT_FALSE(bNew);
}

}  // namespace
