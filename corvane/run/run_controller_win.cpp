#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <process.h>

#include <cstring>
#include <memory>
#include <string>

#include "evaluate/page_evaluation.h"
#include "report/report_dialog_win.h"
#include "resources/resource.h"
#include "run/backlink_run_win.h"
#include "run/diagnostic_log.h"
#include "run/result_list.h"
#include "run/run_controller.h"
#include "run/run_state.h"
#include "run/worker_threads_win.h"
#include "ui/main_window_win.h"
#include "ui/status.h"
#include "ui/stop_dialog_win.h"
#include "ui/url_dialog_win.h"
#include "web/page_loader_win.h"
#include "web/tools_library.h"

HANDLE g_hSearchThread = nullptr;

namespace {

constexpr std::size_t kAddressTextSize = 4096;
constexpr std::size_t kCriteriaTextSize = 260;
constexpr std::size_t kMinimumPageLength = 6;

// What one evaluation thread works on: its own copies of the record and of
// the page. A copy, because a forced stop ends the worker and releases the
// work list while a hanging evaluation may still come back and write.
struct EvaluationRequest {
    URLInfo info;
    std::string szPage;
};

int ReadNumber(HWND hWnd, int nId) {
    char szText[kCriteriaTextSize] = "";
    GetDlgItemTextA(hWnd, nId, szText, sizeof szText);
    return std::atoi(szText);
}

void ShowCriteriaError(HWND hWnd, const char* szText) { MessageBoxA(hWnd, szText, "Error", MB_OK | MB_ICONSTOP); }

bool SourceHasEngine(const URLInfo* lpInfo) { return std::strstr(lpInfo->Source, "google") != nullptr; }

void FinishUrlRun() {
    g_Stopped = true;
    PostMessageA(g_hMainWnd, kWmFinished, 0, 0);
}

unsigned __stdcall ProcessURL(void* lpParam) {
    std::unique_ptr<EvaluationRequest> request(static_cast<EvaluationRequest*>(lpParam));
    BindRowsToRun();
    CEvaluationCom com("ProcessURL: CoInitialize failed");
    if (!com.Ok()) return 0;
    try {
        if (!request || request->szPage.empty()) {
            g_Log.Write("ProcessURL: no record or no page");
        } else {
            ParsePage(&request->info, request->szPage.c_str(), ShowStatus);
        }
    } catch (...) {
        g_Log.Write("Exception in ProcessURL");
    }
    return 0;
}

// Loads and evaluates one work-list record; false when the run must end.
bool ProcessRecord(std::size_t nIndex) {
    URLInfo* lpInfo = g_RunList.At(nIndex);
    if (!lpInfo) {
        g_Log.Printf("SearchCoreMain: no record at %u", static_cast<unsigned>(nIndex));
        return true;
    }
    if (SourceHasEngine(lpInfo)) SleepForQueryInterval();
    std::string szPage;
    {
        CPageLoader loader;
        szPage = loader.LoadPage(lpInfo->Source, g_nLinks);
    }
    if (SourceHasEngine(lpInfo)) g_tLastQuery = NowSeconds();
    if (szPage.size() < kMinimumPageLength) return true;
    if (g_Stopped) return false;
    auto* lpRequest = new EvaluationRequest{*lpInfo, std::move(szPage)};
    HANDLE hThread = StartThread(ProcessURL, lpRequest);
    if (!hThread) {
        delete lpRequest;
        g_Log.Write("SearchCoreMain: the evaluation thread could not be created");
        return true;
    }
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
    return true;
}

void WaitForWorker() {
    if (!g_hSearchThread) return;
    DWORD dwExit = 0;
    while (GetExitCodeThread(g_hSearchThread, &dwExit) && dwExit == STILL_ACTIVE) Sleep(500);
    CloseHandle(g_hSearchThread);
    g_hSearchThread = nullptr;
}

}  // namespace

CWorkerCom::CWorkerCom() : m_bInitialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    if (!m_bInitialised) MessageBoxA(nullptr, "Fail to Initialise COM", "Error", MB_OK | MB_ICONINFORMATION);
}

CWorkerCom::~CWorkerCom() {
    if (m_bInitialised) CoUninitialize();
}

CEvaluationCom::CEvaluationCom(const char* szFailure)
    : m_bInitialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    if (!m_bInitialised) g_Log.Write(szFailure);
}

CEvaluationCom::~CEvaluationCom() {
    if (m_bInitialised) CoUninitialize();
}

std::string LoadEnginePage(const std::string& address, int nProgress) {
    SleepForQueryInterval();
    std::string szPage = CPageLoader().LoadPage(address.c_str(), nProgress);
    g_tLastQuery = NowSeconds();
    return szPage;
}

HANDLE StartThread(unsigned(__stdcall* pfnProc)(void*), void* lpParam) {
    uintptr_t hThread = _beginthreadex(nullptr, 0, pfnProc, lpParam, 0, nullptr);
    return reinterpret_cast<HANDLE>(hThread);
}

void SetSearchThread(HANDLE hThread) {
    if (g_hSearchThread && g_hSearchThread != hThread) CloseHandle(g_hSearchThread);
    g_hSearchThread = hThread;
}

bool ReadRunCriteria(HWND hWnd) {
    g_nMaxResults = ReadNumber(hWnd, IDC_MAXRESULTS);
    if (g_nMaxResults == 0) {
        ShowCriteriaError(hWnd, "Maximum search results can't be zero");
        return false;
    }
    iMinPR = ReadNumber(hWnd, IDC_MINRANK);
    if (iMinPR < 0 || iMinPR > 10) {
        ShowCriteriaError(hWnd, "Corvane value must be in range [0..10]");
        return false;
    }
    return true;
}

void StartProcess() {
    if (!ReadRunCriteria(g_hMainWnd)) return;
    ShowWindow(GetDlgItem(g_hMainWnd, IDC_PROGRESS), SW_SHOW);
    ShowWindow(GetDlgItem(g_hMainWnd, IDC_CALCULATING), SW_HIDE);
    SendDlgItemMessageA(g_hMainWnd, IDC_PROGRESS, PBM_SETRANGE32, 0, g_nMaxResults);
    char szAddresses[kAddressTextSize] = "";
    if (ShowUrlDialog(g_hMainWnd, szAddresses) != 1 || szAddresses[0] == '\0') return;
    std::string szCopy = szAddresses;
    EnterRunningState();
    SetDlgItemTextA(g_hMainWnd, IDC_STATUS, "");
    SetDlgItemTextA(g_hMainWnd, IDC_LINKSCOUNT, "");
    ListView_DeleteAllItems(g_hList);
    StartAnimation();
    g_szRunKeywords[0] = '\0';
    BeginSearch(szCopy.c_str());
}

void BeginSearch(const char* szAddressText) {
    g_Stopped = false;
    g_RunList.Clear();
    g_RunList.Reserve(g_nMaxResults > 0 ? static_cast<std::size_t>(g_nMaxResults) : 0);
    std::string text = szAddressText ? szAddressText : "";
    std::size_t nStart = 0;
    while (nStart < text.size()) {
        std::size_t nEnd = text.find("\r\n", nStart);
        std::string line = text.substr(nStart, nEnd == std::string::npos ? std::string::npos : nEnd - nStart);
        // A line longer than the address field is cut to it, like every
        // other text that goes into a record.
        if (!line.empty()) g_RunList.Append(std::make_unique<URLInfo>(MakeRecord(line.c_str())));
        if (nEnd == std::string::npos) break;
        nStart = nEnd + 2;
    }
    for (std::size_t i = 0; i < g_RunList.Size(); ++i) CorrectURL(g_RunList.At(i));
    SetSearchThread(g_bTrawlBacklinks ? StartThread(BackTrawl, nullptr) : StartThread(SearchCore, nullptr));
    if (!g_hSearchThread) {
        g_Log.Write("BeginSearch: the worker thread could not be created");
        FinishUrlRun();
    }
}

unsigned __stdcall SearchCore(void*) {
    unsigned nResult = 0;
    CWorkerCom com;
    try {
        g_bUrlRun = true;
        nResult = static_cast<unsigned>(SearchCoreMain());
        g_bUrlRun = false;
    } catch (...) {
        g_bUrlRun = false;
        g_Log.Write("Exception in SearchCore");
    }
    return nResult;
}

int SearchCoreMain() {
    try {
        g_Stopped = false;
        g_nFollowed = 0;
        g_nLinks = 0;
        for (std::size_t nIndex = 0;; ++nIndex) {
            if (nIndex >= g_RunList.Size() || g_Stopped) break;
            if (!ProcessRecord(nIndex)) break;
        }
    } catch (...) {
        g_Log.Write("Exception in SearchCoreMain");
    }
    FinishUrlRun();
    return 0;
}

void EndSearch() {
    g_Stopped = true;
    Sleep(1000);
}

void ForceStop() {
    if (!g_bRunning || !g_hSearchThread) return;
    g_Log.PrintfMarked("Force: terminating the worker thread");
    TerminateThread(g_hSearchThread, 0);
    PostMessageA(g_hMainWnd, kWmFinished, 0, 0);
}

void StopProcess(bool bReportBuilt) {
    // A forced stop posts a second WM_FINISHED after the worker's own one.
    if (!g_bRunning) return;
    ++g_nRunSerial;  // from here on, an evaluation that comes back late makes no row
    WaitForWorker();
    g_bUrlRun = false;  // a terminated URL worker could not clear it itself
    g_RunList.Clear();
    LeaveRunningState();
    if (!bReportBuilt) CreateResList();
    StopAnimation();
    CloseStopDialog();
    if (MessageBoxA(nullptr, "Trawled!\nClick OK to see/save report.", "Finished",
                    MB_OKCANCEL | MB_ICONINFORMATION) == IDOK)
        ShowTextResults();
}
