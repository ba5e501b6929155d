#pragma once
// Starting and ending the run's threads. Everything here is called on the
// main window's thread except the thread procedures themselves.
#include <windows.h>

#include "base/exception_barrier.h"
#include "platform_owners_win.h"

// The run's worker (or the Top-20 worker); owned here until the stop
// routine has waited for it, or "Force" hands it to the left workers.
extern CKernelHandle g_hSearchThread;

// URL or back-link run from the main window: checks, URL dialog, start.
void StartProcess();
// Builds the work list from the address text and starts the worker.
void BeginSearch(const char* szAddressText);
// Stop request (main window thread): sets the flag, then waits a second.
void EndSearch();
// "Force": the run ends at once; a worker still inside a blocked call is
// left to come back by itself (it then touches nothing of the next run).
void ForceStop();
// Closes the left workers that have come back; logs one still alive after
// the loader's own time-outs, and leaves it. Called on the main window's
// timer. No thread is ever ended by force while the program runs on.
void ReapLeftWorkers();
// The left workers still alive (and so perhaps their evaluation threads,
// which each waits for): shut-down must not free what they may still use.
std::size_t LeftWorkersAlive();
// End of a run, on WM_FINISHED.
void StopProcess(bool bReportBuilt);

// Reads "Max results" and the minimum rank; shows the criteria message
// boxes and answers false when they do not pass.
bool ReadRunCriteria(HWND hWnd);

// The first steps of every run the main window starts: the criteria, then
// the progress bar, shown in place of the "calculating" label, ranged
// 0 .. g_nMaxResults. False when the criteria do not pass (no run).
bool PrepareRun();
// The window's start sequence: the running state, then (URL and back-link
// runs) the status and links counter lines emptied, the result list
// emptied and the animation started.
void EnterRun(bool bClearStatusLines);

// The COM set-up every worker thread does before its driver runs: the
// message "Fail to Initialise COM" on failure, the run goes on all the same.
class CWorkerCom {
public:
    CWorkerCom();
    ~CWorkerCom();
    CWorkerCom(const CWorkerCom&) = delete;
    CWorkerCom& operator=(const CWorkerCom&) = delete;

private:
    bool m_bInitialised;
};

// COM for an evaluation thread: a failure is only logged (with szFailure)
// and the thread then skips its work.
class CEvaluationCom {
public:
    explicit CEvaluationCom(const char* szFailure);
    ~CEvaluationCom();
    CEvaluationCom(const CEvaluationCom&) = delete;
    CEvaluationCom& operator=(const CEvaluationCom&) = delete;
    bool Ok() const { return m_bInitialised; }

private:
    bool m_bInitialised;
};

// Starts a thread; its handle, empty when none was started.
CKernelHandle StartThread(unsigned(__stdcall* pfnProc)(void*), void* lpParam);
// Starts a thread of a run, bound to the calling thread's run, or to the
// run in progress when the main window starts it.
CKernelHandle StartRunThread(unsigned(__stdcall* pfnProc)(void*), void* lpParam);
// Waits for the object to be signalled (hObject null: only the time) while
// the window's thread goes on painting and answering sent messages. False
// when the time ran out or the wait failed.
bool WaitPainting(HANDLE hObject, DWORD dwMs);
// A worker's last act, if its run is still current: sets the stop flag and
// posts WM_FINISHED.
void FinishRun(WPARAM wReportBuilt);
// Runs start() for a window already in its running state. That state
// waits for WM_FINISHED: when start() throws, szFailure is logged and the
// run is finished with wReportBuilt, or nothing would bring the window back.
template <typename Start>
void StartGuarded(const char* szFailure, WPARAM wReportBuilt, Start&& start) {
    if (!Guarded(szFailure, std::forward<Start>(start))) FinishRun(wReportBuilt);
}

unsigned __stdcall SearchCore(void*);
int SearchCoreMain();
