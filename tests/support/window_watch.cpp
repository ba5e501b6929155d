#include "support/window_watch.h"


namespace {

struct DialogSearch {
    const char* szCaption;
    HWND hFound;
};

BOOL CALLBACK MatchDialog(HWND hWnd, LPARAM lParam) {
    DialogSearch* lpSearch = reinterpret_cast<DialogSearch*>(lParam);
    char szClass[64] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    if (IsWindowVisible(hWnd) && lstrcmpA(szClass, "#32770") == 0 && WindowText(hWnd) == lpSearch->szCaption) {
        lpSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStatic(HWND hWnd, LPARAM lParam) {
    char szClass[64] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    if (lstrcmpiA(szClass, "Static") == 0) reinterpret_cast<std::vector<std::string>*>(lParam)->push_back(WindowText(hWnd));
    return TRUE;
}

BOOL CALLBACK PostClose(HWND hWnd, LPARAM) {
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    return TRUE;
}

BOOL CALLBACK FindEditChild(HWND hWnd, LPARAM lParam) {
    char szClass[64] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    if (lstrcmpiA(szClass, "Edit") != 0) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

// The name box is a combo box (cmb13) with an edit inside in the explorer
// layout, a plain edit (edt1) in the older one.
HWND FileNameEdit(HWND hDlg) {
    HWND hEdit = nullptr;
    if (HWND hCombo = GetDlgItem(hDlg, 0x47c)) EnumChildWindows(hCombo, FindEditChild, reinterpret_cast<LPARAM>(&hEdit));
    if (!hEdit) hEdit = GetDlgItem(hDlg, 0x480);
    return hEdit;
}

}  // namespace

HWND WaitForDialog(DWORD dwThreadId, const char* szCaption, DWORD dwTimeoutMs) {
    DialogSearch search{szCaption, nullptr};
    WaitUntil([&] {
        EnumThreadWindows(dwThreadId, MatchDialog, reinterpret_cast<LPARAM>(&search));
        return search.hFound != nullptr;
    }, dwTimeoutMs);
    return search.hFound;
}

std::string WindowText(HWND hWnd) {
    char szText[4096] = "";
    SendMessageTimeoutA(hWnd, WM_GETTEXT, sizeof szText, reinterpret_cast<LPARAM>(szText), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return szText;
}

std::vector<std::string> StaticTexts(HWND hDlg) {
    std::vector<std::string> texts;
    EnumChildWindows(hDlg, CollectStatic, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

void PressButton(HWND hDlg, int nId) {
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hDlg, nId)));
}

bool TypeFileName(HWND hDlg, const std::string& name) {
    HWND hEdit = nullptr;
    if (!WaitUntil([&] { return (hEdit = FileNameEdit(hDlg)) != nullptr; })) return false;
    for (char c : name) SendMessageA(hEdit, WM_CHAR, static_cast<unsigned char>(c), 0);
    return WindowText(hEdit) == name;
}

bool SaveThroughFileDialog(DWORD dwThreadId, HWND hDlg, int nButton, const std::string& name, DWORD dwTimeoutMs) {
    PressButton(hDlg, nButton);
    HWND hSave = WaitForDialog(dwThreadId, "Select file", dwTimeoutMs);
    if (!hSave || !TypeFileName(hSave, name)) return false;
    PressButton(hSave, IDOK);
    return WaitUntil([&] { return !IsWindow(hSave); }, dwTimeoutMs);
}

void CloseThreadWindows(DWORD dwThreadId) { EnumThreadWindows(dwThreadId, PostClose, 0); }

CWindowScript::CWindowScript(std::function<bool(DWORD)> script) {
    DWORD dwTarget = GetCurrentThreadId();
    m_thread = std::thread([this, script, dwTarget] {
        m_bResult = script(dwTarget);
        if (!m_bResult) CloseThreadWindows(dwTarget);
    });
}

CWindowScript::~CWindowScript() {
    if (m_thread.joinable()) m_thread.join();
}

bool CWindowScript::Join() {
    if (m_thread.joinable()) m_thread.join();
    return m_bResult;
}
