// The rank and backward-link queries against a search engine on a thread of
// the test program, listening on the build's search host.
#include <gtest/gtest.h>

#include <ctime>
#include <mutex>

#include "base/run_state.h"
#include "evaluate/rank_query_win.h"
#include "scripted_server_win.h"
#include "support/log_capture.h"
#include "support/tools_binding.h"
#include "ui/status.h"
#include "web/query_pause.h"
#include "web/tools_library.h"

namespace {

std::vector<int> g_positions;

void RecordPosition(const char*, int nPosition) { g_positions.push_back(nPosition); }

class SearchQueryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_tools.IsBound());
        m_server.SetHandler([this](const simweb::HttpRequestHead& request) {
            std::lock_guard<std::mutex> lock(m_lock);
            return simweb::MakeAnswer(200, m_body);
        });
        ASSERT_TRUE(m_server.Listen());
        g_nQueryDelay = 0;
        g_tLastQuery = 0;
        g_nLinks = 0;
        g_positions.clear();
        SetStatusRoutine(RecordPosition);
    }
    void TearDown() override { SetStatusRoutine(nullptr); }

    void Serve(const std::string& body) {
        std::lock_guard<std::mutex> lock(m_lock);
        m_body = body;
    }
    std::string LastTarget() const {
        std::vector<simweb::HttpRequestHead> requests = m_server.Requests();
        return requests.empty() ? std::string() : requests.back().target;
    }

    CBoundTools m_tools;
    simweb::CScriptedServer m_server{PELLMARK_SEARCH_HOST};
    std::mutex m_lock;
    std::string m_body;
};

struct AnswerCase {
    const char* body;
    int expected;
};

TEST_F(SearchQueryTest, RankAnswers) {
    const AnswerCase kCases[] = {
        {"Rank_1:1:6\n", 6}, {"Rank_1:1:10", 10}, {"fail", 0}, {"Rank_1:6", 0},
        {"no colon", 0},     {"Rank_1:1:", 0},    {"", 0},     {"Rank_1:1:12", 12},
    };
    for (const AnswerCase& c : kCases) {
        Serve(c.body);
        g_tLastQuery = 0;
        std::time_t tBefore = std::time(nullptr);
        EXPECT_EQ(GetCorvane("http://site.com/page.html", 3), c.expected) << c.body;
        EXPECT_GE(g_tLastQuery.load(), tBefore) << "stamped whatever the answer: " << c.body;
    }
    EXPECT_EQ(m_server.RequestCount(), std::size(kCases));
}

TEST_F(SearchQueryTest, RankQueryCarriesChecksumAndAddressUnchanged) {
    Serve("Rank_1:1:4");
    const char kAddress[] = "http://site.com/a.php?x=1&y=2";
    char szChecksum[kChecksumSize] = {};
    g_pfnGetCH(kAddress, szChecksum);
    ASSERT_NE(szChecksum[0], '\0');
    EXPECT_EQ(GetCorvane(kAddress, 1), 4);
    EXPECT_EQ(LastTarget(), std::string("/search?client=navclient-auto&ch=") + szChecksum +
                                "&ie=UTF-8&oe=UTF-8&features=Rank&q=info:" + kAddress);
    EXPECT_EQ(m_server.Requests().back().host, PELLMARK_SEARCH_HOST);
}

TEST_F(SearchQueryTest, ProgressPositionIsTheCallersOrTheLinkCount) {
    Serve("Rank_1:1:1");
    g_nLinks = 12;
    GetCorvane("http://site.com/", -1);
    ASSERT_FALSE(g_positions.empty());
    for (int n : g_positions) EXPECT_EQ(n, 12);
    g_positions.clear();
    GetCorvane("http://site.com/", 3);
    ASSERT_FALSE(g_positions.empty());
    for (int n : g_positions) EXPECT_EQ(n, 3);
}

TEST_F(SearchQueryTest, NoAddressSendsNothing) {
    EXPECT_EQ(GetCorvane(nullptr, 0), 0);
    EXPECT_EQ(GetBackwardLinks(nullptr), 0);
    EXPECT_EQ(m_server.RequestCount(), 0u);
}

TEST_F(SearchQueryTest, BackwardLinkAnswers) {
    const AnswerCase kCases[] = {
        {"Results 1 - 10 of about <b>1,234</b> linking to", 1234},
        {"Results 1 - 10 of <b>12</b> linking to", 12},
        {"of about <b>1 234</b>", 1234},
        {"of about <b>12345678901234567</b>", 0},
        {"of about <b>98,765,432,109</b>", 2147483647},
        {"Software <b>news</b>", 0},
        {"fail", 0},
        {"", 0},
    };
    URLInfo info = MakeRecord("http://site.com/x y&z");
    for (const AnswerCase& c : kCases) {
        Serve(c.body);
        g_tLastQuery = 0;
        std::time_t tBefore = std::time(nullptr);
        EXPECT_EQ(GetBackwardLinks(&info), c.expected) << c.body;
        EXPECT_GE(g_tLastQuery.load(), tBefore) << c.body;
    }
    std::string target = LastTarget();
    EXPECT_EQ(target.substr(0, 22), "/search?q=link:http://");
    EXPECT_NE(target.find("site.com/x"), std::string::npos);
    EXPECT_NE(target.find("&z"), std::string::npos);
    EXPECT_EQ(info.Incoming, 0) << "the record is not changed";
}

struct WaitCase {
    const char* szStamp;
    int64_t nStampFromNow;  // seconds
    int nWaitMs;
};

TEST_F(SearchQueryTest, TheNextQueryWaitsWhatTheDelayLeaves) {
    // The stamps have whole seconds: a query stamped within this second
    // waits the whole delay.
    const WaitCase kCases[] = {
        {"now", 0, 2000},
        {"one second ago", -1, 1000},
        {"two seconds ago", -2, 0},
        {"three seconds ago", -3, 0},
        // The clock went back: one delay, as after a query made now.
        {"an hour ahead", 3600, 2000},
    };
    const int64_t tNow = NowSeconds();
    for (const WaitCase& c : kCases)
        ASSERT_EQ(QueryIntervalRemaining(tNow, tNow + c.nStampFromNow, 2000), c.nWaitMs) << c.szStamp;

    // Both queries pause before they go out. A stamp ahead of the clock
    // makes the wait one delay whichever second the query starts in; were
    // that rule wrong, the rows above have ended the test before a query
    // could wait for an hour.
    Serve("Rank_1:1:5");
    g_nQueryDelay = 2000;
    CLogCapture log;
    g_tLastQuery = tNow + 3600;
    EXPECT_EQ(GetCorvane("http://site.com/1", 0), 5);
    URLInfo info = MakeRecord("http://site.com/2");
    g_tLastQuery = tNow + 3600;
    GetBackwardLinks(&info);
    EXPECT_EQ(log.Count("SleepForQueryInterval: waiting 2000 ms"), 2u);
    EXPECT_EQ(m_server.RequestCount(), 2u);
}

}  // namespace
