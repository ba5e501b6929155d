#include "run/evaluation_thread_win.h"

#include <objbase.h>

#include "base/diagnostic_log.h"
#include "run/run_controller_win.h"

// What the worker and its evaluation thread share.
struct EvaluationHandOver {
    EvaluationHandOver() = default;
    EvaluationHandOver(const EvaluationHandOver&) = delete;
    EvaluationHandOver& operator=(const EvaluationHandOver&) = delete;

    CKernelHandle work{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    CKernelHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    // The next call; a null procedure ends the thread.
    unsigned(__stdcall* pfnProc)(void*) = nullptr;
    void* lpParam = nullptr;
};

namespace {

unsigned __stdcall EvaluationLoop(void* lpParam) {
    EvaluationHandOver& handOver = *static_cast<EvaluationHandOver*>(lpParam);
    // A failure here is not logged: each page's own COM start fails as well
    // and logs it, and that page is skipped, as on a thread of its own.
    const bool bCom = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    while (WaitForSingleObject(handOver.work.Get(), INFINITE) == WAIT_OBJECT_0 && handOver.pfnProc) {
        handOver.pfnProc(handOver.lpParam);
        SetEvent(handOver.done.Get());
    }
    if (bCom) CoUninitialize();
    return 0;
}

}  // namespace

CEvaluationThread::CEvaluationThread() = default;

CEvaluationThread::~CEvaluationThread() {
    if (!m_thread) return;
    m_handOver->pfnProc = nullptr;
    SetEvent(m_handOver->work.Get());
    WaitForSingleObject(m_thread.Get(), INFINITE);
}

bool CEvaluationThread::Start() {
    auto handOver = std::make_unique<EvaluationHandOver>();
    if (!handOver->work || !handOver->done) return false;
    m_thread = StartRunThread(EvaluationLoop, handOver.get());
    if (!m_thread) return false;
    m_handOver = std::move(handOver);
    return true;
}

void CEvaluationThread::Forget() {
    m_thread.Reset();
    m_handOver.reset();
}

EEvaluation CEvaluationThread::Run(unsigned(__stdcall* pfnProc)(void*), void* lpParam) {
    if (!m_thread && !Start()) return EEvaluation::NotStarted;
    m_handOver->pfnProc = pfnProc;
    m_handOver->lpParam = lpParam;
    SetEvent(m_handOver->work.Get());
    const HANDLE waits[] = {m_handOver->done.Get(), m_thread.Get()};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) return EEvaluation::Done;
    // Nothing of ours ends the thread under a page; a component may have.
    g_Log.Write("The evaluation thread ended before its work was done");
    if (WaitForSingleObject(m_thread.Get(), 0) == WAIT_OBJECT_0) Forget();
    return EEvaluation::Died;
}
