#pragma once
// The pause between two search-engine queries (portable; the run's threads
// are started and ended in run_controller_win.cpp).

// Pauses the calling thread so that at least g_nQueryDelay milliseconds lie
// between two search-engine queries (measured in whole seconds).
void SleepForQueryInterval();

// Milliseconds SleepForQueryInterval would wait now (no waiting).
int QueryIntervalRemaining();
