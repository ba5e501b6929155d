#include "run/evaluation_thread_win.h"

#include <objbase.h>

#include "run/run_controller_win.h"

// What the worker and its evaluation thread share. Held by both: the worker
// may be terminated while the evaluation thread still works on a page.
struct EvaluationHandOver {
    EvaluationHandOver() = default;
    EvaluationHandOver(const EvaluationHandOver&) = delete;
    EvaluationHandOver& operator=(const EvaluationHandOver&) = delete;

    CKernelHandle work{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    CKernelHandle done{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
    CKernelHandle worker;
    // The next call; a null procedure ends the thread.
    unsigned(__stdcall* pfnProc)(void*) = nullptr;
    void* lpParam = nullptr;
};

namespace {

unsigned __stdcall EvaluationLoop(void* lpParam) {
    std::unique_ptr<std::shared_ptr<EvaluationHandOver>> owner(
        static_cast<std::shared_ptr<EvaluationHandOver>*>(lpParam));
    EvaluationHandOver& handOver = **owner;
    // A failure here is not logged: each page's own COM start fails as well
    // and logs it, and that page is skipped, as on a thread of its own.
    const bool bCom = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const HANDLE waits[] = {handOver.work.Get(), handOver.worker.Get()};
    while (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0 && handOver.pfnProc) {
        handOver.pfnProc(handOver.lpParam);
        SetEvent(handOver.done.Get());
    }
    if (bCom) CoUninitialize();
    return 0;
}

}  // namespace

CEvaluationThread::~CEvaluationThread() {
    if (!m_thread) return;
    m_handOver->pfnProc = nullptr;
    SetEvent(m_handOver->work.Get());
    WaitForSingleObject(m_thread.Get(), INFINITE);
}

bool CEvaluationThread::Start() {
    auto handOver = std::make_shared<EvaluationHandOver>();
    if (!handOver->work || !handOver->done ||
        !DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), handOver->worker.Receive(),
                         SYNCHRONIZE, FALSE, 0))
        return false;
    auto* lpOwner = new std::shared_ptr<EvaluationHandOver>(handOver);
    m_thread = StartRunThread(EvaluationLoop, lpOwner);
    if (!m_thread) {
        delete lpOwner;
        return false;
    }
    m_handOver = std::move(handOver);
    return true;
}

bool CEvaluationThread::Run(unsigned(__stdcall* pfnProc)(void*), void* lpParam) {
    if (!m_thread && !Start()) return false;
    m_handOver->pfnProc = pfnProc;
    m_handOver->lpParam = lpParam;
    SetEvent(m_handOver->work.Get());
    const HANDLE waits[] = {m_handOver->done.Get(), m_thread.Get()};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        // The thread ended under the page (nothing in it ends it): the next
        // page starts a new one.
        m_thread.Reset();
        m_handOver.reset();
    }
    return true;
}
