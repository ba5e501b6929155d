#pragma once
// Which run a thread works for. Every worker and evaluation thread of a run
// is bound to the run serial it was started under. "Force" ends a run at
// once and leaves its threads to come back from their blocked calls by
// themselves; when they do, the run they work for is over, and they must
// change nothing the next run owns: the work list, the counters, the
// report, the status line, the stop flag. Threads bound to no run (the
// main window's, the Top-20 worker's, a test's) always count as current.
#include <mutex>

#include "base/platform.h"

constexpr unsigned kNoRun = 0;
// A thread that asks a service for the user outside every run (the Sources
// dialog's tests): no run's stop ends its loads, and it changes nothing a
// run owns.
constexpr unsigned kOutsideRuns = ~0u;

// Binds the calling thread to a run (a new thread is bound to none).
void BindThreadToRun(unsigned nSerial);
unsigned ThreadRunSerial();
// The calling thread belongs to no run or to the one in progress.
bool OwnRunIsCurrent();
// The calling thread's run is current and no stop is requested (always,
// for a thread outside the runs).
bool RunGoesOn();

// Taken by WithinOwnRun and AdvanceRunSerial. A lock that survives its
// owner being terminated (see CRecoverableLock).
CRecoverableLock& RunFence();

// Runs step under the fence, and only while the calling thread's run is
// current; false when it is not. So a run's state changes either before
// the run ends or not at all. The step must not wait for the main window
// (no sent messages): the main window takes the fence to end a run.
template <typename Step>
bool WithinOwnRun(Step&& step) {
    std::lock_guard<CRecoverableLock> guard(RunFence());
    if (!OwnRunIsCurrent()) return false;
    step();
    return true;
}

// A run starts or ends (main window's thread): the serial moves on under
// the fence, so no thread of an earlier run is inside a step meanwhile.
void AdvanceRunSerial();
