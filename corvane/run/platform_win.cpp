#include <windows.h>
#include <mbstring.h>

#include "run/platform.h"

uint32_t CurrentThreadNumber() { return GetCurrentThreadId(); }

int CompareNoCase(const char* a, const char* b) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                    reinterpret_cast<const unsigned char*>(b));
}

void SleepMilliseconds(uint32_t ms) { Sleep(ms); }
