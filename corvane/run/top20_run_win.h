#pragma once
// The Top-20 run: ranks the first twenty results of each keyword.
#include <string>
#include <vector>

// Results ranked per keyword. The run's total cap (and progress range) is
// this many for every keyword line, so no keyword is ever cut short.
constexpr int kTop20PerKeyword = 20;

void DoTop20(const std::vector<std::string>& keywords);
// True while a Top-20 worker is alive (the main window does not close then).
bool IsTop20Running();
// Dispatches what waits in the calling thread's queue.
void PumpMessages();
