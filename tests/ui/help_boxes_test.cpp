// The about and contact boxes from the program's own resources, and the
// Help menu of the main window that opens them and the manual.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "shell_recorder.h"
#include "support/main_window_harness.h"
#include "support/temp_folder.h"
#include "support/window_watch.h"
#include "ui/contact_box_win.h"

namespace {

LONG_PTR ProcOf(HWND hWnd) { return GetWindowLongPtrA(hWnd, GWLP_WNDPROC); }
const LONG_PTR kLinkProc = reinterpret_cast<LONG_PTR>(&CMyHyperLink::StaticTextWndProc);

HWND OpenContactBox() {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONTACT), nullptr, ContactDlgProc, 0);
}

TEST(ContactBox, LabelsOpenTheWebSiteAndTheMailProgram) {
    CShellRecorder shell;
    HWND hDlg = OpenContactBox();
    ASSERT_TRUE(hDlg);
    HWND hWeb = GetDlgItem(hDlg, IDC_CONTACT_WEB);
    HWND hMail = GetDlgItem(hDlg, IDC_CONTACT_MAIL);
    EXPECT_EQ(ProcOf(hWeb), kLinkProc);
    EXPECT_EQ(ProcOf(hMail), kLinkProc);
    for (HWND hLabel : {hWeb, hMail}) SendMessageA(hLabel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    ASSERT_EQ(CShellRecorder::Calls().size(), 2u);
    EXPECT_EQ(CShellRecorder::Calls()[0].file, "http://www.pellmark.example/");
    EXPECT_EQ(CShellRecorder::Calls()[0].hWnd, hWeb);
    EXPECT_EQ(CShellRecorder::Calls()[1].file, "mailto:support@pellmark.example");
    EXPECT_EQ(CShellRecorder::Calls()[1].hWnd, hMail);
    DestroyWindow(hDlg);
}

TEST(ContactBox, ClosingGivesBothLabelsBack) {
    struct Case {
        const char* szName;
        UINT uMsg;
        WPARAM wParam;
    } cases[] = {{"close button", WM_CLOSE, 0}, {"OK", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)}};
    for (const Case& test : cases) {
        SCOPED_TRACE(test.szName);
        CShellRecorder shell;
        HWND hDlg = OpenContactBox();
        ASSERT_TRUE(hDlg);
        ASSERT_NE(GetWindowLongPtrA(hDlg, DWLP_USER), 0);
        SendMessageA(hDlg, test.uMsg, test.wParam, 0);
        for (int nId : {IDC_CONTACT_WEB, IDC_CONTACT_MAIL}) {
            HWND hLabel = GetDlgItem(hDlg, nId);
            EXPECT_NE(ProcOf(hLabel), kLinkProc);
            EXPECT_EQ(GetWindowLongPtrA(hLabel, GWLP_USERDATA), 0);
            // A plain static control again: a click opens nothing.
            SendMessageA(hLabel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        }
        EXPECT_EQ(GetWindowLongPtrA(hDlg, DWLP_USER), 0);
        EXPECT_TRUE(CShellRecorder::Calls().empty());
        DestroyWindow(hDlg);
    }
}

BOOL CALLBACK NoteBitmap(HWND hChild, LPARAM lParam) {
    if (SendMessageA(hChild, STM_GETIMAGE, IMAGE_BITMAP, 0)) *reinterpret_cast<bool*>(lParam) = true;
    return TRUE;
}

// Each box from the Help menu of the real main window, modal to it, closed
// every way a user closes it. A way that does not close the box fails the
// case; the box is then closed with OK so that the next case can run.
TEST(HelpBoxes, OpenFromTheMenuAndCloseAsAUserClosesThem) {
    const struct {
        const char* szName;
        int nCommand;
        const char* szTitle;
        const char* szText;  // one of the box's texts
        bool bPicture;
        UINT uMsg;
        WPARAM wParam;
    } cases[] = {
        {"About, OK", ID_HELP_ABOUT, "About Pellmark", "Pellmark Version 3.0", true, WM_COMMAND,
         MAKEWPARAM(IDOK, BN_CLICKED)},
        {"About, Esc", ID_HELP_ABOUT, "About Pellmark", "Pellmark Version 3.0", true, WM_KEYDOWN, VK_ESCAPE},
        {"About, close button", ID_HELP_ABOUT, "About Pellmark", "Pellmark Version 3.0", true, WM_SYSCOMMAND, SC_CLOSE},
        {"Contact, OK", ID_HELP_CONTACT, "Contact Us", "support@pellmark.example", false, WM_COMMAND,
         MAKEWPARAM(IDOK, BN_CLICKED)},
        {"Contact, close button", ID_HELP_CONTACT, "Contact Us", "support@pellmark.example", false, WM_SYSCOMMAND,
         SC_CLOSE},
    };
    CMainWindowHarness window;
    ASSERT_NE(window.Main(), nullptr);
    for (const auto& test : cases) {
        SCOPED_TRACE(test.szName);
        PostMessageA(window.Main(), WM_COMMAND, test.nCommand, 0);
        HWND hBox = window.WaitForWindow(test.szTitle);
        ASSERT_NE(hBox, nullptr);
        EXPECT_EQ(GetWindow(hBox, GW_OWNER), window.Main());
        std::vector<std::string> texts = StaticTexts(hBox);
        EXPECT_NE(std::find(texts.begin(), texts.end(), test.szText), texts.end());
        bool bPicture = false;
        EnumChildWindows(hBox, NoteBitmap, reinterpret_cast<LPARAM>(&bPicture));
        EXPECT_EQ(bPicture, test.bPicture);
        PostMessageA(hBox, test.uMsg, test.wParam, 0);
        bool bClosed = window.WaitForWindowGone(hBox, 10000);
        EXPECT_TRUE(bClosed);
        if (!bClosed) PressButton(hBox, IDOK);
        ASSERT_TRUE(window.WaitForWindowGone(hBox, 10000));
    }
}

// The process's current folder, moved for a test and put back.
class CCurrentFolder {
public:
    explicit CCurrentFolder(const std::string& path) {
        GetCurrentDirectoryA(sizeof m_szWas, m_szWas);
        m_bMoved = SetCurrentDirectoryA(path.c_str()) != FALSE;
    }
    ~CCurrentFolder() { SetCurrentDirectoryA(m_szWas); }
    CCurrentFolder(const CCurrentFolder&) = delete;
    CCurrentFolder& operator=(const CCurrentFolder&) = delete;
    bool Moved() const { return m_bMoved; }

private:
    char m_szWas[MAX_PATH] = "";
    bool m_bMoved = false;
};

// Help Contents and F1 (the WM_HELP it makes) hand the manual of the
// current folder, not of the program's, to the shell.
TEST(HelpBoxes, HelpContentsAndF1OpenTheManualOfTheCurrentFolder) {
    HELPINFO help{};
    help.cbSize = sizeof help;
    const struct {
        const char* szName;
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {"Help Contents", WM_COMMAND, ID_HELP_HELPCONTENTSF1, 0},
        {"F1", WM_HELP, 0, reinterpret_cast<LPARAM>(&help)},
    };
    CTempFolder folder;
    CCurrentFolder current(folder.Path());
    ASSERT_TRUE(current.Moved());
    CShellRecorder shell;
    CMainWindowHarness window;
    ASSERT_NE(window.Main(), nullptr);
    for (const auto& test : cases) {
        SCOPED_TRACE(test.szName);
        CShellRecorder::Calls().clear();
        // Sent: the shell call has been made when this returns.
        SendMessageA(window.Main(), test.uMsg, test.wParam, test.lParam);
        ASSERT_EQ(CShellRecorder::Calls().size(), 1u);
        EXPECT_EQ(CShellRecorder::Calls()[0].verb, "open");
        EXPECT_EQ(CShellRecorder::Calls()[0].file, folder.File("User manual.pdf"));
        EXPECT_EQ(CShellRecorder::Calls()[0].nShow, SW_SHOWNORMAL);
    }
}

}  // namespace
