#pragma once
// The run controller: starting, pacing, stopping and finishing a run.
// SleepForQueryInterval is portable; the rest lives in run_controller_win.cpp.

// Pauses the calling thread so that at least g_nQueryDelay milliseconds lie
// between two search-engine queries (measured in whole seconds).
void SleepForQueryInterval();

// Milliseconds SleepForQueryInterval would wait now (no waiting).
int QueryIntervalRemaining();
