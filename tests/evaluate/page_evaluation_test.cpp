// ParsePage end to end: a search engine on a thread of the test program,
// a result list and a main window of the test's own, the real mailing list.
#include <winsock2.h>
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <mutex>

#include "base/result_list.h"
#include "evaluate/guarded_text.h"
#include "evaluate/page_evaluation.h"
#include "report/mailing_list.h"
#include "support/log_capture.h"
#include "support/options_sandbox.h"
#include "support/result_windows.h"
#include "scripted_server_win.h"
#include "support/tools_binding.h"

namespace {

const char kPage[] = "http://site.com/dir/index.html";

std::vector<std::string> g_status;

void RecordStatus(const char* szText, int) { g_status.emplace_back(szText); }

class ParsePageTest : public ::testing::Test {
protected:
    // Evaluation threads have COM initialised: the content checks create
    // the components on them.
    static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    static void TearDownTestSuite() { CoUninitialize(); }

    void SetUp() override {
        ASSERT_TRUE(m_tools.IsBound());
        m_server.SetHandler([this](const simweb::HttpRequestHead& request) {
            std::lock_guard<std::mutex> lock(m_lock);
            if (request.target.find("features=Rank") != std::string::npos) return simweb::MakeAnswer(200, m_rankReply);
            if (request.target.find("q=link:") != std::string::npos) return simweb::MakeAnswer(200, m_linkReply);
            if (request.target.find("/cgi-bin/checkdomain.pl") == 0) return simweb::MakeAnswer(200, m_whoIsReply);
            return simweb::MakeAnswer(200, "");
        });
        ASSERT_TRUE(m_server.Listen());
        SetRankReply("Rank_1:1:5");
        SetLinkReply("of about <b>55</b>");
        iMinPR = 0;
        g_nMaxResults = 100;
        g_nLinks = 0;
        g_nQueryDelay = 0;
        g_bEmail = g_bContact = g_bKeyword = g_bWhoIs = false;
        g_szKeywords.clear();
        g_bUrlRun = false;
        g_bFollowLinks = true;
        g_bDomainLinks = false;
        g_nFollowed = 0;
        g_RunList.Clear();
        g_MailSender.ClearAll();
        g_status.clear();
    }
    void TearDown() override {
        g_RunList.Clear();
        g_MailSender.ClearAll();
    }

    void SetRankReply(const std::string& reply) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_rankReply = reply;
    }
    void SetLinkReply(const std::string& reply) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_linkReply = reply;
    }
    std::size_t Queries(const char* szKind) const {
        std::size_t n = 0;
        for (const simweb::HttpRequestHead& request : m_server.Requests()) n += request.target.find(szKind) != std::string::npos;
        return n;
    }
    std::vector<std::string> RunList() const {
        std::vector<std::string> sources;
        for (std::size_t i = 0; i < g_RunList.Size(); ++i) sources.emplace_back(g_RunList.At(i)->Source);
        return sources;
    }

    CBoundTools m_tools;
    COptionsSandbox m_sandbox;  // no sources key: the classic services
    simweb::CScriptedServer m_server{PELLMARK_SEARCH_HOST};
    CResultWindows m_windows;
    CLogCapture m_log;
    std::mutex m_lock;
    std::string m_rankReply, m_linkReply, m_whoIsReply;
};

TEST_F(ParsePageTest, BelowTheMinimumRankNothingElseHappens) {
    iMinPR = 3;
    SetRankReply("Rank_1:1:2");
    g_bEmail = true;
    g_MailSender.AddEmails(kPage, "me@site.com;", false);
    URLInfo info = MakeRecord(kPage);
    EXPECT_FALSE(ParsePage(&info, "<a href=\"a.html\">", RecordStatus));
    EXPECT_EQ(info.Rank, 2);
    EXPECT_EQ(g_status, (std::vector<std::string>{std::string("Checking ") + kPage + "....",
                                                  std::string("Skipping ") + kPage + ".... "}));
    EXPECT_EQ(m_windows.Rows(), 0);
    EXPECT_EQ(m_windows.ListMessages(), 0);
    EXPECT_TRUE(g_MailSender.HasEntry(kPage, false));
    EXPECT_EQ(Queries("q=link:"), 0u);
    EXPECT_EQ(info.Outcoming, 0);
    EXPECT_TRUE(m_log.Holds(std::string("Skipping ") + kPage + "....  with Rank = 2"));
}

TEST_F(ParsePageTest, KnownRankIsNotAskedAgain) {
    URLInfo info = MakeRecord(kPage);
    info.Rank = 7;
    EXPECT_TRUE(ParsePage(&info, "", RecordStatus));
    EXPECT_EQ(Queries("features=Rank"), 0u);
    EXPECT_EQ(Queries("q=link:"), 1u);
    EXPECT_EQ(info.Rank, 7);
}

TEST_F(ParsePageTest, FailedRankQueryGivesZeroAndTheEvaluationGoesOn) {
    SetRankReply("fail");
    URLInfo info = MakeRecord(kPage);
    EXPECT_TRUE(ParsePage(&info, "", RecordStatus));
    EXPECT_EQ(info.Rank, 0);
    EXPECT_EQ(m_windows.Rows(), 1);
}

TEST_F(ParsePageTest, PageWithoutLinksPassesItsOwnRank) {
    URLInfo info = MakeRecord(kPage);
    EXPECT_TRUE(ParsePage(&info, "<html>no links</html>", RecordStatus));
    EXPECT_EQ(info.Outcoming, 0);
    EXPECT_EQ(info.lPoint, 5);
    EXPECT_EQ(info.Incoming, 55);
    EXPECT_EQ(info.Item, 0);
    ASSERT_EQ(m_windows.Rows(), 1);
    EXPECT_EQ(m_windows.Cell(0, 0), kPage);
    const char* const kCells[] = {"5", "0", "55", "5"};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(m_windows.Cell(0, i + 1), kCells[i]) << "column " << i + 1;
    EXPECT_EQ(m_windows.ListMessages(), 1);
}

TEST_F(ParsePageTest, LinksAreCountedBeforeTheyAreMadeAbsolute) {
    const char kLinks[] = "http://a.com/ http://b.com/ <a href=\"x.html\"><a href=\"../y.html\">";
    for (bool bUrlRun : {false, true}) {
        g_bUrlRun = bUrlRun;
        g_RunList.Clear();
        URLInfo info = MakeRecord(kPage);
        EXPECT_TRUE(ParsePage(&info, kLinks, RecordStatus));
        EXPECT_EQ(info.Outcoming, 4);
        EXPECT_EQ(info.lPoint, 4);  // 7,776 / 4 = 1,944: rank step 4
        std::vector<std::string> expected;
        if (bUrlRun) expected = {"http://a.com/", "http://b.com/", "http://site.com/dir/x.html", "http://site.com/y.html"};
        EXPECT_EQ(RunList(), expected) << (bUrlRun ? "URL run" : "keyword run");
    }
}

TEST_F(ParsePageTest, MaximumReachedAcceptsWithoutRowAndStillCrawls) {
    g_nMaxResults = 1;
    g_nLinks = 1;
    g_bUrlRun = true;
    URLInfo info = MakeRecord(kPage);
    EXPECT_TRUE(ParsePage(&info, "http://next.com/", RecordStatus));
    EXPECT_EQ(m_windows.Rows(), 0);
    EXPECT_EQ(m_windows.ListMessages(), 0);
    EXPECT_EQ(info.Item, -1);
    EXPECT_EQ(RunList(), std::vector<std::string>{"http://next.com/"});
}

TEST_F(ParsePageTest, FailedContentCheckRejectsAndForgetsTheMailEntry) {
    struct {
        const char* name;
        bool* lpbOption;
        const char* keywords;
        const char* logLine;
    } const kCases[] = {
        {"e-mail", &g_bEmail, "", "URL skipped because email-address not found on the page"},
        {"contact page", &g_bContact, "", "URL skipped because contact page not found"},
        {"keywords", &g_bKeyword, "zebra", "URL skipped because no any keyword found on the page"},
    };
    std::size_t nRejected = 0;
    for (const auto& c : kCases) {
        g_bEmail = g_bContact = g_bKeyword = false;
        *c.lpbOption = true;
        g_szKeywords = c.keywords;
        g_MailSender.AddEmails(kPage, "me@site.com;", false);
        URLInfo info = MakeRecord(kPage);
        std::memset(info.Email, 'x', sizeof info.Email - 1);
        EXPECT_FALSE(ParsePage(&info, "<html>plain text, nothing to find</html>", RecordStatus)) << c.name;
        EXPECT_FALSE(g_MailSender.HasEntry(kPage, false)) << c.name;
        EXPECT_TRUE(m_log.Holds(c.logLine)) << c.name;
        ++nRejected;
        EXPECT_EQ(m_log.Count(std::string("URL skipped ") + kPage), nRejected) << c.name;
        EXPECT_EQ(m_log.Count(std::string("deleted from map: ") + kPage), nRejected) << c.name;
        if (c.lpbOption == &g_bEmail) {
            EXPECT_STREQ(info.Email, "");
        }
    }
    EXPECT_EQ(m_windows.Rows(), 0);
    EXPECT_EQ(Queries("q=link:"), 0u);
}

TEST_F(ParsePageTest, WhoIsLookupNeverRejects) {
    g_bWhoIs = true;
    URLInfo info = MakeRecord(kPage);
    std::memset(info.WhoIs, 'x', sizeof info.WhoIs - 1);
    EXPECT_TRUE(ParsePage(&info, "", RecordStatus));
    EXPECT_STREQ(info.WhoIs, "");
    EXPECT_EQ(m_windows.Rows(), 1);
}

TEST_F(ParsePageTest, FoundAddressIsKeptAndFiled) {
    g_bEmail = true;
    URLInfo info = MakeRecord(kPage);
    EXPECT_TRUE(ParsePage(&info, "<p>Write to me@site.com today</p>", RecordStatus));
    EXPECT_STREQ(info.Email, "me@site.com");
    EXPECT_TRUE(g_MailSender.HasEntry(kPage, false));
    ASSERT_EQ(m_windows.Rows(), 1);
}

TEST_F(ParsePageTest, RejectedPageStillGetsItsWhoIsLookup) {
    // The WhoIs entry is filed under the address cut after its host; the
    // removal looks for the page's own address.
    struct {
        const char* source;
        bool bWhoIsEntryStays;
    } const kCases[] = {{"http://site.com/dir/index.html", true}, {"http://site.com", false}};
    m_whoIsReply = "<pre>Registrant Email: owner@site.com</pre>";
    g_bEmail = g_bWhoIs = true;
    for (const auto& c : kCases) {
        g_MailSender.ClearAll();
        URLInfo info = MakeRecord(c.source);
        EXPECT_FALSE(ParsePage(&info, "<p>no address here</p>", RecordStatus)) << c.source;
        EXPECT_STREQ(info.WhoIs, "owner@site.com") << c.source;
        EXPECT_EQ(g_MailSender.HasEntry("http://site.com", true), c.bWhoIsEntryStays) << c.source;
    }
    EXPECT_EQ(m_windows.Rows(), 0);
}

TEST_F(ParsePageTest, MissingKeywordsAreTakenFromTheStoredSettings) {
    COptionsSandbox sandbox;
    sandbox.CreateEmpty();
    sandbox.SetDword("bKeyword", 1);
    sandbox.SetDword("bWhoIs", 1);
    sandbox.SetDword("dQueryDelay", 0);
    sandbox.SetRaw("Keywords", REG_SZ, "zebra");
    g_bKeyword = true;
    g_nQueryDelay = 100;
    URLInfo info = MakeRecord(kPage);
    EXPECT_FALSE(ParsePage(&info, "<html>no such animal</html>", RecordStatus));
    EXPECT_EQ(g_szKeywords, "zebra");
    EXPECT_TRUE(g_bWhoIs) << "the stored options take over";
    EXPECT_EQ(g_nQueryDelay, 0);
    EXPECT_TRUE(m_log.Holds("URL skipped because no any keyword found on the page"));
}

TEST_F(ParsePageTest, KeywordsMissingEverywhereDoNotReject) {
    COptionsSandbox sandbox;
    sandbox.CreateEmpty();
    sandbox.SetDword("bKeyword", 1);
    g_bKeyword = true;
    URLInfo info = MakeRecord(kPage);
    EXPECT_TRUE(ParsePage(&info, "<html></html>", RecordStatus));
    EXPECT_TRUE(m_log.Holds("Exception keywords are Missing !!"));
    EXPECT_EQ(m_windows.Rows(), 1);
}

TEST_F(ParsePageTest, HostilePagesAreReadNoFurtherThanTheirEnd) {
    const std::string longAddress = "http://long.com/" + std::string(2100 - 16, 'p');
    struct {
        const char* name;
        std::string page;
        int nOutcoming;
    } const kCases[] = {
        {"ends inside an attribute", "<a href=\"http://a.com/\">x</a><a href=\"rel", 1},
        {"ends inside http://", "<p>see http:/", 0},
        {"ends right after http://", "<p>see http://", 1},
        {"2,100-character address", "<a href=\"" + longAddress + "\">", 1},
    };
    g_bUrlRun = true;
    for (const auto& c : kCases) {
        g_RunList.Clear();
        CGuardedText page(c.page);
        URLInfo info = MakeRecord(kPage);
        EXPECT_TRUE(ParsePage(&info, page.Text(), RecordStatus)) << c.name;
        EXPECT_EQ(info.Outcoming, c.nOutcoming) << c.name;
        for (std::size_t i = 0; i < g_RunList.Size(); ++i)
            EXPECT_LT(std::strlen(g_RunList.At(i)->Source), kSourceSize) << c.name;
    }
    ASSERT_EQ(g_RunList.Size(), 1u);
    EXPECT_EQ(std::string(g_RunList.At(0)->Source), longAddress.substr(0, 2047));
}

}  // namespace
