#include "ui/status.h"

#include <atomic>

namespace {
std::atomic<TRACEPROC> s_pfnStatus{nullptr};
}

void SetStatusRoutine(TRACEPROC pfnRoutine) { s_pfnStatus = pfnRoutine; }

void ShowStatus(const char* szText, int nPosition) {
    TRACEPROC pfn = s_pfnStatus;
    if (pfn && szText) pfn(szText, nPosition);
}
