#pragma once
// The status routine: shows a text on the main window's status line and
// moves the progress bar. Workers call ShowStatus; the main window installs
// the routine that does the work (tests install their own recorder).
#include "base/run_state.h"

constexpr std::size_t kStatusTextSize = 4096;

void SetStatusRoutine(TRACEPROC pfnRoutine);
void ShowStatus(const char* szText, int nPosition);
