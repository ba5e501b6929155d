#include "base/diagnostic_log.h"
#include "base/platform.h"
#include "base/run_state.h"
#include "web/query_pause.h"

int QueryIntervalRemaining(int64_t tNow, int64_t tLastQuery, int nDelayMs) {
    int64_t nElapsed = (tNow - tLastQuery) * 1000;
    if (nElapsed < 0) nElapsed = 0;  // the clock went back: do not wait for ever
    return nElapsed < nDelayMs ? static_cast<int>(nDelayMs - nElapsed) : 0;
}

void SleepForQueryInterval() {
    int nWait = QueryIntervalRemaining(NowSeconds(), g_tLastQuery.load(), g_nQueryDelay);
    if (nWait > 0) {
        g_Log.Printf("SleepForQueryInterval: waiting %d ms", nWait);
        SleepMilliseconds(static_cast<uint32_t>(nWait));
    }
}
