// A real static control in a real window (under Xvfb), taken over by the
// link class. A recording procedure installed before the takeover shows
// what the control itself still receives.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "shell_recorder.h"
#include "support/log_capture.h"
#include "ui/hyperlink_win.h"

namespace {

std::vector<std::string>& Events() {
    static std::vector<std::string> s_events;
    return s_events;
}

WNDPROC g_pfnStaticProc = nullptr;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_LBUTTONDOWN) Events().push_back("control got the click");
    return CallWindowProcA(g_pfnStaticProc, hWnd, uMsg, wParam, lParam);
}

HINSTANCE WINAPI ShellThenEvent(HWND, LPCSTR, LPCSTR szFile, LPCSTR, LPCSTR, INT) {
    Events().push_back(std::string("shell opened ") + szFile);
    return nullptr;
}

HINSTANCE WINAPI ShellThatThrows(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) {
    throw std::runtime_error("the shell failed");
}

BOOL CALLBACK CollectToolTip(HWND hWnd, LPARAM lParam) {
    char szClass[64] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    if (lstrcmpiA(szClass, TOOLTIPS_CLASSA) == 0) reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> ToolTipsOfThread() {
    std::vector<HWND> found;
    EnumThreadWindows(GetCurrentThreadId(), CollectToolTip, reinterpret_cast<LPARAM>(&found));
    return found;
}

LOGFONTA FontOf(HWND hWnd) {
    LOGFONTA lf = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(SendMessageA(hWnd, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf;
}

class HyperLink : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
        InitCommonControlsEx(&icc);
        Events().clear();
        m_hFrame = CreateWindowExA(0, "Static", "frame", WS_POPUP, 10, 10, 400, 200, nullptr,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
        m_hLabel = CreateWindowExA(0, "Static", "http://www.pellmark.example/", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 10,
                                   10, 300, 30, m_hFrame, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(m_hLabel);
        m_hFont = CreateFontA(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "Tahoma");
        SendMessageA(m_hLabel, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
        g_pfnStaticProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(m_hLabel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
    }
    void TearDown() override {
        DestroyWindow(m_hFrame);
        DeleteObject(m_hFont);
    }

    CLogCapture m_log;
    CShellRecorder m_shell;
    HWND m_hFrame = nullptr;
    HWND m_hLabel = nullptr;
    HFONT m_hFont = nullptr;
};

TEST_F(HyperLink, TakesTheControlOverWithAnUnderlinedCopyOfItsFont) {
    CMyHyperLink link;
    link.SetStaticWindow(m_hLabel);
    EXPECT_EQ(GetWindowLongPtrA(m_hLabel, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&CMyHyperLink::StaticTextWndProc));
    EXPECT_EQ(GetWindowLongPtrA(m_hLabel, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&link));
    LOGFONTA lf = FontOf(m_hLabel);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(lf.lfHeight, -16);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");

    link.LeaveWindow();
    EXPECT_EQ(GetWindowLongPtrA(m_hLabel, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&RecordingProc));
    EXPECT_EQ(GetWindowLongPtrA(m_hLabel, GWLP_USERDATA), 0);
}

TEST_F(HyperLink, ClickOpensTheLinkAndTheControlStillGetsIt) {
    CMyHyperLink link;
    link.SetStaticWindow(m_hLabel);
    link.SetLink("mailto:support@pellmark.example");
    SendMessageA(m_hLabel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ASSERT_EQ(CShellRecorder::Calls().size(), 1u);
    const ShellCall& call = CShellRecorder::Calls()[0];
    EXPECT_EQ(call.hWnd, m_hLabel);
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, "mailto:support@pellmark.example");
    EXPECT_EQ(call.nShow, SW_SHOWMINIMIZED);

    // The shell is asked first; the control receives the click after it.
    g_pfnShellOpen = &ShellThenEvent;
    SendMessageA(m_hLabel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Events(), (std::vector<std::string>{"control got the click", "shell opened mailto:support@pellmark.example",
                                                  "control got the click"}));

    link.LeaveWindow();
    SendMessageA(m_hLabel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(Events().size(), 4u);
    EXPECT_EQ(Events().back(), "control got the click");
}

// A failure while handling a message stays inside the window procedure.
TEST_F(HyperLink, AFailingShellIsLoggedAndTheControlStillGetsTheClick) {
    CMyHyperLink link;
    link.SetStaticWindow(m_hLabel);
    link.SetLink("http://www.pellmark.example/");
    g_pfnShellOpen = &ShellThatThrows;
    SendMessageA(m_hLabel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(m_log.Holds("Exception in CMyHyperLink::StaticTextWndProc"));
    EXPECT_EQ(Events(), std::vector<std::string>{"control got the click"});
    link.LeaveWindow();
}

TEST_F(HyperLink, NoToolTipTextMeansNoToolTip) {
    CMyHyperLink link;
    link.SetStaticWindow(m_hLabel);
    for (UINT uMsg : {WM_MOUSEMOVE, WM_MOUSEHOVER}) SendMessageA(m_hLabel, uMsg, 0, MAKELPARAM(3, 3));
    EXPECT_TRUE(ToolTipsOfThread().empty());
    EXPECT_TRUE(m_log.Holds("No tooltip set"));
    link.LeaveWindow();
}

TEST_F(HyperLink, ToolTipIsAttachedOnceAndGoesWithTheLink) {
    {
        CMyHyperLink link;
        link.SetStaticWindow(m_hLabel);
        link.SetToolTip("Visit our web site");
        for (int i = 0; i < 5; ++i) SendMessageA(m_hLabel, WM_MOUSEMOVE, 0, MAKELPARAM(3 + i, 3));
        SendMessageA(m_hLabel, WM_MOUSEHOVER, 0, MAKELPARAM(3, 3));
        std::vector<HWND> tips = ToolTipsOfThread();
        ASSERT_EQ(tips.size(), 1u);
        EXPECT_EQ(SendMessageA(tips[0], TTM_GETTOOLCOUNT, 0, 0), 1);
        char szText[kHyperlinkTextSize] = "";
        TOOLINFOA ti = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.hwnd = m_hLabel;
        ti.lpszText = szText;
        SendMessageA(tips[0], TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&ti));
        EXPECT_STREQ(szText, "Visit our web site");
        EXPECT_FALSE(m_log.Holds("No tooltip set"));
        link.LeaveWindow();
        EXPECT_TRUE(ToolTipsOfThread().empty());
    }
}

TEST_F(HyperLink, PaintsBlueText) {
    CMyHyperLink link;
    link.SetStaticWindow(m_hLabel);
    ShowWindow(m_hFrame, SW_SHOWNOACTIVATE);
    RedrawWindow(m_hLabel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT rc;
    GetClientRect(m_hLabel, &rc);
    HDC hDC = GetDC(m_hLabel);
    int nBlue = 0;
    for (int y = rc.top; y < rc.bottom; ++y)
        for (int x = rc.left; x < rc.right; ++x) nBlue += GetPixel(hDC, x, y) == RGB(0, 0, 255);
    ReleaseDC(m_hLabel, hDC);
    EXPECT_GT(nBlue, 50) << "the text is not drawn in the link colour";
    link.LeaveWindow();
}

}  // namespace
