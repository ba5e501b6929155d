#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "end_to_end_runs/run_web.h"
#include "resources/resource.h"

namespace {

const char kQuestion[] =
    "Pellmark has failed to get links from Google. Please open your browser, do a regular Google search,and enter "
    "the verification image text where prompted.Then press OK below. To stop the trawling process press Cancel.";

// Sites of this program: 127.0.67.N. The engine answers its first query and
// then only its verification page.
class BlockedPageRunTest : public RunWebTest {
protected:
    static void SetUpTestSuite() { StartWeb("127.0.67.2", 2); }

    void Answer(int nButton) {
        HWND hBox = WaitForProgramBox(m_window);
        ASSERT_NE(hBox, nullptr);
        EXPECT_EQ(CMainWindowHarness::MessageText(hBox), kQuestion);
        m_window.Click(hBox, nButton);
        ASSERT_TRUE(m_window.WaitForWindowGone(hBox));
    }
};

TEST_F(BlockedPageRunTest, OkRequestsTheNextPageAndCancelEndsTheKeyword) {
    std::string keyword = PickQuery(Corpus(), 31, 1000);
    ASSERT_FALSE(keyword.empty());
    m_window.SetText(IDC_KEYWORDS, keyword);
    m_window.Click(IDC_TRAWL);
    Answer(IDOK);
    Answer(IDCANCEL);
    AnswerFinished(m_window, m_window.WaitForWindow("Finished", 120000));
    // OK: the page after the blocked one was requested; Cancel: nothing more.
    std::vector<std::string> expected = {PagedTarget(keyword, 0), PagedTarget(keyword, 10), PagedTarget(keyword, 20)};
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), expected);
    std::vector<int> taken = First(Corpus().Search(keyword), 10);
    EXPECT_EQ(SiteRequests(*s_web, m_nFrom), Addresses(Corpus(), taken));
    EXPECT_EQ(RowAddresses(m_window), Addresses(Corpus(), taken));
}

}  // namespace
