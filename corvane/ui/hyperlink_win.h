#pragma once
// A static text control of a dialog turned into a clickable link: blue
// underlined text, hand cursor, its target opened with the shell.
#include <windows.h>

#include "platform_owners_win.h"

constexpr std::size_t kHyperlinkTextSize = 260;

// The shell call that opens a link or the manual; tests put a recorder in
// its place.
typedef HINSTANCE(WINAPI* PFN_ShellOpen)(HWND hWnd, LPCSTR szVerb, LPCSTR szFile, LPCSTR szParameters,
                                         LPCSTR szDirectory, INT nShow);
extern PFN_ShellOpen g_pfnShellOpen;

class CMyHyperLink {
public:
    CMyHyperLink();
    virtual ~CMyHyperLink();
    CMyHyperLink(const CMyHyperLink&) = delete;
    CMyHyperLink& operator=(const CMyHyperLink&) = delete;

    // Takes the control over until LeaveWindow.
    void SetStaticWindow(HWND hWnd);
    void SetLink(const char* szLink);
    void SetToolTip(const char* szToolTip);
    // Gives the control its own procedure back; call it before destroying
    // the object while the control still exists.
    void LeaveWindow();

    static LRESULT CALLBACK StaticTextWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

private:
    void OnMessage(UINT uMsg);
    void Paint();
    void ShowHand();
    void AttachToolTip();
    void OpenLink();

    WNDPROC m_pfnPrevProc = nullptr;
    HCURSOR m_hHandCursor = nullptr;
    HWND m_hWnd = nullptr;
    CGdiObject<HFONT> m_linkFont;
    HWND m_hToolTip = nullptr;
    char m_szLink[kHyperlinkTextSize] = "";
    char m_szToolTip[kHyperlinkTextSize] = "";
};
