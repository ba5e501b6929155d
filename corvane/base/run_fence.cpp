#include "base/run_fence.h"

#include "base/run_state.h"

namespace {
thread_local unsigned t_nRunSerial = kNoRun;
}

void BindThreadToRun(unsigned nSerial) { t_nRunSerial = nSerial; }

unsigned ThreadRunSerial() { return t_nRunSerial; }

bool OwnRunIsCurrent() { return t_nRunSerial == kNoRun || t_nRunSerial == g_nRunSerial; }

bool RunGoesOn() { return t_nRunSerial == kOutsideRuns || (!g_Stopped && OwnRunIsCurrent()); }

CRecoverableLock& RunFence() {
    static CRecoverableLock fence;
    return fence;
}

void AdvanceRunSerial() {
    std::lock_guard<CRecoverableLock> guard(RunFence());
    // Serial 0 names no run, and the last one a thread outside the runs.
    if (++g_nRunSerial == kOutsideRuns) g_nRunSerial = kNoRun + 1;
}
