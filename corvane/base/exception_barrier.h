#pragma once
// The one place a failure is stopped from crossing a boundary that cannot
// take it: a thread procedure, a window or dialog procedure, a COM method
// or a step of shut-down. The failure is logged with the caller's text and
// the caller goes on with its fallback. Code that cannot throw needs no
// barrier; one sits only where the system or another module calls us, or
// where a step that may throw (it allocates, or calls a component) must not
// end the steps after it. Portable.
#include <utility>

#include "base/diagnostic_log.h"

// Runs step(); returns false, after report() has logged the failure, if it
// threw. For a failure text made from the step's details; report must not
// throw (the log's formatted writes do not).
template <typename Report, typename Step>
bool GuardedWith(Report&& report, Step&& step) noexcept {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (...) {
        std::forward<Report>(report)();
        return false;
    }
}

// Runs step(); returns false, after logging szFailure, if it threw.
template <typename Step>
bool Guarded(const char* szFailure, Step&& step) noexcept {
    return GuardedWith([szFailure] { g_Log.Write(szFailure); }, std::forward<Step>(step));
}

// Returns step()'s value, or fallback after logging szFailure if it threw.
template <typename Result, typename Step>
Result GuardedValue(const char* szFailure, Result fallback, Step&& step) noexcept {
    Guarded(szFailure, [&] { fallback = std::forward<Step>(step)(); });
    return fallback;
}
