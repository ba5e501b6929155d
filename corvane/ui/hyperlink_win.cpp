#include "ui/hyperlink_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"

PFN_ShellOpen g_pfnShellOpen = ShellExecuteA;

namespace {

void CopyText(char (&szField)[kHyperlinkTextSize], const char* szText) {
    std::snprintf(szField, sizeof szField, "%s", szText ? szText : "");
}

CMyHyperLink* LinkOf(HWND hWnd) {
    return reinterpret_cast<CMyHyperLink*>(GetWindowLongPtrA(hWnd, GWLP_USERDATA));
}

}  // namespace

CMyHyperLink::CMyHyperLink() = default;

// Only system calls and bounded copies below, which cannot throw: the one
// barrier is the window procedure, which also runs the shell's open call.
CMyHyperLink::~CMyHyperLink() {
    if (m_hToolTip && IsWindow(m_hToolTip)) DestroyWindow(m_hToolTip);
}

void CMyHyperLink::SetStaticWindow(HWND hWnd) {
    m_hWnd = hWnd;
    HFONT hFont = reinterpret_cast<HFONT>(SendMessageA(hWnd, WM_GETFONT, 0, 0));
    LOGFONTA lf = {};
    GetObjectA(hFont ? static_cast<HGDIOBJ>(hFont) : GetStockObject(SYSTEM_FONT), sizeof lf, &lf);
    lf.lfUnderline = TRUE;
    m_linkFont.Reset(CreateFontIndirectA(&lf));
    // The object is reachable before the new procedure can see a message.
    SetWindowLongPtrA(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_pfnPrevProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StaticTextWndProc)));
    m_hHandCursor = LoadCursor(nullptr, IDC_HAND);
    SendMessageA(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_linkFont.Get()), TRUE);
    TRACKMOUSEEVENT track = {sizeof track, TME_HOVER | TME_LEAVE, hWnd, HOVER_DEFAULT};
    TrackMouseEvent(&track);
}

void CMyHyperLink::SetLink(const char* szLink) { CopyText(m_szLink, szLink); }

void CMyHyperLink::SetToolTip(const char* szToolTip) { CopyText(m_szToolTip, szToolTip); }

void CMyHyperLink::LeaveWindow() {
    if (!m_hWnd || !m_pfnPrevProc) return;
    SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevProc));
    SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, 0);
    if (m_hToolTip && IsWindow(m_hToolTip)) DestroyWindow(m_hToolTip);
    m_hToolTip = nullptr;
    m_pfnPrevProc = nullptr;
}

LRESULT CALLBACK CMyHyperLink::StaticTextWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    CMyHyperLink* lpLink = LinkOf(hWnd);
    if (!lpLink || !lpLink->m_pfnPrevProc) return DefWindowProcA(hWnd, uMsg, wParam, lParam);
    Guarded("Exception in CMyHyperLink::StaticTextWndProc", [&] { lpLink->OnMessage(uMsg); });
    // The control keeps its own behaviour for every message, ours included.
    return CallWindowProcA(lpLink->m_pfnPrevProc, hWnd, uMsg, wParam, lParam);
}

void CMyHyperLink::OnMessage(UINT uMsg) {
    switch (uMsg) {
        case WM_PAINT: Paint(); break;
        case WM_SETCURSOR: SetCursor(m_hHandCursor); break;
        case WM_MOUSEMOVE:
        case WM_MOUSEHOVER:
            ShowHand();
            break;
        case WM_LBUTTONDOWN: OpenLink(); break;
        default: break;
    }
}

void CMyHyperLink::Paint() {
    char szText[kHyperlinkTextSize] = "";
    GetWindowTextA(m_hWnd, szText, sizeof szText);
    PAINTSTRUCT ps;
    HDC hDC = BeginPaint(m_hWnd, &ps);
    if (!hDC) return;
    HGDIOBJ hOldFont = SelectObject(hDC, m_linkFont.Get());
    COLORREF crOld = SetTextColor(hDC, RGB(0, 0, 255));
    SetBkMode(hDC, TRANSPARENT);
    DrawTextA(hDC, szText, -1, &ps.rcPaint, DT_SINGLELINE | DT_VCENTER);
    SetTextColor(hDC, crOld);
    SelectObject(hDC, hOldFont);
    EndPaint(m_hWnd, &ps);
}

void CMyHyperLink::ShowHand() {
    SetCursor(m_hHandCursor);
    if (m_szToolTip[0])
        AttachToolTip();
    else
        g_Log.Write("No tooltip set");
}

// One tooltip window per label, made on first need: the mouse moves often.
void CMyHyperLink::AttachToolTip() {
    if (m_hToolTip && IsWindow(m_hToolTip)) return;
    m_hToolTip = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (!m_hToolTip) return;
    SetWindowPos(m_hToolTip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    TOOLINFOA ti = {};
    ti.cbSize = TTTOOLINFOA_V2_SIZE;
    ti.uFlags = TTF_SUBCLASS;
    ti.hwnd = m_hWnd;
    ti.hinst = GetModuleHandleA(nullptr);
    ti.lpszText = m_szToolTip;
    GetClientRect(m_hWnd, &ti.rect);
    SendMessageA(m_hToolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&ti));
}

void CMyHyperLink::OpenLink() {
    if (g_pfnShellOpen) g_pfnShellOpen(m_hWnd, "open", m_szLink, nullptr, nullptr, SW_SHOWMINIMIZED);
}
