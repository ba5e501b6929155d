#pragma once
// One evaluation thread for a run's worker: every page of a URL run, every
// result page of a keyword or back-link run. A thread of its own for each
// cost more than most of the page's evaluation (under Wine, starting and
// ending a thread is dozens of trips to the system's server); the worker
// hands each piece of work to this thread instead and waits for it
// without a time limit, as it waited for a page's thread to end. The
// thread is bound to the worker's run and keeps COM initialised between
// pages, so that a page's own COM start only counts up. It ends with the
// worker: when the worker is done with it, or when "Force" has left the
// worker and the worker has been terminated since.
#include <windows.h>

#include <memory>

#include "platform_owners_win.h"

struct EvaluationHandOver;

class CEvaluationThread {
public:
    CEvaluationThread() = default;
    ~CEvaluationThread();
    CEvaluationThread(const CEvaluationThread&) = delete;
    CEvaluationThread& operator=(const CEvaluationThread&) = delete;

    // Calls pfnProc(lpParam) on the evaluation thread, started on first
    // use, and waits until it has returned; false, without the call, when
    // the thread could not be started.
    bool Run(unsigned(__stdcall* pfnProc)(void*), void* lpParam);

private:
    bool Start();

    std::shared_ptr<EvaluationHandOver> m_handOver;
    CKernelHandle m_thread;
};
