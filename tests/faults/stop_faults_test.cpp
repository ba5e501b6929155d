// Stop at the moments a run is most exposed: during a rank query and
// during the read of a body that trickles in. Each run ends with its
// question, keeps the rows it had and builds its report from them.
#include "runs/run_web.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "report/text_report.h"
#include "resources/resource.h"
#include "run/run_state.h"

namespace {

// Sites of this program: 127.0.92.N, the hostile ones 127.0.93.N.
class StopFaultsTest : public RunWebTest {
protected:
    static void SetUpTestSuite() {
        StoreOptions(false, false);
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
    std::string TrickleAddress() const {
        for (int page : HostilePages(Corpus()))
            if (Corpus().Site(Corpus().Page(page).site).host == HostileHost(Corpus(), simweb::HostileKind::Trickle))
                return Address(page);
        return "";
    }
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

}  // namespace
