#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <process.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/result_list.h"
#include "base/run_fence.h"
#include "base/run_state.h"
#include "base/text_lines.h"
#include "evaluate/page_evaluation.h"
#include "report/report_dialog_win.h"
#include "resources/resource.h"
#include "run/backlink_run_win.h"
#include "run/evaluation_thread_win.h"
#include "run/run_controller_win.h"
#include "ui/main_window_win.h"
#include "ui/status.h"
#include "ui/stop_dialog_win.h"
#include "ui/url_dialog_win.h"
#include "web/engine_query_win.h"
#include "web/page_loader_win.h"
#include "web/service_queries_win.h"
#include "web/tools_library.h"

CKernelHandle g_hSearchThread;

namespace {

constexpr std::size_t kAddressTextSize = 4096;
constexpr std::size_t kCriteriaTextSize = 260;
constexpr std::size_t kMinimumPageLength = 6;

// What one evaluation thread works on: its own copies of the record and of
// the page. A copy, because a forced stop ends the run and releases the
// work list while a hanging evaluation may still come back and write.
struct EvaluationRequest {
    URLInfo info;
    std::string szPage;
};

// A new thread of a run, bound to the run it is started for.
struct RunThreadStart {
    unsigned(__stdcall* pfnProc)(void*);
    void* lpParam;
    unsigned nSerial;
};

// A worker that "Force" left to come back from its blocked call by itself.
struct LeftWorker {
    CKernelHandle thread;
    ULONGLONG tLeft;
    bool bOverdueLogged;
};
std::vector<LeftWorker> s_leftWorkers;  // main window thread only

constexpr DWORD kEndSearchPauseMs = 1000;

int ReadNumber(HWND hWnd, int nId) {
    char szText[kCriteriaTextSize] = "";
    GetDlgItemTextA(hWnd, nId, szText, sizeof szText);
    return std::atoi(szText);
}

void ShowCriteriaError(HWND hWnd, const char* szText) { MessageBoxA(hWnd, szText, "Error", MB_OK | MB_ICONSTOP); }

bool SourceHasEngine(const URLInfo* lpInfo) { return std::strstr(lpInfo->Source, "google") != nullptr; }

unsigned __stdcall RunThreadEntry(void* lpParam) {
    std::unique_ptr<RunThreadStart> start(static_cast<RunThreadStart*>(lpParam));
    BindThreadToRun(start->nSerial);
    return start->pfnProc(start->lpParam);
}

unsigned __stdcall ProcessURL(void* lpParam) {
    std::unique_ptr<EvaluationRequest> request(static_cast<EvaluationRequest*>(lpParam));
    CEvaluationCom com("ProcessURL: CoInitialize failed");
    if (!com.Ok()) return 0;
    Guarded("Exception in ProcessURL", [&] {
        if (!request || request->szPage.empty()) {
            g_Log.Write("ProcessURL: no record or no page");
        } else {
            ParsePage(&request->info, request->szPage.c_str(), ShowStatus);
        }
    });
    return 0;
}

enum class Take { Record, Missing, End };

// A copy of the work list's record at nIndex, taken while the run is still
// this thread's: the list is released when the run ends.
Take TakeRecord(std::size_t nIndex, URLInfo& info) {
    Take take = Take::End;
    WithinOwnRun([&] {
        if (nIndex >= g_RunList.Size()) return;
        const URLInfo* lpInfo = g_RunList.At(nIndex);
        take = lpInfo ? Take::Record : Take::Missing;
        if (lpInfo) info = *lpInfo;
    });
    return take;
}

// Loads and evaluates one work-list record; false when the run must end.
bool ProcessRecord(std::size_t nIndex, CEvaluationThread& evaluation) {
    URLInfo info;
    Take take = TakeRecord(nIndex, info);
    if (take == Take::End) return false;
    if (take == Take::Missing) {
        g_Log.Printf("SearchCoreMain: no record at %u", static_cast<unsigned>(nIndex));
        return true;
    }
    // An address of the search engine is a query: it keeps the query pace.
    std::string szPage = SourceHasEngine(&info) ? LoadEnginePage(info.Source, g_nLinks)
                                                : CPageLoader().LoadPage(info.Source, g_nLinks);
    if (szPage.size() < kMinimumPageLength) return true;
    if (!RunGoesOn()) return false;
    auto* lpRequest = new EvaluationRequest{info, std::move(szPage)};
    const EEvaluation result = evaluation.Run(ProcessURL, lpRequest);
    if (result == EEvaluation::NotStarted) {
        delete lpRequest;
        g_Log.Write("SearchCoreMain: the evaluation thread could not be created");
    } else if (result == EEvaluation::Died) {
        g_Log.Printf("SearchCoreMain: %s was not evaluated", info.Source);
    }
    return true;
}

void WaitForWorker() {
    if (!g_hSearchThread) return;
    WaitPainting(g_hSearchThread.Get(), INFINITE);
    g_hSearchThread.Reset();
}

bool HasEnded(HANDLE hThread) { return WaitForSingleObject(hThread, 0) != WAIT_TIMEOUT; }

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

CKernelHandle StartThread(unsigned(__stdcall* pfnProc)(void*), void* lpParam) {
    uintptr_t hThread = _beginthreadex(nullptr, 0, pfnProc, lpParam, 0, nullptr);
    return CKernelHandle(reinterpret_cast<HANDLE>(hThread));
}

CKernelHandle StartRunThread(unsigned(__stdcall* pfnProc)(void*), void* lpParam) {
    // The main window starts the run in progress; a run's thread, its own run.
    unsigned nSerial = ThreadRunSerial() != kNoRun ? ThreadRunSerial() : g_nRunSerial.load();
    auto* lpStart = new RunThreadStart{pfnProc, lpParam, nSerial};
    CKernelHandle thread = StartThread(RunThreadEntry, lpStart);
    if (!thread) delete lpStart;
    return thread;
}

bool WaitPainting(HANDLE hObject, DWORD dwMs) {
    const ULONGLONG tEnd = GetTickCount64() + dwMs;
    for (;;) {
        DWORD dwLeft = INFINITE;
        if (dwMs != INFINITE) {
            ULONGLONG tNow = GetTickCount64();
            if (tNow >= tEnd) return false;
            dwLeft = static_cast<DWORD>(tEnd - tNow);
        }
        DWORD dwWait = MsgWaitForMultipleObjectsEx(hObject ? 1 : 0, hObject ? &hObject : nullptr, dwLeft,
                                                   QS_PAINT | QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (hObject && dwWait == WAIT_OBJECT_0) return true;
        if (dwWait == WAIT_FAILED) {
            g_Log.Printf("WaitPainting: the wait failed, Error code = %u", static_cast<unsigned>(GetLastError()));
            return false;
        }
        // Paint and sent messages only: what the user does meanwhile waits
        // in the queue until the wait is over, as it did behind a sleep.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) DispatchMessageA(&msg);
    }
}

void FinishRun(WPARAM wReportBuilt) {
    WithinOwnRun([&] {
        g_Stopped = true;
        PostMessageA(g_hMainWnd, kWmFinished, wReportBuilt, 0);
    });
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

bool PrepareRun() {
    if (!ReadRunCriteria(g_hMainWnd)) return false;
    ShowWindow(GetDlgItem(g_hMainWnd, IDC_PROGRESS), SW_SHOW);
    ShowWindow(GetDlgItem(g_hMainWnd, IDC_CALCULATING), SW_HIDE);
    SendDlgItemMessageA(g_hMainWnd, IDC_PROGRESS, PBM_SETRANGE32, 0, g_nMaxResults);
    return true;
}

void EnterRun(bool bClearStatusLines) {
    BeginRunSources();
    EnterRunningState();
    if (bClearStatusLines) {
        SetDlgItemTextA(g_hMainWnd, IDC_STATUS, "");
        SetDlgItemTextA(g_hMainWnd, IDC_LINKSCOUNT, "");
    }
    ListView_DeleteAllItems(g_hList);
    StartAnimation();
}

void StartProcess() {
    if (!PrepareRun()) return;
    char szAddresses[kAddressTextSize] = "";
    if (ShowUrlDialog(g_hMainWnd, szAddresses) != 1 || szAddresses[0] == '\0') return;
    if (g_bTrawlBacklinks && !TakeSourceSettings().CountsBacklinks()) {
        MessageBoxA(g_hMainWnd,
                    "A back-link run needs result pages that answer \"link:\" queries: neither SearXNG nor the Brave "
                    "Search API does. Choose the classic result pages under Settings > Sources for a back-link run.",
                    "Pellmark", MB_OK | MB_ICONINFORMATION);
        return;
    }
    std::string szCopy = szAddresses;
    EnterRun(true);
    g_szRunKeywords[0] = '\0';
    StartGuarded("StartProcess: the run could not be started", 0, [&] { BeginSearch(szCopy.c_str()); });
}

void BeginSearch(const char* szAddressText) {
    g_Stopped = false;
    // The list grows as the run goes: "Max results" may be far more
    // entries than the address space holds.
    g_RunList.Clear();
    // A line longer than the address field is cut to it, like every other
    // text that goes into a record.
    for (const std::string& line : SplitCrLfLines(szAddressText ? szAddressText : ""))
        if (!line.empty()) g_RunList.Append(std::make_unique<URLInfo>(MakeRecord(line.c_str())));
    for (std::size_t i = 0; i < g_RunList.Size(); ++i) CorrectURL(g_RunList.At(i));
    g_hSearchThread = StartRunThread(g_bTrawlBacklinks ? BackTrawl : SearchCore, nullptr);
    if (!g_hSearchThread) {
        g_Log.Write("BeginSearch: the worker thread could not be created");
        FinishRun(0);
    }
}

unsigned __stdcall SearchCore(void*) {
    CWorkerCom com;
    WithinOwnRun([] { g_bUrlRun = true; });
    const unsigned nResult = static_cast<unsigned>(SearchCoreMain());
    WithinOwnRun([] { g_bUrlRun = false; });
    return nResult;
}

int SearchCoreMain() {
    // The thread's one barrier: a failure ends the run as if it were done.
    Guarded("Exception in SearchCoreMain", [] {
        WithinOwnRun([] {
            g_Stopped = false;
            g_nFollowed = 0;
            g_nLinks = 0;
        });
        CEvaluationThread evaluation;
        for (std::size_t nIndex = 0; RunGoesOn(); ++nIndex)
            if (!ProcessRecord(nIndex, evaluation)) break;
    });
    FinishRun(0);
    return 0;
}

void EndSearch() {
    g_Stopped = true;
    WaitPainting(nullptr, kEndSearchPauseMs);
}

void ForceStop() {
    if (!g_bRunning || !g_hSearchThread) return;
    if (HasEnded(g_hSearchThread.Get())) {
        g_Log.PrintfMarked("Force: the worker has ended already");
    } else {
        // Ended by force, a worker inside WinHTTP or the heap could leave a
        // lock held for good. The run ends now; the worker comes back when
        // its blocked call does and, its run being over, touches nothing.
        g_Log.PrintfMarked("Force: the run ends now; the worker is left to come back by itself");
        s_leftWorkers.push_back({std::move(g_hSearchThread), GetTickCount64(), false});
    }
    PostMessageA(g_hMainWnd, kWmFinished, 0, 0);
}

void ReapLeftWorkers() {
    for (auto it = s_leftWorkers.begin(); it != s_leftWorkers.end();) {
        if (HasEnded(it->thread.Get())) {
            g_Log.Printf("Force: a left worker has come back and ended");
            it = s_leftWorkers.erase(it);
            continue;
        }
        // Past its loads' own time-outs the worker waits on something else
        // (a component's call). It is still not ended by force: a thread
        // terminated inside WinHTTP, the heap or the loader's lock would
        // leave that lock held for every thread that comes after it.
        if (!it->bOverdueLogged && GetTickCount64() - it->tLeft >= kLoadTimeoutsMs) {
            g_Log.PrintfMarked("Force: a left worker is still alive after the loader's time-outs; it is left to "
                               "come back or to end with the process");
            it->bOverdueLogged = true;
        }
        ++it;
    }
}

std::size_t LeftWorkersAlive() {
    ReapLeftWorkers();
    return s_leftWorkers.size();
}

void StopProcess(bool bReportBuilt) {
    // A forced stop posts a second WM_FINISHED after the worker's own one.
    if (!g_bRunning) return;
    AdvanceRunSerial();  // from here on, nothing of this run changes the next one
    WaitForWorker();
    g_bUrlRun = false;  // a left URL worker does not clear it itself
    g_RunList.Clear();
    LeaveRunningState();
    if (!bReportBuilt) CreateResList();
    StopAnimation();
    CloseStopDialog();
    if (MessageBoxA(nullptr, "Trawled!\nClick OK to see/save report.", "Finished",
                    MB_OKCANCEL | MB_ICONINFORMATION) == IDOK)
        ShowTextResults();
}
