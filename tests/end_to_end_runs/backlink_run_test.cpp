#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <string>
#include <vector>

#include "base/run_state.h"
#include "end_to_end_runs/run_web.h"
#include "report/text_report.h"
#include "resources/resource.h"

namespace {

// Sites of this program: 127.0.65.N; an address no site has: 127.0.65.250.
const char kUnlinked[] = "http://127.0.65.250/nobody-links-here.html";

class BacklinkRunTest : public RunWebTest {
protected:
    static void SetUpTestSuite() { StartWeb("127.0.65.2", 0); }

    // Pages by how many pages link to them, most first.
    std::vector<int> MostLinked() const {
        std::vector<int> pages;
        for (std::size_t i = 0; i < Corpus().PageCount(); ++i) pages.push_back(static_cast<int>(i));
        std::stable_sort(pages.begin(), pages.end(),
                         [&](int a, int b) { return Corpus().BacklinkCount(a) > Corpus().BacklinkCount(b); });
        return pages;
    }
    std::string Address(int page) const { return Corpus().Page(page).address; }
    static std::string Link(const std::string& address) { return "link:" + address; }
};

TEST_F(BacklinkRunTest, TwoAddressesWithMaximumTwenty) {
    std::vector<int> ranked = MostLinked();
    int first = ranked[0], second = ranked[1];
    ASSERT_GT(Corpus().BacklinkCount(first), 20) << "the corpus must give the cap something to cut";
    m_window.SetText(IDC_MAXRESULTS, "20");
    AnswerFinished(m_window, m_window.RunUrls(Address(first) + "\r\n" + Address(second), false, false, true));

    // The first address: two pages and 20 linking pages; the second still
    // gets its first page requested and evaluated, but makes no rows.
    std::vector<std::string> expected = {PagedTarget(Link(Address(first)), 0), PagedTarget(Link(Address(first)), 10),
                                         PagedTarget(Link(Address(second)), 0)};
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), expected);
    std::vector<int> firstTaken = First(Corpus().Backlinks(first), 20);
    std::vector<int> loaded = firstTaken;
    for (int page : First(Corpus().Backlinks(second), 10)) loaded.push_back(page);
    EXPECT_EQ(SiteRequests(*s_web, m_nFrom), Addresses(Corpus(), loaded));
    ExpectRows(m_window, Corpus(), firstTaken);
    EXPECT_GE(g_nLinks, 20);
    // A back-link run ends without a report of its own: the rows make it.
    std::size_t nAt = 0;
    ExpectReportSection(nAt, "", firstTaken);
    EXPECT_EQ(nAt, g_ReportText.size());
}

TEST_F(BacklinkRunTest, AnAddressWithoutLinkingPagesGetsOnePage) {
    int linked = MostLinked().back();
    std::vector<int> backlinks = Corpus().Backlinks(linked);
    AnswerFinished(m_window, m_window.RunUrls(std::string(kUnlinked) + "\r\n" + Address(linked), false, false, true));
    std::vector<std::string> expected = {PagedTarget(Link(kUnlinked), 0)};
    for (const std::string& target : AllPagesOf(Link(Address(linked)), backlinks.size())) expected.push_back(target);
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), expected);
    EXPECT_EQ(SiteRequests(*s_web, m_nFrom), Addresses(Corpus(), backlinks));
    ExpectRows(m_window, Corpus(), backlinks);
}

TEST_F(BacklinkRunTest, StopDuringTheSecondAddress) {
    std::vector<int> ranked = MostLinked();
    // A first address with few linking pages keeps the paced run short.
    int first = *std::find_if(ranked.rbegin(), ranked.rend(), [&](int page) { return Corpus().BacklinkCount(page) > 0; });
    int second = ranked[0];
    std::vector<int> firstLinks = Corpus().Backlinks(first);
    ASSERT_GT(Corpus().BacklinkCount(second), 10);
    auto run = std::async(std::launch::async, [&] {
        return m_window.RunUrls(Address(first) + "\r\n" + Address(second), false, false, true);
    });
    // Paced queries from the first address's last page on keep the second
    // address's first page going while the stop arrives.
    ASSERT_TRUE(WaitUntil([&] { return SiteRequests(*s_web, m_nFrom).size() >= firstLinks.size(); }, 300000));
    g_nQueryDelay = 2000;
    std::string secondLink = PagedTarget(Link(Address(second)), 0);
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::vector<std::string> pages = ResultPageRequests(*s_web, m_nFrom);
            return std::find(pages.begin(), pages.end(), secondLink) != pages.end() &&
                   SiteRequests(*s_web, m_nFrom).size() > firstLinks.size();
        },
        300000));
    m_window.Click(IDC_TRAWL);
    AnswerFinished(m_window, run.get());
    std::vector<std::string> expected = AllPagesOf(Link(Address(first)), firstLinks.size());
    expected.push_back(secondLink);
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), expected);
    std::vector<std::string> loaded = SiteRequests(*s_web, m_nFrom);
    ASSERT_GT(loaded.size(), firstLinks.size());
    std::size_t nSecond = loaded.size() - firstLinks.size();
    ASSERT_LT(nSecond, 10u) << "the evaluation stopped";
    std::vector<int> taken = firstLinks;
    for (int page : First(Corpus().Backlinks(second), nSecond)) taken.push_back(page);
    EXPECT_EQ(loaded, Addresses(Corpus(), taken));
    ExpectRows(m_window, Corpus(), taken, RunEnd::Stopped);
    std::size_t nAt = 0;
    ExpectReportSection(nAt, "", taken);
}

}  // namespace
