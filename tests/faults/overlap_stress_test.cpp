// Thirty cycles of runs that overlap what an earlier run left behind: a
// crawl ended by "Force" while its worker waits on a site that never
// answers, a keyword run ended by "Force" while its evaluation waits on that
// site, a back-link run, and every third cycle a Top-20 run with "Trawl
// URLs" pressed beside it; each run started the moment the one before has
// ended, the options changed while runs are in progress. The threads left
// behind come back during later runs. Every run's rows come only from its
// own pages, the work list holds only the current run's records, the window
// answers within a second throughout, and it closes normally at the end.
#include "end_to_end_runs/run_web.h"

#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "base/run_fence.h"
#include "base/run_state.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "support/program_run.h"

namespace {

// Sites of this program: 127.0.96.N, the hostile ones 127.0.97.N.
constexpr int kCycles = 30;
constexpr UINT kAnswerMs = 1000;
constexpr int kRunMs = 120000;

std::size_t WorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

// The work list's addresses, read under the fence the run's threads take.
std::vector<std::string> WorkList() {
    std::vector<std::string> sources;
    WithinOwnRun([&] {
        for (std::size_t i = 0; i < g_RunList.Size(); ++i) sources.push_back(g_RunList.At(i)->Source);
    });
    return sources;
}

class OverlapStressTest : public RunWebTest {
protected:
    static void SetUpTestSuite() {
        StartWeb("127.0.96.2", 0, "", "127.0.97.1");
    }

    std::string Address(int page) const { return Corpus().Page(page).address; }
    std::string NeverAnswers() const {
        const std::string host = HostileHost(Corpus(), simweb::HostileKind::NeverAnswers);
        for (int page : HostilePages(Corpus()))
            if (Corpus().Site(Corpus().Page(page).site).host == host) return Address(page);
        return "";
    }
    bool ShowsNeverAnswers() const {
        return m_window.Text(IDC_STATUS).find(HostileHost(Corpus(), simweb::HostileKind::NeverAnswers)) !=
               std::string::npos;
    }

    // Ordinary pages with links to other pages, one per crawl, all different.
    int NextCrawlPage() {
        while (m_nNextPage < static_cast<int>(Corpus().PageCount())) {
            int page = m_nNextPage++;
            if (!IsHostileAddress(Corpus(), Address(page)) && !Corpus().LinkTargets(page).empty()) return page;
        }
        return -1;
    }

    // A page of this run's work list: typed, or a link of the page it
    // crawled (a relative one made absolute ends with the link as written).
    bool BelongsToCrawl(const std::string& address, int page, const std::vector<std::string>& typed) const {
        if (std::find(typed.begin(), typed.end(), address) != typed.end()) return true;
        const std::vector<int>& targets = Corpus().LinkTargets(page);
        if (std::find(targets.begin(), targets.end(), Corpus().FindPage(address)) != targets.end()) return true;
        for (const std::string& href : Corpus().OutboundLinks(page))
            if (address.size() >= href.size() && address.compare(address.size() - href.size(), href.size(), href) == 0)
                return true;
        return false;
    }

    // Stop, then "Force": the run ends at once, its question comes.
    void Force() {
        m_window.Click(IDC_TRAWL);
        HWND hStop = m_window.WaitForWindow("Working....");
        ASSERT_NE(hStop, nullptr);
        m_window.Click(hStop, IDC_FORCE);
        AnswerFinished(m_window, m_window.WaitForWindow("Finished", kRunMs));
    }

    void ForcedCrawl() {
        int page = NextCrawlPage();
        ASSERT_GE(page, 0);
        const std::vector<std::string> typed = {Address(page), NeverAnswers()};
        ASSERT_TRUE(StartUrlRun(m_window.Main(), GetCurrentProcessId(), typed[0] + "\r\n" + typed[1], true, false));
        ASSERT_TRUE(WaitUntil([&] { return ShowsNeverAnswers(); }, kRunMs));
        for (const std::string& source : WorkList())
            EXPECT_TRUE(BelongsToCrawl(source, page, typed)) << source << " in the crawl of " << typed[0];
        Force();
        EXPECT_EQ(RowAddresses(m_window), std::vector<std::string>{typed[0]}) << "the crawl's rows";
        EXPECT_TRUE(WorkList().empty()) << "the ended run's work list is released";
    }

    // Queries with a few ordinary results, taken in turn, so that two runs
    // in a row never share one.
    void ChooseQueries() {
        std::vector<std::string> taken = {"hostile"};
        for (std::string query; taken.size() <= kCycles && !(query = SmallQuery(Corpus(), 10, taken)).empty();)
            taken.push_back(query);
        m_queries.assign(taken.begin() + 1, taken.end());
    }

    void ForcedKeywordRun(int nCycle) {
        const std::string& word = m_queries[static_cast<std::size_t>(nCycle) % m_queries.size()];
        m_lastQuery = word;
        m_window.SetText(IDC_KEYWORDS, word + "\r\nhostile neveranswers");
        m_window.Click(IDC_TRAWL);
        ASSERT_TRUE(WaitUntil([&] { return ShowsNeverAnswers(); }, kRunMs));
        // The options change while the evaluation waits; it comes back later
        // with one set of them.
        ChooseOptions(PageOptions{false, false, false, m_bWhoIs = !m_bWhoIs, ""});
        Force();
        EXPECT_EQ(RowAddresses(m_window), Addresses(Corpus(), Corpus().Search(word))) << word;
    }

    // A page with a few backward links, none of them from a hostile site.
    bool FewOrdinaryBacklinks(int page) const {
        const std::vector<int>& backlinks = Corpus().Backlinks(page);
        if (backlinks.empty() || backlinks.size() > 10 || IsHostileAddress(Corpus(), Address(page))) return false;
        return std::none_of(backlinks.begin(), backlinks.end(),
                            [&](int from) { return IsHostileAddress(Corpus(), Address(from)); });
    }

    void BacklinkRun() {
        int page = -1;
        while (page < 0 && m_nBacklinkPage < static_cast<int>(Corpus().PageCount())) {
            int candidate = m_nBacklinkPage++;
            if (FewOrdinaryBacklinks(candidate)) page = candidate;
        }
        ASSERT_GE(page, 0);
        AnswerFinished(m_window, m_window.RunUrls(Address(page), false, false, true));
        std::vector<std::string> rows = RowAddresses(m_window);
        EXPECT_FALSE(rows.empty());
        std::vector<std::string> own = Addresses(Corpus(), Corpus().Backlinks(page));
        for (const std::string& row : rows)
            EXPECT_NE(std::find(own.begin(), own.end(), row), own.end()) << row << " links to " << Address(page);
    }

    // A Top-20 run with "Trawl URLs" pressed beside it: no URL run starts.
    void Top20WithUrlsPressed() {
        m_window.SetChecked(m_window.Main(), IDC_TOP20, true);
        m_window.SetText(IDC_KEYWORDS, m_lastQuery);
        // Both clicks are queued in order: the second reaches the window once
        // the run has started, and the run cannot end before its report,
        // which stays open until it is closed below. (A small query may rank
        // its results faster than its own window can be seen.)
        m_window.Click(IDC_TRAWL);
        m_window.Click(IDC_TRAWLURLS);
        HWND hReport = m_window.WaitForWindow("Report", kRunMs);
        ASSERT_NE(hReport, nullptr);
        EXPECT_EQ(m_window.WaitForWindow("URL Trawl", 0), nullptr);
        EXPECT_TRUE(g_ReportIsTop20);
        PostMessageA(hReport, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(m_window.WaitForWindowGone(hReport));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(m_window.Control(IDC_TRAWL)) != FALSE; }, kRunMs));
        m_window.SetChecked(m_window.Main(), IDC_TOP20, false);
    }

    int m_nNextPage = 0;
    int m_nBacklinkPage = 0;
    std::vector<std::string> m_queries;
    std::string m_lastQuery;
    bool m_bWhoIs = false;
};

TEST_F(OverlapStressTest, ThirtyCyclesLeaveNothingOfOneRunInTheNext) {
    ASSERT_FALSE(NeverAnswers().empty());
    ChooseQueries();
    ASSERT_GE(m_queries.size(), 2u);
    CResponsivenessProbe probe(m_window.Main(), kAnswerMs);
    const std::size_t nBefore = WorkingSet();
    for (int nCycle = 0; nCycle < kCycles && !HasFatalFailure(); ++nCycle) {
        SCOPED_TRACE("cycle " + std::to_string(nCycle));
        ForcedCrawl();
        ForcedKeywordRun(nCycle);
        BacklinkRun();
        if (nCycle % 3 == 2) Top20WithUrlsPressed();
    }
    const std::size_t nAfter = WorkingSet();
    probe.Stop();
    EXPECT_GT(probe.Sent(), 0u);
    EXPECT_EQ(probe.Unanswered(), 0u) << "of " << probe.Sent() << " messages";
    long long nGrowth = static_cast<long long>(nAfter) - static_cast<long long>(nBefore);
    std::cout << "[ figure   ] working set over " << kCycles << " cycles: " << nBefore / 1024 << " KB -> "
              << nAfter / 1024 << " KB, growth " << nGrowth / 1024 << " KB\n";
    RecordProperty("WorkingSetGrowthBytes", std::to_string(nGrowth));
    PostMessageA(m_window.Main(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(m_window.WaitForWindowGone(m_window.Main())) << "the window closes normally";
}

}  // namespace
