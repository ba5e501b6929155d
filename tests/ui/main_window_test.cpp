#include <gtest/gtest.h>

// The scripted server brings winsock2.h, which must come before windows.h.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/run_state.h"
#include "resources/resource.h"
#include "support/fake_engine.h"
#include "support/main_window_harness.h"
#include "support/options_sandbox.h"
#include "scripted_server_win.h"
#include "ui/status.h"

namespace {

// Sites of this test program: 127.0.11.N; the engine on the build's host.
const char kSiteA[] = "127.0.11.1";
const char kSiteB[] = "127.0.11.2";

std::string Url(const char* szHost, const char* szPath) { return std::string("http://") + szHost + szPath; }

struct ControlCase {
    int nId;
    const char* szClass;
    const char* szText;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_engine.Listen());
        m_fake.Serve(m_engine);
        ASSERT_TRUE(m_siteA.Listen());
        ASSERT_TRUE(m_siteB.Listen());
        m_siteA.ServeBody("<html><body>A <a href=\"http://elsewhere.example/\">x</a></body></html>");
        m_siteB.ServeBody("<html><body>B has no links at all</body></html>");
        ASSERT_NE(m_window.Main(), nullptr);
    }

    void AnswerFinished(HWND hBox, int nButton) {
        ASSERT_NE(hBox, nullptr);
        EXPECT_EQ(CMainWindowHarness::MessageText(hBox), "Trawled!\nClick OK to see/save report.");
        m_window.Click(hBox, nButton);
        ASSERT_TRUE(m_window.WaitForWindowGone(hBox));
    }

    // The options as an installer leaves them, whatever an earlier run in
    // this prefix saved: the window reads them when it opens.
    COptionsSandbox m_options;
    bool m_bOptionsEmpty = (m_options.CreateEmpty(), true);
    simweb::CScriptedServer m_engine{PELLMARK_SEARCH_HOST};
    FakeEngine m_fake;
    simweb::CScriptedServer m_siteA{kSiteA};
    simweb::CScriptedServer m_siteB{kSiteB};
    CMainWindowHarness m_window;
};

TEST_F(MainWindowTest, ShowsItsControlsIdle) {
    const std::vector<ControlCase> cases = {
        {IDC_KEYWORDS, "Edit", ""},
        {IDC_MINRANK, "Edit", "5"},
        {IDC_MAXRESULTS, "Edit", "100"},
        {IDC_TOP20, "Button", "Google Top 20"},
        {IDC_LIMITQUERY, "Button", "Limit each query "},
        {IDC_QUERYLIMIT, "Edit", "1"},
        {IDC_QUERYLIMIT_SPIN, UPDOWN_CLASSA, ""},
        {IDC_TRAWL, "Button", "Trawl Keywords"},
        {IDC_TRAWLURLS, "Button", "Trawl &URLs "},
        {IDC_SHOWREPORT, "Button", "Show report"},
        {IDC_SENDMAIL, "Button", "&Send Mail"},
        {IDCANCEL, "Button", "&Close"},
        {IDC_RESULTS, WC_LISTVIEWA, ""},
        {IDC_STATUS, "Static", "Ready..."},
        {IDC_PROGRESS, PROGRESS_CLASSA, ""},
        {IDC_CALCULATING, "Static", "Calculating backward links"},
        {IDC_ANIMATION, ANIMATE_CLASSA, ""},
        {IDC_ANIMCAPTION, "Static", "......................."},
        {IDC_LINKSCOUNT, "Static", ""},
    };
    char szTitle[64] = "";
    GetWindowTextA(m_window.Main(), szTitle, sizeof szTitle);
    EXPECT_STREQ(szTitle, "Pellmark");
    for (const ControlCase& c : cases) {
        HWND hControl = m_window.Control(c.nId);
        ASSERT_NE(hControl, nullptr) << c.nId;
        char szClass[64] = "";
        GetClassNameA(hControl, szClass, sizeof szClass);
        EXPECT_STRCASEEQ(szClass, c.szClass) << c.nId;
        EXPECT_EQ(m_window.Text(c.nId), c.szText) << c.nId;
    }
    EXPECT_FALSE(IsWindowVisible(m_window.Control(IDC_CALCULATING)));
    EXPECT_FALSE(IsWindowEnabled(m_window.Control(IDC_SHOWREPORT)));
    EXPECT_FALSE(IsWindowEnabled(m_window.Control(IDC_SENDMAIL)));
    EXPECT_FALSE(IsWindowEnabled(m_window.Control(IDC_QUERYLIMIT)));
    HWND hHeader = ListView_GetHeader(m_window.Control(IDC_RESULTS));
    EXPECT_EQ(Header_GetItemCount(hHeader), 8);
    EXPECT_NE(GetMenu(m_window.Main()), nullptr);
    // The dialog manager's DM_SETDEFID shares the row message's number but
    // carries no record: it keeps its own meaning and counts no row.
    SendMessageA(m_window.Main(), DM_SETDEFID, IDC_TRAWLURLS, 0);
    EXPECT_EQ(LOWORD(SendMessageA(m_window.Main(), DM_GETDEFID, 0, 0)), IDC_TRAWLURLS);
    EXPECT_EQ(m_window.Text(IDC_LINKSCOUNT), "");
    // Without a sources key every source is classic: nothing is asked.
    ASSERT_TRUE(m_window.WaitForIdle());
    EXPECT_EQ(m_window.WaitForWindow("Sources", 0), nullptr);
}

TEST_F(MainWindowTest, UrlRunOfTwoAddressesMakesTwoRows) {
    m_fake.ranks[Url(kSiteA, "/a.html")] = 6;
    m_fake.ranks[Url(kSiteB, "/b.html")] = 4;
    m_fake.backward[Url(kSiteA, "/a.html")] = 12;
    m_window.SetText(IDC_MINRANK, "0");
    HWND hBox = m_window.RunUrls(Url(kSiteA, "/a.html") + "\r\n\r\n" + Url(kSiteB, "/b.html"), false, false);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(m_window.RowCount(), 2);
    EXPECT_EQ(m_window.Cell(0, 0), Url(kSiteA, "/a.html"));
    EXPECT_EQ(m_window.Cell(0, 1), "6");
    EXPECT_EQ(m_window.Cell(0, 3), "12");
    EXPECT_EQ(m_window.Cell(1, 0), Url(kSiteB, "/b.html"));
    EXPECT_EQ(m_window.Cell(1, 1), "4");
    EXPECT_EQ(m_window.Cell(1, 2), "0") << "no links";
    EXPECT_EQ(m_window.Cell(1, 4), "4") << "a page without links passes its own rank";
    EXPECT_EQ(m_window.Text(IDC_LINKSCOUNT), "2 Links Trawled");
    AnswerFinished(hBox, IDCANCEL);
    ASSERT_TRUE(m_window.WaitForIdle());
    EXPECT_TRUE(IsWindowEnabled(m_window.Control(IDC_SHOWREPORT)));
    EXPECT_TRUE(IsWindowEnabled(m_window.Control(IDCANCEL)));
    EXPECT_TRUE(IsWindowEnabled(m_window.Control(IDC_TRAWLURLS)));
    EXPECT_EQ(m_window.Text(IDC_ANIMCAPTION), "Trawled");
    EXPECT_EQ(m_window.Text(IDC_STATUS), "");
    EXPECT_EQ(g_RunList.Size(), 0u) << "the stop routine released the work list";
    EXPECT_EQ(m_siteA.RequestCount(), 1u);
    EXPECT_EQ(m_siteB.RequestCount(), 1u);
}

struct CriteriaCase {
    const char* szMax;
    const char* szMinRank;
    const char* szMessage;  // null: accepted, the URL dialog opens
};

TEST_F(MainWindowTest, CriteriaAreCheckedBeforeTheUrlDialog) {
    const std::vector<CriteriaCase> cases = {
        {"", "5", "Maximum search results can't be zero"},
        {"0", "5", "Maximum search results can't be zero"},
        {"10", "11", "Corvane value must be in range [0..10]"},
        {"10", "-1", "Corvane value must be in range [0..10]"},
        {"10", "abc", nullptr},
        {"10", "10", nullptr},
    };
    for (const CriteriaCase& c : cases) {
        m_window.SetText(IDC_MAXRESULTS, c.szMax);
        m_window.SetText(IDC_MINRANK, c.szMinRank);
        m_window.Click(IDC_TRAWLURLS);
        HWND hWnd = m_window.WaitForWindow(c.szMessage ? "Error" : "URL Trawl");
        ASSERT_NE(hWnd, nullptr) << c.szMax << " " << c.szMinRank;
        if (c.szMessage) {
            EXPECT_EQ(CMainWindowHarness::MessageText(hWnd), c.szMessage);
        }
        m_window.Click(hWnd, c.szMessage ? IDOK : IDCANCEL);
        ASSERT_TRUE(m_window.WaitForWindowGone(hWnd));
        EXPECT_FALSE(g_bRunning);
        EXPECT_EQ(m_window.Text(IDC_MINRANK), c.szMinRank) << "typed values stay";
    }
}

TEST_F(MainWindowTest, OnlyLineBreaksStillEndWithTheQuestion) {
    HWND hBox = m_window.RunUrls("\r\n\r\n", false, false);
    AnswerFinished(hBox, IDCANCEL);
    EXPECT_EQ(m_window.RowCount(), 0);
    EXPECT_EQ(m_siteA.RequestCount() + m_siteB.RequestCount(), 0u);
}

TEST_F(MainWindowTest, ColumnClicksSortAscendingThenDescending) {
    m_fake.ranks[Url(kSiteA, "/b.html")] = 3;
    m_fake.ranks[Url(kSiteA, "/A.html")] = 7;
    m_fake.ranks[Url(kSiteA, "/c.html")] = 5;
    m_window.SetText(IDC_MINRANK, "0");
    HWND hBox = m_window.RunUrls(Url(kSiteA, "/b.html") + "\r\n" + Url(kSiteA, "/A.html") + "\r\n" +
                                     Url(kSiteA, "/c.html"),
                                 false, false);
    AnswerFinished(hBox, IDCANCEL);
    auto column = [&](int nColumn) {
        std::vector<std::string> cells;
        for (int i = 0; i < m_window.RowCount(); ++i) cells.push_back(m_window.Cell(i, nColumn));
        return cells;
    };
    auto click = [&](int nColumn) { m_window.ClickColumnHeader(nColumn); };
    using V = std::vector<std::string>;
    click(1);
    EXPECT_EQ(column(1), (V{"3", "5", "7"}));
    click(1);
    EXPECT_EQ(column(1), (V{"7", "5", "3"}));
    click(1);
    EXPECT_EQ(column(1), (V{"3", "5", "7"}));
    click(0);
    EXPECT_EQ(column(0), (V{Url(kSiteA, "/A.html"), Url(kSiteA, "/b.html"), Url(kSiteA, "/c.html")}));
    click(0);
    EXPECT_EQ(column(0), (V{Url(kSiteA, "/c.html"), Url(kSiteA, "/b.html"), Url(kSiteA, "/A.html")}));
    V before = column(0);
    click(5);
    EXPECT_EQ(column(0), before) << "the WhoIs column does not sort";
}

TEST_F(MainWindowTest, StopDuringALoadAndCloseIsRefusedMeanwhile) {
    m_siteA.SetMode(simweb::ScriptedMode::Hang);
    m_window.SetText(IDC_MINRANK, "0");
    m_window.Click(IDC_TRAWLURLS);
    HWND hDialog = m_window.WaitForWindow("URL Trawl");
    ASSERT_NE(hDialog, nullptr);
    SendMessageA(GetDlgItem(hDialog, IDC_URLTEXT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>((Url(kSiteA, "/hang") + "\r\n" + Url(kSiteB, "/b.html")).c_str()));
    m_window.Click(hDialog, IDOK);
    ASSERT_TRUE(m_siteA.WaitForRequests(1, 30000));
    EXPECT_EQ(m_window.Text(IDC_TRAWL), "Stop");
    EXPECT_FALSE(IsWindowEnabled(m_window.Control(IDCANCEL)));
    PostMessageA(m_window.Main(), WM_CLOSE, 0, 0);
    PostMessageA(m_window.Main(), WM_COMMAND, ID_FILE_EXIT, 0);
    m_window.Click(IDC_TRAWL);
    HWND hStop = m_window.WaitForWindow("Working....");
    ASSERT_NE(hStop, nullptr);
    EXPECT_TRUE(IsWindow(m_window.Main())) << "closing is refused during a run";
    char szText[128] = "";
    GetDlgItemTextA(hStop, IDC_STOPTEXT, szText, sizeof szText);
    EXPECT_STREQ(szText, "Please wait. Closing connection....");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(hStop, IDC_FORCE)));
    m_siteA.Release();
    HWND hBox = m_window.WaitForWindow("Finished");
    EXPECT_FALSE(IsWindow(hStop)) << "the stop routine closes the stop dialog";
    AnswerFinished(hBox, IDCANCEL);
    EXPECT_EQ(m_siteB.RequestCount(), 0u) << "the run ended before the second address";
}

TEST_F(MainWindowTest, ForceEndsARunWhoseEvaluationHangs) {
    m_window.SetText(IDC_MINRANK, "0");
    // The first page loads; its rank query then hangs on the engine.
    m_engine.SetMode(simweb::ScriptedMode::Hang);
    m_window.Click(IDC_TRAWLURLS);
    HWND hDialog = m_window.WaitForWindow("URL Trawl");
    ASSERT_NE(hDialog, nullptr);
    SendMessageA(GetDlgItem(hDialog, IDC_URLTEXT), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(Url(kSiteA, "/a.html").c_str()));
    m_window.Click(hDialog, IDOK);
    ASSERT_TRUE(m_engine.WaitForRequests(1, 30000));
    m_window.Click(IDC_TRAWL);
    HWND hStop = m_window.WaitForWindow("Working....");
    ASSERT_NE(hStop, nullptr);
    m_window.Click(hStop, IDC_FORCE);
    HWND hBox = m_window.WaitForWindow("Finished");
    AnswerFinished(hBox, IDCANCEL);
    ASSERT_TRUE(m_window.WaitForIdle());
    m_engine.Release();
    // The evaluation left behind comes back now and asks this engine for
    // the page's backward links, its last load. Asked of the next test's
    // engine instead, its answer would land in the next test's window.
    EXPECT_TRUE(WaitUntil(
        [&] {
            for (const simweb::HttpRequestHead& request : m_engine.Requests())
                if (request.target.find("link:") != std::string::npos) return true;
            return false;
        },
        30000));
}

TEST_F(MainWindowTest, StatusBeyondTheMaximumShowsTheBacklinksLabel) {
    m_window.SetText(IDC_MAXRESULTS, "100");
    g_nMaxResults = 2;
    ShowWindow(m_window.Control(IDC_PROGRESS), SW_SHOW);
    // A worker's status reaches the window without the worker waiting for it.
    ShowStatus("within", 2);
    EXPECT_TRUE(WaitUntil([&] { return m_window.Text(IDC_STATUS) == "within"; }, 10000));
    EXPECT_EQ(SendMessageA(m_window.Control(IDC_PROGRESS), PBM_GETPOS, 0, 0), 2);
    ShowStatus("beyond", 3);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(m_window.Control(IDC_PROGRESS)); }, 10000));
    EXPECT_EQ(m_window.Text(IDC_STATUS), "within") << "the status line is left unchanged";
    EXPECT_TRUE(IsWindowVisible(m_window.Control(IDC_CALCULATING)));
}

TEST_F(MainWindowTest, QueryLimitAndTop20BoxesExcludeEachOther) {
    m_window.SetChecked(m_window.Main(), IDC_LIMITQUERY, true);
    EXPECT_TRUE(IsWindowEnabled(m_window.Control(IDC_QUERYLIMIT)));
    EXPECT_TRUE(IsWindowEnabled(m_window.Control(IDC_QUERYLIMIT_SPIN)));
    m_window.SetChecked(m_window.Main(), IDC_TOP20, true);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowEnabled(m_window.Control(IDC_QUERYLIMIT)); }, 10000));
    EXPECT_EQ(SendMessageA(m_window.Control(IDC_LIMITQUERY), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendMessageA(m_window.Control(IDC_TOP20), BM_GETCHECK, 0, 0), BST_CHECKED);
    m_window.SetChecked(m_window.Main(), IDC_LIMITQUERY, true);
    EXPECT_TRUE(WaitUntil(
        [&] { return SendMessageA(m_window.Control(IDC_TOP20), BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 10000));
}

}  // namespace
