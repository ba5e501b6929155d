// Runs through the real window against today's services as the local web
// serves them over https: result pages from a SearXNG instance or the Brave
// Search API, ranks from Open PageRank. The rows are the pages the corpus
// lists, each ranked as its domain, with backward links not measured and
// every other figure as the classic services give it; a configuration
// fault gives one message and a normal end; no key reaches the log.
#include "end_to_end_runs/run_web.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "base/link_record.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "scripted_server_win.h"
#include "support/log_capture.h"
#include "ui/source_settings_win.h"
#include "support/wait_until.h"

namespace {

// Sites of this program: 127.0.68.N; the three services on 127.0.68.201
// to .203, https only, behind the TLS front of tests/end_to_end_runs.
const char kSiteBase[] = "127.0.68.2";
const char kSearxng[] = "127.0.68.201";
const char kBrave[] = "127.0.68.202";
const char kOpenPageRank[] = "127.0.68.203";
// A SearXNG address where nothing listens, and one behind a TLS front that
// shows a self-signed certificate. The front connects to the server behind
// it before the handshake is done: with none there it would reset the
// connection, and the refusal would not be the certificate's.
const char kUnreachable[] = "https://127.0.68.209/";
const char kSelfSigned[] = "https://127.0.68.204/";
const char kSelfSignedHost[] = "127.0.68.204";
constexpr int kBehindFront = 8080;

simweb::SourceServices Services() {
    simweb::SourceServices services = simweb::DefaultSourceServices();
    services[static_cast<std::size_t>(simweb::SourceKind::SearXng)].host = kSearxng;
    services[static_cast<std::size_t>(simweb::SourceKind::Brave)].host = kBrave;
    services[static_cast<std::size_t>(simweb::SourceKind::OpenPageRank)].host = kOpenPageRank;
    return services;
}

CSourceSettings Sources(EResultsSource results) { return LocalWebSources(results, kSearxng, kBrave, kOpenPageRank); }

class SourceRunsTest : public RunWebTest {
protected:
    static void SetUpTestSuite() { StartWeb(kSiteBase, 0, "", nullptr, kRunWebCorpus, Services()); }

    void Choose(const CSourceSettings& sources) {
        ASSERT_TRUE(SaveSourceSettings(sources));
        PutSourceSettings(sources);
    }
    void SetFaults(simweb::SourceKind kind, const simweb::SourceFaults& faults) { s_web->SetSourceFaults(kind, faults); }

    // A page's row: its domain's rank from the service, backward links not
    // measured, the outbound count and the boost as ever.
    RowFacts ServiceFacts(int nPage) const {
        RowFacts facts = FactsOf(Corpus(), Corpus().Page(nPage).address);
        facts.nRank = Corpus().Rank(Corpus().Site(Corpus().Page(nPage).site).home);
        facts.nBackward = kNotMeasured;
        facts.nBoost = RankBoost(facts.nRank, facts.nOutbound);
        return facts;
    }
    std::vector<RowFacts> ServiceFacts(const std::vector<int>& pages) const {
        std::vector<RowFacts> rows;
        for (int nPage : pages) rows.push_back(ServiceFacts(nPage));
        return rows;
    }
    std::size_t Requests(const char* szHost) const {
        std::size_t nCount = 0;
        for (const simweb::RequestLogEntry& entry : s_web->Requests())
            if (entry.host == szHost) ++nCount;
        return nCount;
    }
    void ExpectNoKeyLogged() const {
        EXPECT_EQ(m_log.Count(simweb::kDefaultBraveToken), 0u);
        EXPECT_EQ(m_log.Count(simweb::kDefaultOpenPageRankKey), 0u);
    }

    CLogCapture m_log;
};

struct ResultsCase {
    const char* szName;
    EResultsSource results;
    const char* szHost;
};
const ResultsCase kResultsCases[] = {
    {"searxng", EResultsSource::SearXng, kSearxng},
    {"brave", EResultsSource::Brave, kBrave},
};

// Every result of two keywords, in the service's order, with one rank
// request per result page at most and none to the classic engine.
TEST_F(SourceRunsTest, KeywordRunsThroughEachResultService) {
    for (const ResultsCase& c : kResultsCases) {
        SCOPED_TRACE(c.szName);
        Choose(Sources(c.results));
        const std::string first = PickQuery(Corpus(), 12, 45), second = SmallQuery(Corpus(), 11, {first});
        ASSERT_FALSE(second.empty());
        std::vector<int> pages = Corpus().Search(first);
        for (int nPage : Corpus().Search(second)) pages.push_back(nPage);
        const std::size_t nResultsFrom = Requests(c.szHost), nRanksFrom = Requests(kOpenPageRank);
        m_nFrom = s_web->RequestCount();
        RunKeywords(first + "\r\n" + second);
        ExpectRows(m_window, ServiceFacts(pages));
        const std::size_t nResultPages = Requests(c.szHost) - nResultsFrom;
        EXPECT_GE(nResultPages, 2u);
        EXPECT_LE(Requests(kOpenPageRank) - nRanksFrom, nResultPages) << "one rank request per result page at most";
        EXPECT_TRUE(ResultPageRequests(*s_web, m_nFrom).empty()) << "the classic engine is not asked";
        EXPECT_NE(g_ReportText.find("Backward: \r\n"), std::string::npos) << "not measured in the report";
    }
    ExpectNoKeyLogged();
}

// A Top-20 run through each result service ranks the first twenty results,
// from as many of its pages as that takes; a URL run ranks each typed page
// by its domain.
TEST_F(SourceRunsTest, TopTwentyAndUrlRunsRankByDomain) {
    const std::string keyword = PickQuery(Corpus(), 25, 1000);
    ASSERT_FALSE(keyword.empty());
    const std::vector<int> top = First(Corpus().Search(keyword), 20);
    std::string section = "Google Top 20 Keyword: \"" + keyword + "\".\r\n\r\n";
    for (std::size_t i = 0; i < top.size(); ++i)
        section += "Ranked #" + std::to_string(i + 1) + " in Google - PR:" + std::to_string(ServiceFacts(top[i]).nRank) +
                   " Source:" + Corpus().Page(top[i]).address + "\r\n";
    for (const ResultsCase& c : kResultsCases) {
        SCOPED_TRACE(c.szName);
        Choose(Sources(c.results));
        const std::size_t nResultsFrom = Requests(c.szHost);
        m_nFrom = s_web->RequestCount();
        m_window.SetChecked(m_window.Main(), IDC_TOP20, true);
        m_window.SetText(IDC_KEYWORDS, keyword);
        m_window.Click(IDC_TRAWL);
        HWND hReport = m_window.WaitForWindow("Report", 300000);
        ASSERT_NE(hReport, nullptr);
        PostMessageA(hReport, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(m_window.WaitForWindowGone(hReport));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(m_window.Control(IDC_TRAWL)) != FALSE; }, 60000));
        EXPECT_EQ(g_ReportText, section + "\r\n\r\n");
        EXPECT_GE(Requests(c.szHost) - nResultsFrom, 1u) << "the chosen service gave the results";
        EXPECT_TRUE(ResultPageRequests(*s_web, m_nFrom).empty()) << "the classic engine is not asked";
    }
    m_window.SetChecked(m_window.Main(), IDC_TOP20, false);

    const std::vector<int> typed = {top[0], top[top.size() - 1]};
    RunUrls(Addresses(Corpus(), typed), false, false);
    ExpectRows(m_window, ServiceFacts(typed));
    ExpectNoKeyLogged();
}

struct FaultCase {
    const char* szName;
    EResultsSource results;
    simweb::SourceKind kind;
    simweb::SourceFaults faults;
    const char* szFix;  // what the message asks of the user
    const char* szInstance = nullptr;  // another SearXNG instance address than the local web's
    const char* szBehindFront = nullptr;  // a server behind that instance's TLS front, never to be asked
};
simweb::SourceFaults Faults(bool bJsonOff, bool bKeyRefused, bool bQuotaUsed) {
    simweb::SourceFaults faults;
    faults.bJsonOff = bJsonOff;
    faults.bKeyRefused = bKeyRefused;
    faults.bQuotaUsed = bQuotaUsed;
    return faults;
}
const FaultCase kFaultCases[] = {
    {"searxng_json_off", EResultsSource::SearXng, simweb::SourceKind::SearXng, Faults(true, false, false),
     "add json under search: formats:"},
    {"brave_key_refused", EResultsSource::Brave, simweb::SourceKind::Brave, Faults(false, true, false),
     "refused the key"},
    {"brave_quota", EResultsSource::Brave, simweb::SourceKind::Brave, Faults(false, false, true), "quota is used up"},
    {"openpagerank_key_refused", EResultsSource::SearXng, simweb::SourceKind::OpenPageRank,
     Faults(false, true, false), "refused the key"},
    {"searxng_unreachable", EResultsSource::SearXng, simweb::SourceKind::SearXng, Faults(false, false, false),
     "a server that is down): check the address under Settings > Sources", kUnreachable},
    {"searxng_certificate_refused", EResultsSource::SearXng, simweb::SourceKind::SearXng,
     Faults(false, false, false), "an authority it does not trust): give the server a valid certificate", kSelfSigned,
     kSelfSignedHost},
};

// A configuration fault: one message that names the fix, then the run ends
// as a stopped run ends, with no row.
TEST_F(SourceRunsTest, ConfigurationFaultGivesOneMessageAndANormalEnd) {
    for (const FaultCase& c : kFaultCases) {
        SCOPED_TRACE(c.szName);
        CSourceSettings sources = Sources(c.results);
        if (c.szInstance) sources.searxngInstance = c.szInstance;
        Choose(sources);
        SetFaults(c.kind, c.faults);
        std::unique_ptr<simweb::CScriptedServer> behind;
        if (c.szBehindFront) {
            behind = std::make_unique<simweb::CScriptedServer>(c.szBehindFront, kBehindFront);
            ASSERT_TRUE(behind->Listen());
        }
        m_window.SetText(IDC_KEYWORDS, PickQuery(Corpus(), 12, 45));
        m_window.Click(IDC_TRAWL);
        HWND hBox = WaitForProgramBox(m_window);
        ASSERT_NE(hBox, nullptr);
        EXPECT_NE(CMainWindowHarness::MessageText(hBox).find(c.szFix), std::string::npos)
            << CMainWindowHarness::MessageText(hBox);
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        HWND hFinished = m_window.WaitForWindow("Finished", 120000);
        EXPECT_EQ(WaitForProgramBox(m_window, 0), nullptr) << "one message";
        AnswerFinished(m_window, hFinished);
        SetFaults(c.kind, simweb::SourceFaults());
        EXPECT_EQ(m_window.RowCount(), 0);
        if (behind) {
            EXPECT_EQ(behind->RequestCount(), 0u) << "no request passes a refused certificate";
        }
    }
    ExpectNoKeyLogged();
}

// A passing fault (one 429, an answer cut half-way) costs the page it
// falls on: the first result page counts as not loaded, the run goes on
// with the next, and no message is shown.
TEST_F(SourceRunsTest, PassingFaultCostsOnlyItsPage) {
    simweb::SourceFaults rateLimited, malformed;
    rateLimited.bRateLimitOnce = true;
    malformed.bMalformedOnce = true;
    const std::pair<simweb::SourceFaults, const char*> kFaults[] = {{rateLimited, "(asked to wait (429))"},
                                                                    {malformed, "(a malformed answer)"}};
    for (const auto& fault : kFaults) {
        SCOPED_TRACE(fault.second);
        Choose(Sources(EResultsSource::SearXng));
        const std::string keyword = PickQuery(Corpus(), 12, 45);
        ASSERT_FALSE(keyword.empty());
        std::vector<int> pages = Corpus().Search(keyword);
        pages.erase(pages.begin(), pages.begin() + 10);  // the first page's ten
        SetFaults(simweb::SourceKind::SearXng, fault.first);
        RunKeywords(keyword);
        EXPECT_EQ(WaitForProgramBox(m_window, 0), nullptr) << "no message";
        ExpectRows(m_window, ServiceFacts(pages));
        EXPECT_EQ(m_log.Count(std::string("gave no usable answer this time ") + fault.second), 1u) << "one log line";
    }
}

// Neither SearXNG nor Brave answers "link:" queries: a back-link run is
// refused with a message and nothing starts.
TEST_F(SourceRunsTest, BacklinkRunNeedsTheClassicResultPages) {
    Choose(Sources(EResultsSource::SearXng));
    m_nFrom = s_web->RequestCount();
    ASSERT_TRUE(StartUrlRun(m_window.Main(), GetCurrentProcessId(), Corpus().Page(0).address, false, false, true));
    HWND hBox = WaitForProgramBox(m_window);
    ASSERT_NE(hBox, nullptr);
    EXPECT_NE(CMainWindowHarness::MessageText(hBox).find("\"link:\""), std::string::npos);
    PostMessageA(hBox, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(m_window.WaitForWindowGone(hBox));
    EXPECT_EQ(m_window.WaitForWindow("Finished", 0), nullptr);
    EXPECT_EQ(s_web->RequestCount(), m_nFrom) << "nothing was asked";
    EXPECT_TRUE(IsWindowEnabled(m_window.Control(IDC_TRAWLURLS)));
}

// The searx instance the source_runs_searx fixture starts: Debian's searx,
// the real server SearXNG grew from, with the same JSON search API. Its one
// engine reads this program's local web as the classic engine pages:
// "/search?q=...&num=10&start=N", ten results a page.
const char kSearxInstance[] = SOURCE_RUNS_SEARX;

std::string SearxEngineTarget(const std::string& keyword, std::size_t nStart) {
    return "/search?q=" + keyword + "&num=10&start=" + std::to_string(nStart);
}

// searx's log from byte nFrom on (empty when there is none).
std::string SearxLog(std::streamoff nFrom = 0) {
    std::ifstream log(SOURCE_RUNS_SEARX_LOG, std::ios::binary);
    if (!log || !log.seekg(nFrom)) return "";
    std::ostringstream text;
    text << log.rdbuf();
    return text.str();
}

// The searx searches the log records: the target of each "GET /search?".
std::vector<std::string> SearxSearches(const std::string& log) {
    std::vector<std::string> targets;
    const std::string head = "\"GET /search?", tail = " HTTP/";
    for (std::size_t nAt = log.find(head); nAt != std::string::npos; nAt = log.find(head, nAt + 1)) {
        const std::size_t nEnd = log.find(tail, nAt);
        if (nEnd == std::string::npos) break;
        targets.push_back(log.substr(nAt + 5, nEnd - nAt - 5));
    }
    return targets;
}

// A keyword run whose result pages come from a real searx: the rows are the
// corpus's results in its order, ranked by the classic rank service, with
// backward links not measured. Between the program and the engine searx
// did the paging: the program asked it for page 1, 2, ... and searx asked
// the engine for start=0, 10, ...; each answer past the last page repeats
// the last page, which ends the keyword.
TEST_F(SourceRunsTest, KeywordRunThroughARealSearx) {
    CSourceSettings sources;
    sources.results = EResultsSource::SearXng;
    sources.searxngInstance = kSearxInstance;
    Choose(sources);
    // Eleven to thirty results: two to three pages and the one past them.
    // A single lower-case word, as this searx's xpath engine percent-encodes
    // the query twice: only such a word reaches the engine unchanged.
    const std::string keyword = PickQuery(Corpus(), 11, 30);
    ASSERT_FALSE(keyword.empty());
    const std::vector<int> pages = Corpus().Search(keyword);
    const std::streamoff nLogFrom = static_cast<std::streamoff>(SearxLog().size());
    m_nFrom = s_web->RequestCount();
    m_window.SetText(IDC_KEYWORDS, keyword);
    m_window.Click(IDC_TRAWL);
    // A searx that fails the run (one that serves no JSON, say) makes the
    // run show its one message: told at once, with searx's log.
    HWND hFinished = nullptr, hBox = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] {
            hBox = WaitForProgramBox(m_window, 0);
            hFinished = m_window.WaitForWindow("Finished", 0);
            return hBox || hFinished;
        },
        300000))
        << "the run did not end; searx's log:\n" << SearxLog(nLogFrom);
    if (hBox) {
        ADD_FAILURE() << CMainWindowHarness::MessageText(hBox) << "\nsearx's log:\n" << SearxLog(nLogFrom);
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        AnswerFinished(m_window, m_window.WaitForWindow("Finished", 120000));
        return;
    }
    AnswerFinished(m_window, hFinished);

    std::vector<RowFacts> rows = FactsOf(Corpus(), Addresses(Corpus(), pages));
    for (RowFacts& row : rows) row.nBackward = kNotMeasured;
    ExpectRows(m_window, rows);
    std::vector<std::string> engineTargets, searxTargets;
    for (std::size_t nStart = 0, nPage = 1; nStart <= (pages.size() + 9) / 10 * 10; nStart += 10, ++nPage) {
        engineTargets.push_back(SearxEngineTarget(keyword, nStart));
        searxTargets.push_back("/search?q=" + keyword + "&format=json&pageno=" + std::to_string(nPage));
    }
    // Every result-page request the engine had came from searx: the
    // program's own classic queries look otherwise.
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), engineTargets);
    const std::string log = SearxLog(nLogFrom);
    EXPECT_EQ(SearxSearches(log), searxTargets);
    EXPECT_NE(g_ReportText.find("Backward: \r\n"), std::string::npos) << "not measured in the report";
    if (HasFailure()) ADD_FAILURE() << "searx's log of the run:\n" << log;
}

}  // namespace
