#pragma once
// One evaluation thread for a run's worker: every page of a URL run, every
// result page of a keyword or back-link run. A thread of its own for each
// cost more than most of the page's evaluation (under Wine, starting and
// ending a thread is dozens of trips to the system's server); the worker
// hands each piece of work to this thread instead and waits for it
// without a time limit, as it waited for a page's thread to end. The
// thread is bound to the worker's run and keeps COM initialised between
// pages, so that a page's own COM start only counts up. It ends with the
// worker, which is never ended by force: a worker that "Force" left behind
// waits for its evaluation to come back, then ends both.
#include <windows.h>

#include <memory>

#include "platform_owners_win.h"

struct EvaluationHandOver;

// What became of one piece of work handed over.
enum class EEvaluation {
    Done,        // the procedure ran and returned
    NotStarted,  // no thread could be started: the procedure never ran
    Died,        // the thread ended before the procedure returned (logged)
};

class CEvaluationThread {
public:
    CEvaluationThread();
    ~CEvaluationThread();
    CEvaluationThread(const CEvaluationThread&) = delete;
    CEvaluationThread& operator=(const CEvaluationThread&) = delete;

    // Calls pfnProc(lpParam) on the evaluation thread, started on first
    // use, and waits until it has returned. After Died the work is not
    // done, lpParam may have been taken or not (it is not to be freed),
    // and the next call starts a new thread.
    EEvaluation Run(unsigned(__stdcall* pfnProc)(void*), void* lpParam);

private:
    bool Start();
    // Frees the hand-over once its thread has ended.
    void Forget();

    // Owned here and used by the thread only while it runs: it is freed
    // only after the thread has ended.
    std::unique_ptr<EvaluationHandOver> m_handOver;
    CKernelHandle m_thread;
};
