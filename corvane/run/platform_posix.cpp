#include <strings.h>

#include <chrono>
#include <functional>
#include <thread>

#include "run/platform.h"

uint32_t CurrentThreadNumber() {
    return static_cast<uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
}

int CompareNoCase(const char* a, const char* b) { return strcasecmp(a, b); }

void SleepMilliseconds(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
