#pragma once
// The pause between two search-engine queries (portable; the query itself
// is in engine_query_win.h).

// Pauses the calling thread so that at least g_nQueryDelay milliseconds lie
// between two search-engine queries (measured in whole seconds).
void SleepForQueryInterval();

// Milliseconds SleepForQueryInterval would wait now (no waiting).
int QueryIntervalRemaining();
