#pragma once
// The evaluation of one loaded page: rank, criteria, measurements, row.
#include "base/run_state.h"

// True when the page was accepted and its record handed to UpdateList.
bool ParsePage(URLInfo* lpInfo, const char* szPage, TRACEPROC TraceProc);
