#pragma once
// The Top-20 run: ranks the first twenty results of each keyword.
#include <string>
#include <vector>

// Results ranked per keyword. The run's total cap (and progress range) is
// this many for every keyword line, so no keyword is ever cut short.
constexpr int kTop20PerKeyword = 20;

// Posted by the Top-20 worker to the main window when it is about to end.
constexpr unsigned kWmTop20Ended = 0x8000 + 2;  // WM_APP + 2

void DoTop20(const std::vector<std::string>& keywords);
// True while a Top-20 worker is alive: no other run starts and the main
// window does not close then.
bool IsTop20Running();
// The main window is to close: the Top-20 run ends after the address it
// is ranking, without showing its report.
void EndTop20ForClose();
// Dispatches what waits in the calling thread's queue.
void PumpMessages();
