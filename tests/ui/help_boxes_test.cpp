// The about and contact boxes from the program's own resources.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "resources/resource.h"
#include "shell_recorder.h"
#include "support/window_watch.h"
#include "ui/about_box_win.h"
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

// Modal, as the Help menu shows them, closed as a user closes them.
TEST(HelpBoxes, ModalBoxesCloseOnOkAndCloseButton) {
    std::vector<std::string> aboutTexts;
    bool bPicture = false;
    CWindowScript script([&](DWORD dwThread) {
        HWND hAbout = WaitForDialog(dwThread, "About Pellmark");
        if (!hAbout) return false;
        aboutTexts = StaticTexts(hAbout);
        EnumChildWindows(hAbout, NoteBitmap, reinterpret_cast<LPARAM>(&bPicture));
        PressButton(hAbout, IDOK);
        HWND hContact = WaitForDialog(dwThread, "Contact Us");
        if (!hContact) return false;
        PostMessageA(hContact, WM_CLOSE, 0, 0);
        return true;
    });
    ShowAboutBox(nullptr);
    ShowContactBox(nullptr);
    ASSERT_TRUE(script.Join());
    EXPECT_NE(std::find(aboutTexts.begin(), aboutTexts.end(), "Pellmark Version 3.0"), aboutTexts.end());
    EXPECT_TRUE(bPicture);
}

// Every way a user closes a box: the button, Esc, the title bar's close
// button. A way that does not close it fails the case; the box is then
// closed with OK so that the next case can run.
TEST(HelpBoxes, AboutBoxClosesWithOkEscAndTheCloseButton) {
    const struct {
        const char* szName;
        UINT uMsg;
        WPARAM wParam;
    } cases[] = {
        {"OK", WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)},
        {"Esc", WM_KEYDOWN, VK_ESCAPE},
        {"close button", WM_SYSCOMMAND, SC_CLOSE},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.szName);
        bool bClosed = false;
        CWindowScript script([&](DWORD dwThread) {
            HWND hAbout = WaitForDialog(dwThread, "About Pellmark");
            if (!hAbout) return false;
            PostMessageA(hAbout, test.uMsg, test.wParam, 0);
            bClosed = WaitUntil([&] { return !IsWindow(hAbout); }, 10000);
            if (!bClosed) PressButton(hAbout, IDOK);
            return true;
        });
        ShowAboutBox(nullptr);
        ASSERT_TRUE(script.Join());
        EXPECT_TRUE(bClosed);
    }
}

}  // namespace
