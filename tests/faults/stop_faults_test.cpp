// Stop and "Force" at the moments a run is most exposed: during a rank
// query, during the read of a body that trickles in, and while a keyword
// run's evaluation hangs on a site that never answers. Each run ends with its
// question, keeps the rows it had and builds its report from them.
#include "end_to_end_runs/run_web.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "base/run_state.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "run/evaluation_thread_win.h"
#include "support/log_capture.h"

namespace {

// Sites of this program: 127.0.92.N, the hostile ones 127.0.93.N.
class StopFaultsTest : public RunWebTest {
protected:
    static void SetUpTestSuite() {
        StartWeb("127.0.92.2", 0, "", "127.0.93.1");
    }

    // Pages of different sites, so that each is a request of its own kind.
    std::vector<int> OrdinaryPages(std::size_t nCount) const {
        std::vector<int> pages;
        for (std::size_t i = 0; i < Corpus().PageCount() && pages.size() < nCount; ++i)
            if (!IsHostileAddress(Corpus(), Corpus().Page(static_cast<int>(i)).address)) pages.push_back(static_cast<int>(i));
        return pages;
    }
    std::string Address(int page) const { return Corpus().Page(page).address; }
    std::string HostileAddress(simweb::HostileKind kind) const {
        for (int page : HostilePages(Corpus()))
            if (Corpus().Site(Corpus().Page(page).site).host == HostileHost(Corpus(), kind)) return Address(page);
        return "";
    }
    std::string TrickleAddress() const { return HostileAddress(simweb::HostileKind::Trickle); }
    bool EngineAsked(const std::string& part) const {
        for (const simweb::RequestLogEntry& entry : s_web->Requests())
            if (entry.host == PELLMARK_SEARCH_HOST && entry.target.find(part) != std::string::npos) return true;
        return false;
    }
    bool Requested(const std::string& address) const {
        std::vector<std::string> loaded = SiteRequests(*s_web, m_nFrom);
        return std::find(loaded.begin(), loaded.end(), address) != loaded.end();
    }
    // The loader reports the bytes of the trickling body as they come.
    bool ReadingTrickle() const {
        std::string status = m_window.Text(IDC_STATUS);
        return status.find(" bytes received from " + HostileHost(Corpus(), simweb::HostileKind::Trickle)) !=
               std::string::npos;
    }

    // A URL run stopped once the condition holds; answers its question.
    void StopUrlRunWhen(const std::string& addresses, const std::function<bool()>& condition) {
        auto run = std::async(std::launch::async, [&] { return m_window.RunUrls(addresses, false, false); });
        ASSERT_TRUE(WaitUntil(condition, 120000));
        m_window.Click(IDC_TRAWL);
        AnswerFinished(m_window, run.get());
    }

    // The report of a URL run rebuilt from the rows: one block per row.
    void ExpectUrlReportOfRows(const std::vector<int>& pages) {
        std::size_t nAt = 0;
        ExpectReportSection(nAt, "", pages);
        EXPECT_EQ(nAt, g_ReportText.size());
    }

    CLogCapture m_log;
};

TEST_F(StopFaultsTest, StopDuringARankQueryKeepsTheRowsAndEndsBeforeTheNextPage) {
    std::vector<int> pages = OrdinaryPages(3);
    // The pause before the next engine query holds the evaluation of the
    // second page right after its rank query while the stop arrives.
    g_nQueryDelay = 2000;
    StopUrlRunWhen(Address(pages[0]) + "\r\n" + Address(pages[1]) + "\r\n" + Address(pages[2]),
                   [&] { return EngineAsked("features=Rank&q=info:" + Address(pages[1])); });
    EXPECT_FALSE(Requested(Address(pages[2]))) << "the run ended with the page it was evaluating";
    std::vector<int> evaluated = {pages[0], pages[1]};
    ExpectRows(m_window, Corpus(), evaluated);
    ExpectUrlReportOfRows(evaluated);
}

TEST_F(StopFaultsTest, StopDuringATricklingBodyEndsWithoutEvaluatingIt) {
    std::vector<int> pages = OrdinaryPages(2);
    StopUrlRunWhen(Address(pages[0]) + "\r\n" + TrickleAddress() + "\r\n" + Address(pages[1]),
                   [&] { return ReadingTrickle(); });
    EXPECT_FALSE(Requested(Address(pages[1])));
    EXPECT_FALSE(EngineAsked("info:" + TrickleAddress())) << "a body cut by the stop is not evaluated";
    ExpectRows(m_window, Corpus(), {pages[0]});
    ExpectUrlReportOfRows({pages[0]});
}

// Force ends the keyword thread while its evaluation thread still waits for
// a site that took the request and never answers: a stop cannot end that
// wait (a trickling body, by contrast, ends at the next byte after a stop),
// so only Force gives the user the window back. The evaluation comes back
// later on its own, when the response time-out ends the wait; it must
// neither touch what the ended thread owned nor add rows to a run that is
// over, and the next run must see only its own rows.
TEST_F(StopFaultsTest, ForceDuringAnEvaluationHangingOnASiteThatNeverAnswers) {
    const std::string word = TitleWords(Corpus(), OrdinaryPages(1)[0], 1);
    ASSERT_FALSE(word.empty());
    std::vector<int> pages = Corpus().Search(word);
    m_window.SetText(IDC_KEYWORDS, word + "\r\nhostile neveranswers");
    m_window.Click(IDC_TRAWL);
    // The loader names the host on the status line when it sends the request.
    const std::string host = HostileHost(Corpus(), simweb::HostileKind::NeverAnswers);
    ASSERT_TRUE(WaitUntil([&] { return m_window.Text(IDC_STATUS).find(host) != std::string::npos; }, 120000));
    m_window.Click(IDC_TRAWL);
    HWND hStop = m_window.WaitForWindow("Working....");
    ASSERT_NE(hStop, nullptr);
    m_window.Click(hStop, IDC_FORCE);
    AnswerFinished(m_window, m_window.WaitForWindow("Finished"));
    const std::vector<std::string> rows = RowAddresses(m_window);
    EXPECT_EQ(rows, Addresses(Corpus(), pages)) << "the first keyword's rows are kept";
    std::vector<std::string> reported;
    for (const URLInfo& info : g_CurList)
        if (info.Rank >= 0) reported.push_back(info.Source);
    EXPECT_EQ(reported, rows) << "the report covers the rows";
    // The evaluation thread comes back once the response time-out ends its
    // wait; wait for its verdict on the page that never answered.
    std::size_t nTaken = m_log.Count("Processing link = ");
    ASSERT_TRUE(WaitUntil(
        [&] {
            return m_log.Count("ParsePage successfull") + m_log.Count("ParsePage has failed!") +
                       m_log.Count("LoadPage has failed!") >= nTaken;
        },
        120000));
    EXPECT_EQ(RowAddresses(m_window), rows) << "no row arrives after the run ended";
    std::vector<int> next = OrdinaryPages(1);
    AnswerFinished(m_window, m_window.RunUrls(Address(next[0]), false, false));
    ExpectRows(m_window, Corpus(), next);
}

// Work handed to a run's evaluation thread, which something other than the
// program (a component, say) ends half-way; and work that is done.
unsigned __stdcall EndThreadUnderWork(void*) {
    ExitThread(0);
}
unsigned __stdcall CountCall(void* lpParam) {
    ++*static_cast<int*>(lpParam);
    return 0;
}

// A page whose evaluation thread ended under it is reported as not
// evaluated, with a log line; the next page gets a thread of its own.
TEST(EvaluationThread, WorkWhoseThreadEndedIsNotDoneAndTheNextGetsANewThread) {
    CLogCapture log;
    CEvaluationThread evaluation;
    int nCalls = 0;
    EXPECT_EQ(evaluation.Run(CountCall, &nCalls), EEvaluation::Done);
    EXPECT_EQ(evaluation.Run(EndThreadUnderWork, nullptr), EEvaluation::Died);
    EXPECT_EQ(log.Count("The evaluation thread ended before its work was done"), 1u);
    EXPECT_EQ(evaluation.Run(CountCall, &nCalls), EEvaluation::Done);
    EXPECT_EQ(nCalls, 2);
}

}  // namespace
