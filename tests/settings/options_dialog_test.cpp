// The options dialog: what it shows, what "OK" and "Cancel" leave behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "base/run_state.h"
#include "resources/resource.h"
#include "support/options_sandbox.h"
#include "support/result_windows.h"
#include "ui/main_window_win.h"
#include "ui/options_dialog_win.h"
#include "ui/settings_win.h"

namespace {

// What the dialog showed right after WM_INITDIALOG.
struct Shown {
    bool bWhoIs, bKeyword, bEmail, bContact;
    std::string keywords, delay;
};

std::function<void(HWND)> g_script;
Shown g_shown;

std::string Text(HWND hDlg, int nId) {
    char szText[4096] = "";
    GetDlgItemTextA(hDlg, nId, szText, sizeof szText);
    return szText;
}

bool Checked(HWND hDlg, int nId) { return IsDlgButtonChecked(hDlg, nId) == BST_CHECKED; }

// Runs on the dialog's own thread once it is initialised: records what it
// shows, then plays the test's part of the user.
LRESULT CALLBACK AfterInit(int nCode, WPARAM wParam, LPARAM lParam) {
    const CWPRETSTRUCT* lpMsg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (nCode == HC_ACTION && lpMsg->message == WM_INITDIALOG && g_script) {
        HWND hDlg = lpMsg->hwnd;
        g_shown = {Checked(hDlg, IDC_OPT_WHOIS), Checked(hDlg, IDC_OPT_KEYWORD), Checked(hDlg, IDC_OPT_EMAIL),
                   Checked(hDlg, IDC_OPT_CONTACT), Text(hDlg, IDC_OPT_KEYWORDS), Text(hDlg, IDC_OPT_DELAY)};
        auto script = std::move(g_script);
        g_script = nullptr;
        script(hDlg);
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}

void Press(HWND hDlg, int nId) { PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), 0); }

class OptionsDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_sandbox.CreateEmpty();
        g_bContact = g_bEmail = g_bWhoIs = g_bKeyword = false;
        g_szKeywords.clear();
        g_nQueryDelay = 700;
        m_hHook = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterInit, nullptr, GetCurrentThreadId());
        ASSERT_NE(m_hHook, nullptr);
    }
    void TearDown() override { UnhookWindowsHookEx(m_hHook); }

    INT_PTR Show(std::function<void(HWND)> script) {
        g_script = std::move(script);
        return ShowOptionsDialog(g_hMainWnd);
    }

    COptionsSandbox m_sandbox;
    CResultWindows m_windows;
    HHOOK m_hHook = nullptr;
};

TEST_F(OptionsDialogTest, ShowsTheStoredOptionsAndTheDelayInForce) {
    m_sandbox.SetDword("bWhoIs", 1);
    m_sandbox.SetDword("bKeyword", 1);
    m_sandbox.SetDword("dQueryDelay", 3000);
    m_sandbox.SetRaw("Keywords", REG_SZ, "seo\r\nlinks");
    EXPECT_EQ(Show([](HWND hDlg) { Press(hDlg, IDCANCEL); }), 0);
    EXPECT_TRUE(g_shown.bWhoIs && g_shown.bKeyword);
    EXPECT_FALSE(g_shown.bEmail || g_shown.bContact);
    EXPECT_EQ(g_shown.keywords, "seo\r\nlinks");
    EXPECT_EQ(g_shown.delay, "700");
    // Opening the dialog has taken the stored values over.
    EXPECT_EQ(g_nQueryDelay, 3000);
    EXPECT_TRUE(g_bWhoIs && g_bKeyword);
    EXPECT_EQ(g_szKeywords, "seo\r\nlinks");
}

TEST_F(OptionsDialogTest, CancelWritesNothing) {
    m_sandbox.SetDword("bEmail", 1);
    EXPECT_EQ(Show([](HWND hDlg) {
                  CheckDlgButton(hDlg, IDC_OPT_CONTACT, BST_CHECKED);
                  SetDlgItemTextA(hDlg, IDC_OPT_DELAY, "5");
                  Press(hDlg, IDCANCEL);
              }),
              0);
    EXPECT_FALSE(m_sandbox.HasValue("bContact"));
    EXPECT_FALSE(m_sandbox.HasValue("dQueryDelay"));
    EXPECT_FALSE(g_bContact);
}

TEST_F(OptionsDialogTest, OkSavesAndAppliesTheColumnsAtOnce) {
    m_sandbox.SetRaw("Keywords", REG_SZ, "older");
    m_windows.SetColumnWidth(5, 0);
    EXPECT_EQ(Show([](HWND hDlg) {
                  CheckDlgButton(hDlg, IDC_OPT_WHOIS, BST_CHECKED);
                  CheckDlgButton(hDlg, IDC_OPT_EMAIL, BST_CHECKED);
                  SetDlgItemTextA(hDlg, IDC_OPT_KEYWORDS, "typed");
                  SetDlgItemTextA(hDlg, IDC_OPT_DELAY, "1500");
                  Press(hDlg, IDOK);
              }),
              1);
    EXPECT_TRUE(g_bWhoIs && g_bEmail);
    EXPECT_FALSE(g_bContact || g_bKeyword);
    EXPECT_EQ(g_szKeywords, "typed");
    EXPECT_EQ(g_nQueryDelay, 1500);
    EXPECT_EQ(m_sandbox.Dword("bWhoIs"), 1u);
    EXPECT_EQ(m_sandbox.Dword("bEmail"), 1u);
    EXPECT_EQ(m_sandbox.Dword("bContact"), 0u);
    EXPECT_EQ(m_sandbox.Dword("dQueryDelay"), 1500u);
    DWORD dwType = 0;
    std::string stored;
    ASSERT_TRUE(m_sandbox.Raw("Keywords", dwType, stored));
    EXPECT_EQ(stored.c_str(), std::string("older")) << "keyword option off: the stored text stays";
    EXPECT_GT(m_windows.ColumnWidth(5), 0) << "the WhoIs column has its width back";
    EXPECT_GT(m_windows.ColumnWidth(7), 0);
    EXPECT_EQ(m_windows.ColumnWidth(6), 0);
}

// An evaluation with the keyword option on and no keywords reloads the
// stored options just as the user presses "OK" on new ones. The stored
// keyword text (kept from when the option was on) is long, so that the
// reload is still reading the older values when the dialog takes the new
// ones. After "OK" the new options
// are in memory and in the store, never the older stored ones.
TEST_F(OptionsDialogTest, OkWhileAnEvaluationReloadsTheStoreKeepsTheNewOptions) {
    const std::string older(512 * 1024, 'o');
    for (int i = 0; i < 20 && !HasFailure(); ++i) {
        const bool bEmail = i % 2 == 0;
        const std::string keywords = "typed " + std::to_string(i);
        m_sandbox.SetDword("bKeyword", 0);
        m_sandbox.SetDword("bEmail", bEmail ? 0 : 1);
        m_sandbox.SetRaw("Keywords", REG_SZ, older);
        std::thread evaluation;
        EXPECT_EQ(Show([&](HWND hDlg) {
                      CheckDlgButton(hDlg, IDC_OPT_EMAIL, bEmail ? BST_CHECKED : BST_UNCHECKED);
                      CheckDlgButton(hDlg, IDC_OPT_KEYWORD, BST_CHECKED);
                      SetDlgItemTextA(hDlg, IDC_OPT_KEYWORDS, keywords.c_str());
                      evaluation = std::thread(RefreshRunStateFromStore);
                      Press(hDlg, IDOK);
                  }),
                  1);
        evaluation.join();
        PageOptionSet options = TakePageOptions();
        EXPECT_EQ(options.bEmail, bEmail) << i;
        EXPECT_EQ(options.szKeywords, keywords) << i;
        EXPECT_EQ(m_sandbox.Dword("bEmail"), bEmail ? 1u : 0u) << i;
        DWORD dwType = 0;
        std::string stored;
        ASSERT_TRUE(m_sandbox.Raw("Keywords", dwType, stored));
        EXPECT_EQ(std::string(stored.c_str()), keywords) << i;
    }
}

TEST_F(OptionsDialogTest, DelayThatIsNotANumberSavesZero) {
    EXPECT_EQ(Show([](HWND hDlg) {
                  CheckDlgButton(hDlg, IDC_OPT_KEYWORD, BST_CHECKED);
                  SetDlgItemTextA(hDlg, IDC_OPT_KEYWORDS, "one\r\ntwo");
                  SetDlgItemTextA(hDlg, IDC_OPT_DELAY, "soon");
                  Press(hDlg, IDOK);
              }),
              1);
    EXPECT_EQ(g_nQueryDelay, 0);
    EXPECT_EQ(m_sandbox.Dword("dQueryDelay"), 0u);
    DWORD dwType = 0;
    std::string stored;
    ASSERT_TRUE(m_sandbox.Raw("Keywords", dwType, stored));
    EXPECT_EQ(stored.c_str(), std::string("one\r\ntwo"));
}

TEST_F(OptionsDialogTest, WithoutTheKeyTheDialogStartsEmptyAndCreatesNothing) {
    m_sandbox.Remove();
    g_bEmail = true;
    EXPECT_EQ(Show([](HWND hDlg) {
                  CheckDlgButton(hDlg, IDC_OPT_CONTACT, BST_CHECKED);
                  Press(hDlg, IDOK);
              }),
              1);
    EXPECT_FALSE(g_shown.bWhoIs || g_shown.bKeyword || g_shown.bEmail || g_shown.bContact);
    EXPECT_EQ(g_shown.delay, "");
    EXPECT_TRUE(g_bContact);
    EXPECT_FALSE(g_bEmail) << "OK takes the boxes as they are";
    EXPECT_FALSE(m_sandbox.Exists());
}

}  // namespace
