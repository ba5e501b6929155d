#include "ui/main_window_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <vector>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/result_list.h"
#include "base/run_fence.h"
#include "base/run_state.h"
#include "report/mailing_list.h"
#include "report/report_dialog_win.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "run/keyword_run_win.h"
#include "run/run_controller_win.h"
#include "run/top20_run_win.h"
#include "ui/about_box_win.h"
#include "ui/contact_box_win.h"
#include "ui/dialog_items_win.h"
#include "ui/hyperlink_win.h"
#include "ui/options_dialog_win.h"
#include "ui/result_columns_win.h"
#include "ui/settings_win.h"
#include "ui/source_settings_win.h"
#include "ui/sources_dialog_win.h"
#include "ui/status.h"
#include "ui/status_mailbox.h"
#include "ui/stop_dialog_win.h"

HWND g_hMainWnd = nullptr;
HWND g_hList = nullptr;

namespace {

constexpr char kInitialMaxResults[] = "100";
constexpr std::size_t kCounterTextSize = 64;
constexpr std::size_t kDirectorySize = 2048;
constexpr int kQueryLimitMax = 10000;

unsigned g_nLinksShown = 0;
bool s_bCounterChanged = false;
SIZE s_initialSize{};
// A close asked for while a Top-20 run works: done when its worker ends.
bool s_bCloseAfterTop20 = false;
INT_PTR s_nCloseResult = 0;

HWND Item(int nId) { return GetDlgItem(g_hMainWnd, nId); }

// Workers leave their status in s_status; the main window's thread puts
// the latest one on screen at every tick of this timer. A crawl shows a
// status for every link of every page, far more often than anyone can
// read, and even a posted message costs a call into the system. Every tick
// that paints also holds up a worker's row, whose message waits for the
// window's thread: ten a second keep the line live without that showing.
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT kStatusTimerMs = 100;
CStatusMailbox s_status;
// The rows a run delivers and their counter are shown at this timer's
// ticks (see ShowHeldRows): showing them costs a redraw of the list and of
// its scroll bars (some milliseconds under Wine, while a worker's row
// waits), twice a second is enough for anyone watching.
constexpr UINT_PTR kRowsTimer = 2;
constexpr UINT kRowsTimerMs = 500;

// The status routine workers call: never waits for the main window. A
// thread of a run that has ended shows nothing.
void MainWindowStatus(const char* szText, int nPosition) {
    if (g_hMainWnd) WithinOwnRun([&] { s_status.Put(szText, nPosition); });
}

// The latest status on the status line and the progress bar, or the
// "Calculating backward links" label past the maximum.
void ShowWaitingStatus() {
    std::string text;
    int nPosition = 0;
    if (!s_status.Take(text, nPosition)) return;
    if (nPosition <= g_nMaxResults) {
        SetWindowTextA(Item(IDC_STATUS), text.c_str());
        SendMessageA(Item(IDC_PROGRESS), PBM_SETPOS, nPosition, 0);
    } else {
        ShowWindow(Item(IDC_PROGRESS), SW_HIDE);
        ShowWindow(Item(IDC_CALCULATING), SW_SHOW);
    }
}

// Not while a run has copied the sources it works with, and once at a
// time (the first start opens it by itself while the menu may ask too).
void OpenSourcesDialog(HWND hWnd) {
    static bool s_bOpen = false;
    if (s_bOpen || g_bRunning || IsTop20Running()) return;
    s_bOpen = true;
    ShowSourcesDialog(hWnd);
    s_bOpen = false;
}

// The sources in force. After a new install none is chosen yet: the
// Sources dialog then opens once the window shows, with what each needs.
bool s_bAskForSources = false;

void LoadSources() {
    CSourceSettings sources;
    LoadSourceSettings(sources);
    PutSourceSettings(sources);
    s_bAskForSources = !sources.bChosen;
}

// The dialog manager shows the window only once its queue is first empty:
// asked from its start, the Sources dialog would keep it hidden.
void OnShowWindow(HWND hWnd, bool bShown) {
    if (!bShown || !s_bAskForSources) return;
    s_bAskForSources = false;
    PostMessageA(hWnd, WM_COMMAND, ID_SETTINGS_SOURCES, 0);
}

void OnInitDialog(HWND hWnd) {
    g_nLinksShown = 0;
    g_nQueryDelay = 100;
    g_tLastQuery = NowSeconds();
    HICON hIcon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_PELLMARK), IMAGE_ICON,
                                                GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageA(hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(hIcon));
    LoadStoredOptions();
    LoadSources();
    g_hMainWnd = hWnd;
    g_hList = GetDlgItem(hWnd, IDC_RESULTS);
    ListView_SetExtendedListViewStyle(g_hList, LVS_EX_ONECLICKACTIVATE);
    InsertResultColumns(g_hList);
    RECT rc;
    GetWindowRect(hWnd, &rc);
    s_initialSize = {rc.right - rc.left, rc.bottom - rc.top};
    SetDlgItemTextA(hWnd, IDC_MINRANK, "5");
    SetDlgItemTextA(hWnd, IDC_MAXRESULTS, kInitialMaxResults);
    Animate_OpenEx(Item(IDC_ANIMATION), GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAWL_AVI));
    HWND hSpin = Item(IDC_QUERYLIMIT_SPIN);
    SendMessageA(hSpin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Item(IDC_QUERYLIMIT)), 0);
    SetDlgItemTextA(hWnd, IDC_QUERYLIMIT, "1");
    SendMessageA(hSpin, UDM_SETRANGE32, 1, kQueryLimitMax);
    SetDlgItemTextA(hWnd, IDC_STATUS, "Ready...");
    s_status.Clear();
    SetTimer(hWnd, kStatusTimer, kStatusTimerMs, nullptr);
    SetTimer(hWnd, kRowsTimer, kRowsTimerMs, nullptr);
    SetStatusRoutine(MainWindowStatus);
}

void ResetLinksCounter() {
    g_nLinksShown = 0;
    s_bCounterChanged = false;
    SetDlgItemTextA(g_hMainWnd, IDC_LINKSCOUNT, "");
}

void OnLimitQueryBox() {
    bool bLimit = IsChecked(g_hMainWnd, IDC_LIMITQUERY);
    EnableItem(g_hMainWnd, IDC_QUERYLIMIT, bLimit);
    EnableItem(g_hMainWnd, IDC_QUERYLIMIT_SPIN, bLimit);
    SetChecked(g_hMainWnd, IDC_TOP20, false);
}

void OnTop20Box() {
    UINT uState = IsDlgButtonChecked(g_hMainWnd, IDC_TOP20);
    CheckDlgButton(g_hMainWnd, IDC_LIMITQUERY, BST_UNCHECKED);
    OnLimitQueryBox();
    CheckDlgButton(g_hMainWnd, IDC_TOP20, uState);
}

void OnTrawlButton() {
    if (!g_bRunning) {
        if (IsTop20Running()) return;
        ApplyColumnVisibility();
        ResetLinksCounter();
        DoKeywords();
        return;
    }
    SetDlgItemTextA(g_hMainWnd, IDC_STATUS, "Stopping....");
    EnableItem(g_hMainWnd, IDC_TRAWL, false);
    OpenStopDialog(g_hMainWnd, "Please wait. Closing connection....", true);
    EndSearch();
}

void OnTrawlUrlsButton() {
    SetDlgItemTextA(g_hMainWnd, IDC_KEYWORDS, "");
    SetChecked(g_hMainWnd, IDC_LIMITQUERY, false);
    SetChecked(g_hMainWnd, IDC_TOP20, false);
    if (g_bRunning || IsTop20Running()) return;
    ResetLinksCounter();
    ApplyColumnVisibility();
    StartProcess();
}

void OpenManual() {
    char szPath[kDirectorySize];
    DWORD dwLength = GetCurrentDirectoryA(sizeof szPath, szPath);
    if (dwLength == 0 || dwLength >= sizeof szPath) return;
    char szManual[kDirectorySize + 32];
    std::snprintf(szManual, sizeof szManual, "%s\\User manual.pdf", szPath);
    g_pfnShellOpen(nullptr, "open", szManual, nullptr, nullptr, SW_SHOWNORMAL);
}

// Not during a run. While a Top-20 run works, shut-down must not release
// what its worker uses: that run ends first (without its report) and the
// window closes once the worker has ended.
void RequestClose(HWND hWnd, INT_PTR nResult) {
    if (g_bRunning) return;
    if (!IsTop20Running()) {
        EndDialog(hWnd, nResult);
        return;
    }
    if (!s_bCloseAfterTop20) g_Log.Write("Close: the Top 20 run ends first, then the window closes");
    s_bCloseAfterTop20 = true;
    s_nCloseResult = nResult;
    EndTop20ForClose();
}

void OnTop20Ended(HWND hWnd) {
    if (!s_bCloseAfterTop20) return;
    // The worker posts this as it ends; the wait for its end is short.
    if (g_hSearchThread) WaitPainting(g_hSearchThread.Get(), INFINITE);
    s_bCloseAfterTop20 = false;
    EndDialog(hWnd, s_nCloseResult);
}

void OnCommand(HWND hWnd, int nId) {
    switch (nId) {
    case IDCANCEL: RequestClose(hWnd, IDCANCEL); break;
    case IDC_LIMITQUERY: OnLimitQueryBox(); break;
    case IDC_TOP20: OnTop20Box(); break;
    case IDC_TRAWL: OnTrawlButton(); break;
    case IDC_TRAWLURLS: OnTrawlUrlsButton(); break;
    case IDC_SHOWREPORT: ShowTextResults(); break;
    case IDC_SENDMAIL: g_MailSender.Send(); break;
    case ID_SETTINGS_OPTIONS: ShowOptionsDialog(hWnd); break;
    case ID_SETTINGS_SOURCES: OpenSourcesDialog(hWnd); break;
    case ID_HELP_CONTACT: ShowContactBox(hWnd); break;
    case ID_HELP_HELPCONTENTSF1: OpenManual(); break;
    case ID_HELP_ABOUT: ShowAboutBox(hWnd); break;
    case ID_FILE_EXIT: SendMessageA(hWnd, WM_COMMAND, IDCANCEL, 0); break;
    default: break;
    }
}

// The shell tells of a failure by a result of 32 or below.
void OpenActivatedRow(const NMITEMACTIVATE* lpActivate) {
    char szAddress[255] = "";
    ListView_GetItemText(g_hList, lpActivate->iItem, kColUrl, szAddress, sizeof szAddress);
    HINSTANCE hResult = ShellExecuteA(g_hMainWnd, "open", szAddress, nullptr, nullptr, SW_SHOWDEFAULT);
    if (reinterpret_cast<INT_PTR>(hResult) <= 32) g_Log.Write("Exception opeing link");
}

void OnDeletedRow(const NMLISTVIEW* lpView) {
    URLInfo* lpCopy = reinterpret_cast<URLInfo*>(lpView->lParam);
    if (lpCopy) {
        g_MailSender.ClearAll();
        delete lpCopy;
    }
    g_nLinksShown = 0;
}

void OnListNotify(const NMHDR* lpHeader) {
    switch (lpHeader->code) {
    case LVN_ITEMACTIVATE: OpenActivatedRow(reinterpret_cast<const NMITEMACTIVATE*>(lpHeader)); break;
    case LVN_COLUMNCLICK: SortByColumn(g_hList, reinterpret_cast<const NMLISTVIEW*>(lpHeader)->iSubItem); break;
    case LVN_DELETEITEM: OnDeletedRow(reinterpret_cast<const NMLISTVIEW*>(lpHeader)); break;
    default: break;
    }
}

// The counter follows the rows: a static control paints its new text at
// once, so the text is set with the rows shown, not for every row.
void OnListUpdated() {
    ++g_nLinksShown;
    s_bCounterChanged = true;
}

void ShowLinksCounter() {
    if (!s_bCounterChanged) return;
    s_bCounterChanged = false;
    char szText[kCounterTextSize];
    std::snprintf(szText, sizeof szText, "%u Links Trawled", g_nLinksShown);
    SetDlgItemTextA(g_hMainWnd, IDC_LINKSCOUNT, szText);
}

void ShowHeldResults() {
    ShowHeldRows();
    ShowLinksCounter();
}

void OnDestroy() {
    CIcon smallIcon(reinterpret_cast<HICON>(SendMessageA(g_hMainWnd, WM_SETICON, ICON_SMALL, 0)));  // loaded unshared
    SetStatusRoutine(nullptr);
    KillTimer(g_hMainWnd, kStatusTimer);
    KillTimer(g_hMainWnd, kRowsTimer);
    ListView_DeleteAllItems(g_hList);
    g_hMainWnd = nullptr;
}

INT_PTR HandleMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInitDialog(hWnd);
        return TRUE;
    case WM_COMMAND:
        OnCommand(hWnd, LOWORD(wParam));
        return FALSE;
    case WM_CLOSE:
        RequestClose(hWnd, 0);
        return FALSE;
    case WM_SHOWWINDOW:
        OnShowWindow(hWnd, wParam != FALSE);
        return FALSE;
    case WM_HELP:
        SendMessageA(hWnd, WM_COMMAND, ID_HELP_HELPCONTENTSF1, 0);
        return FALSE;
    case WM_NOTIFY: {
        const NMHDR* lpHeader = reinterpret_cast<const NMHDR*>(lParam);
        if (lpHeader && lpHeader->idFrom == IDC_RESULTS) OnListNotify(lpHeader);
        return FALSE;
    }
    case WM_DESTROY:
        OnDestroy();
        return FALSE;
    case WM_TIMER:
        if (wParam == kStatusTimer) {
            ShowWaitingStatus();
            ReapLeftWorkers();
            return FALSE;
        }
        if (wParam == kRowsTimer) {
            ShowHeldResults();
            return FALSE;
        }
        g_Log.Printf("FaceDlgProc: message %u", uMsg);
        return FALSE;
    case WM_ACTIVATE:
    case WM_NCACTIVATE:
    case WM_NCPAINT:
    case WM_PAINT:
        g_Log.Printf("FaceDlgProc: message %u", uMsg);
        return FALSE;
    default:
        break;
    }
    if (uMsg == kWmUpdateRow) ApplyRow(static_cast<unsigned>(wParam), reinterpret_cast<URLInfo*>(lParam));
    // The row message shares its number with the dialog manager's
    // DM_SETDEFID. A row's message (it carries the record) is handled here
    // alone: the dialog's handling of it, a search through every control for
    // a default button, cost more than the rest of the row's hand-over. The
    // dialog manager's own message (no record) keeps its default handling.
    if (uMsg == kWmListUpdated && lParam != 0) {
        OnListUpdated();
        return TRUE;
    }
    if (uMsg == kWmFinished) StopProcess(wParam != 0);
    if (uMsg == kWmTop20Ended) OnTop20Ended(hWnd);
    return FALSE;
}

}  // namespace

INT_PTR CALLBACK FaceDlgProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return GuardedValue("Exception in FaceDlgProc", INT_PTR{FALSE},
                        [&] { return HandleMessage(hWnd, uMsg, wParam, lParam); });
}

void CreateResList() {
    std::vector<URLInfo> records = ReadRows(g_hList);
    CreateTextResults(false, g_szRunKeywords, &records, false);
}

void StartAnimation() {
    Animate_Play(Item(IDC_ANIMATION), 0, -1, -1);
    InvalidateRect(Item(IDC_ANIMATION), nullptr, TRUE);
    InvalidateRect(Item(IDC_ANIMFRAME), nullptr, TRUE);
    SetDlgItemTextA(g_hMainWnd, IDC_ANIMCAPTION, "Trawling...");
}

void StopAnimation() {
    Animate_Stop(Item(IDC_ANIMATION));
    InvalidateRect(Item(IDC_ANIMATION), nullptr, TRUE);
    InvalidateRect(Item(IDC_ANIMFRAME), nullptr, TRUE);
    SetDlgItemTextA(g_hMainWnd, IDC_ANIMCAPTION, "Trawled");
}

void EnterRunningState() {
    AdvanceRunSerial();
    g_bRunning = true;
    SetClassLongPtrA(g_hMainWnd, GCL_STYLE, GetClassLongPtrA(g_hMainWnd, GCL_STYLE) | CS_NOCLOSE);
    EnableItem(g_hMainWnd, IDCANCEL, false);
    EnableItem(g_hMainWnd, IDC_SHOWREPORT, false);
    EnableItem(g_hMainWnd, IDC_SENDMAIL, false);
    EnableItem(g_hMainWnd, IDC_TRAWLURLS, false);
    SetDlgItemTextA(g_hMainWnd, IDC_TRAWL, "Stop");
    SetWindowPos(g_hMainWnd, nullptr, 0, 0, s_initialSize.cx, s_initialSize.cy, SWP_NOMOVE | SWP_NOZORDER);
}

void LeaveRunningState() {
    ShowHeldResults();
    SetClassLongPtrA(g_hMainWnd, GCL_STYLE, GetClassLongPtrA(g_hMainWnd, GCL_STYLE) & ~CS_NOCLOSE);
    EnableItem(g_hMainWnd, IDCANCEL, true);
    EnableItem(g_hMainWnd, IDC_TRAWL, true);
    EnableItem(g_hMainWnd, IDC_SHOWREPORT, true);
    EnableItem(g_hMainWnd, IDC_SENDMAIL, true);
    EnableItem(g_hMainWnd, IDC_TRAWLURLS, true);
    SetDlgItemTextA(g_hMainWnd, IDC_TRAWL, "Trawl Keywords");
    // The run's serial has moved on: no status of it arrives after this.
    s_status.Clear();
    SetDlgItemTextA(g_hMainWnd, IDC_STATUS, "");
    g_bRunning = false;
}
