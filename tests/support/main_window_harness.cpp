#include "support/main_window_harness.h"

#include <commctrl.h>
#include <objbase.h>

#include <vector>

#include "base/run_state.h"
#include "harvest/blocked_page_win.h"
#include "resources/resource.h"
#include "ui/main_window_win.h"
#include "web/tools_library_win.h"

namespace {

struct FindRequest {
    DWORD dwProcess;
    const char* szTitle;
    HWND hFound;
};

BOOL CALLBACK MatchWindow(HWND hWnd, LPARAM lParam) {
    auto* lpRequest = reinterpret_cast<FindRequest*>(lParam);
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwProcess != lpRequest->dwProcess || !IsWindowVisible(hWnd)) return TRUE;
    char szTitle[256] = "";
    GetWindowTextA(hWnd, szTitle, sizeof szTitle);
    if (std::string(szTitle) != lpRequest->szTitle) return TRUE;
    lpRequest->hFound = hWnd;
    return FALSE;
}

}  // namespace

CMainWindowHarness::CMainWindowHarness()
    : m_hReady(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_hDone(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    m_ui = std::thread(&CMainWindowHarness::UiThread, this);
    WaitForSingleObject(m_hReady, 60000);
    WaitUntil([] { return g_hMainWnd != nullptr; }, 60000);
    m_hMain = g_hMainWnd;
}

static BOOL CALLBACK DismissWindow(HWND hWnd, LPARAM lParam) {
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwProcess == GetCurrentProcessId() && IsWindowVisible(hWnd) && hWnd != reinterpret_cast<HWND>(lParam)) {
        PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

CMainWindowHarness::~CMainWindowHarness() {
    // Whatever a failed test left open (a question, a dialog) is dismissed,
    // then the main window is closed like a user would.
    WaitUntil(
        [&] {
            if (WaitForSingleObject(m_hDone, 0) == WAIT_OBJECT_0) return true;
            EnumWindows(DismissWindow, reinterpret_cast<LPARAM>(m_hMain));
            if (m_hMain && IsWindow(m_hMain)) PostMessageA(m_hMain, WM_CLOSE, 0, 0);
            return WaitForSingleObject(m_hDone, 500) == WAIT_OBJECT_0;
        },
        120000);
    if (m_ui.joinable()) m_ui.join();
    CloseHandle(m_hReady);
    CloseHandle(m_hDone);
}

void CMainWindowHarness::UiThread() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    BindOutsideLibraries();
    InstallBlockedPageQuestion();
    SetEvent(m_hReady);
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_MAIN), nullptr, FaceDlgProc, 0);
    CoUninitialize();
    SetEvent(m_hDone);
}

std::string CMainWindowHarness::Text(int nId) const {
    char szText[4096] = "";
    GetWindowTextA(Control(nId), szText, sizeof szText);
    return szText;
}

void CMainWindowHarness::SetText(int nId, const std::string& text) const { SetControlText(m_hMain, nId, text); }

void CMainWindowHarness::SetChecked(HWND hDialog, int nId, bool bChecked) const {
    SetControlChecked(hDialog, nId, bChecked);
}

void CMainWindowHarness::Click(HWND hDialog, int nId) const { ClickControl(hDialog, nId); }

void CMainWindowHarness::ClickColumnHeader(int nColumn) const {
    NMLISTVIEW click{};
    click.hdr.hwndFrom = Control(IDC_RESULTS);
    click.hdr.idFrom = IDC_RESULTS;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = nColumn;
    SendMessageA(m_hMain, WM_NOTIFY, IDC_RESULTS, reinterpret_cast<LPARAM>(&click));
}

void SetControlText(HWND hDialog, int nId, const std::string& text) {
    SendMessageA(GetDlgItem(hDialog, nId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SetControlChecked(HWND hDialog, int nId, bool bChecked) {
    HWND hBox = GetDlgItem(hDialog, nId);
    bool bNow = SendMessageA(hBox, BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (bNow != bChecked) ClickControl(hDialog, nId);
    WaitUntil([&] { return (SendMessageA(hBox, BM_GETCHECK, 0, 0) == BST_CHECKED) == bChecked; }, 10000);
}

void ClickControl(HWND hDialog, int nId) {
    HWND hButton = GetDlgItem(hDialog, nId);
    // An auto check box changes its state on the click itself.
    if ((GetWindowLongA(hButton, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        PostMessageA(hButton, BM_CLICK, 0, 0);
        return;
    }
    PostMessageA(hDialog, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
}

HWND FindProcessWindow(DWORD dwProcess, const char* szTitle) {
    FindRequest request{dwProcess, szTitle, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&request));
    return request.hFound;
}

HWND WaitForProcessWindow(DWORD dwProcess, const char* szTitle, int nTimeoutMs) {
    HWND hFound = nullptr;
    WaitUntil([&] { return (hFound = FindProcessWindow(dwProcess, szTitle)) != nullptr; }, nTimeoutMs);
    return hFound;
}

HWND CMainWindowHarness::WaitForWindow(const char* szTitle, int nTimeoutMs) const {
    return WaitForProcessWindow(GetCurrentProcessId(), szTitle, nTimeoutMs);
}

bool CMainWindowHarness::WaitForWindowGone(HWND hWnd, int nTimeoutMs) const {
    return WaitUntil([&] { return !IsWindow(hWnd); }, nTimeoutMs);
}

std::string CMainWindowHarness::MessageText(HWND hBox) {
    char szText[4096] = "";
    GetDlgItemTextA(hBox, 0xFFFF, szText, sizeof szText);
    return szText;
}

bool CMainWindowHarness::WaitForIdle(int nTimeoutMs) const {
    return WaitUntil([&] { return !g_bRunning && Text(IDC_TRAWL) == "Trawl Keywords"; }, nTimeoutMs);
}

int CMainWindowHarness::RowCount() const { return ListView_GetItemCount(Control(IDC_RESULTS)); }

std::string CMainWindowHarness::Cell(int nRow, int nColumn) const {
    char szText[2048] = "";
    ListView_GetItemText(Control(IDC_RESULTS), nRow, nColumn, szText, sizeof szText);
    return szText;
}

HWND CMainWindowHarness::RunUrls(const std::string& addresses, bool bFollowLinks, bool bDomainLinks,
                                 bool bBacklinks) {
    if (!StartUrlRun(m_hMain, GetCurrentProcessId(), addresses, bFollowLinks, bDomainLinks, bBacklinks)) return nullptr;
    return WaitForWindow("Finished", 120000);
}

bool StartUrlRun(HWND hMain, DWORD dwProcess, const std::string& addresses, bool bFollowLinks, bool bDomainLinks,
                 bool bBacklinks) {
    ClickControl(hMain, IDC_TRAWLURLS);
    HWND hDialog = WaitForProcessWindow(dwProcess, "URL Trawl", 60000);
    if (!hDialog) return false;
    SetControlText(hDialog, IDC_URLTEXT, addresses);
    SetControlChecked(hDialog, IDC_FOLLOWLINKS, bFollowLinks);
    SetControlChecked(hDialog, IDC_DOMAINLINKS, bDomainLinks);
    if (bBacklinks) SetControlChecked(hDialog, IDC_BACKLINKS, true);
    ClickControl(hDialog, IDOK);
    return true;
}
