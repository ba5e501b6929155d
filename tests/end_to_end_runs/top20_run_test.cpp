#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/run_state.h"
#include "end_to_end_runs/run_web.h"
#include "report/text_report.h"
#include "resources/resource.h"

namespace {

// Sites of this program: 127.0.66.N.
class Top20RunTest : public RunWebTest {
protected:
    static void SetUpTestSuite() { StartWeb("127.0.66.2", 0); }

    void SetUp() override {
        RunWebTest::SetUp();
        m_window.SetChecked(m_window.Main(), IDC_TOP20, true);
    }

    // Runs the keywords; the run shows its own window, then the report.
    void RunTop20(const std::string& keywords) {
        m_window.SetText(IDC_KEYWORDS, keywords);
        m_window.Click(IDC_TRAWL);
        EXPECT_NE(m_window.WaitForWindow("Google Top20"), nullptr);
        HWND hReport = m_window.WaitForWindow("Report", 300000);
        ASSERT_NE(hReport, nullptr);
        EXPECT_EQ(m_window.WaitForWindow("Google Top20", 0), nullptr) << "the run's window is gone before the report";
        PostMessageA(hReport, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(m_window.WaitForWindowGone(hReport));
        ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(m_window.Control(IDC_TRAWL)) != FALSE; }, 60000));
    }

    // The Top-20 section of a keyword: its first 20 results with their ranks.
    std::string Section(const std::string& keyword) const {
        std::string text = "Google Top 20 Keyword: \"" + keyword + "\".\r\n\r\n";
        std::vector<int> pages = First(Corpus().Search(keyword), 20);
        for (std::size_t i = 0; i < pages.size(); ++i)
            text += "Ranked #" + std::to_string(i + 1) + " in Google - PR:" + std::to_string(Corpus().Rank(pages[i])) +
                    " Source:" + Corpus().Page(pages[i]).address + "\r\n";
        return text + "\r\n\r\n";
    }

    // Each keyword's marker, then its ranked results.
    std::vector<std::string> CurListOf(const std::vector<std::string>& keywords) const {
        std::vector<std::string> list;
        for (const std::string& keyword : keywords) {
            list.push_back(keyword + " -1");
            for (int page : First(Corpus().Search(keyword), 20))
                list.push_back(Corpus().Page(page).address + " " + std::to_string(Corpus().Rank(page)));
        }
        return list;
    }

    static std::string Top20Target(const std::string& keyword) {
        return "/search?q=" + keyword + "&num=25&hl=en&lr=&ie=UTF-8&newwindow=1&start=0&sa=N";
    }

    static std::vector<std::string> CurList() {
        std::vector<std::string> list;
        for (const URLInfo& info : g_CurList) list.push_back(std::string(info.Source) + " " + std::to_string(info.Rank));
        return list;
    }
};

TEST_F(Top20RunTest, ThirtyResultsRankExactlyTwenty) {
    std::string keyword = PickQuery(Corpus(), 30, 1000);
    ASSERT_FALSE(keyword.empty());
    RunTop20(keyword);
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), std::vector<std::string>{Top20Target(keyword)});
    EXPECT_EQ(g_ReportText, Section(keyword));
    EXPECT_TRUE(g_ReportIsTop20);
    EXPECT_EQ(CurList(), CurListOf({keyword}));
    EXPECT_EQ(m_window.RowCount(), 0) << "a Top-20 run makes no rows";
    EXPECT_TRUE(IsWindowEnabled(m_window.Control(IDC_SHOWREPORT)));
}

TEST_F(Top20RunTest, KeywordsMakeGroupsAndAnEmptyLineIsQueried) {
    std::string first = PickQuery(Corpus(), 5, 1000);
    std::string second = PickQuery(Corpus(), 5, 1000, {first});
    ASSERT_FALSE(second.empty());
    RunTop20(first + "\r\n\r\n" + second);
    std::vector<std::string> expected = {Top20Target(first), Top20Target(""), Top20Target(second)};
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), expected);
    // The empty keyword has no results and so no group.
    EXPECT_EQ(g_ReportText, Section(first) + Section(second));
    EXPECT_EQ(CurList(), CurListOf({first, second}));
}

TEST_F(Top20RunTest, RunsRightAfterAUrlRun) {
    m_window.SetChecked(m_window.Main(), IDC_TOP20, false);
    AnswerFinished(m_window, m_window.RunUrls(Corpus().Page(0).address, false, false));
    EXPECT_TRUE(g_Stopped) << "the URL run leaves the stop flag set";
    m_window.SetChecked(m_window.Main(), IDC_TOP20, true);
    std::string keyword = PickQuery(Corpus(), 1, 1000);
    m_nFrom = s_web->RequestCount();
    RunTop20(keyword);
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), std::vector<std::string>{Top20Target(keyword)});
    EXPECT_EQ(g_ReportText, Section(keyword));
}

// While a Top-20 run works nothing else starts beside it ("Trawl URLs" is
// disabled, and a click that reaches the window all the same opens no URL
// dialog), and nobody reads its report meanwhile ("Show report" is
// disabled). A close pressed the moment its report is closed, while the
// worker is still winding down, closes the window once the worker has ended.
TEST_F(Top20RunTest, NothingStartsBesideItAndACloseAtItsEndIsKept) {
    std::string keyword = PickQuery(Corpus(), 5, 1000);
    ASSERT_FALSE(keyword.empty());
    m_window.SetText(IDC_KEYWORDS, keyword);
    m_window.Click(IDC_TRAWL);
    // Disabled from the run's start until its report is closed, however
    // soon the run ranks its results.
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(m_window.Control(IDC_TRAWLURLS)); }, 60000));
    EXPECT_FALSE(IsWindowEnabled(m_window.Control(IDC_SHOWREPORT)));
    m_window.Click(IDC_TRAWLURLS);
    HWND hReport = m_window.WaitForWindow("Report", 300000);
    ASSERT_NE(hReport, nullptr);
    EXPECT_EQ(m_window.WaitForWindow("URL Trawl", 0), nullptr) << "no URL run beside the Top-20 run";
    EXPECT_FALSE(g_bRunning);
    EXPECT_EQ(g_ReportText, Section(keyword)) << "the report is whole";
    PostMessageA(hReport, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(m_window.Main(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(m_window.WaitForWindowGone(m_window.Main())) << "the close is not lost";
}

}  // namespace
