#pragma once
// The pause between two search-engine queries (portable; the query itself
// is in engine_query_win.h).
#include <cstdint>

// Pauses the calling thread so that at least g_nQueryDelay milliseconds lie
// between two search-engine queries (measured in whole seconds).
void SleepForQueryInterval();

// Milliseconds the pause waits at tNow (seconds) after a query stamped
// tLastQuery (seconds), with a delay of nDelayMs.
int QueryIntervalRemaining(int64_t tNow, int64_t tLastQuery, int nDelayMs);
