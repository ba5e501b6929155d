#pragma once
// The few platform services the portable core needs, implemented once for
// Windows and once for the native (sanitizer) build.
#include <cstdint>
#include <string>

// Identifier of the calling thread, as the diagnostic log prints it.
uint32_t CurrentThreadNumber();

// Case-insensitive comparison in the process's current multibyte code page.
int CompareNoCase(const char* a, const char* b);

// Milliseconds to sleep, polling nothing.
void SleepMilliseconds(uint32_t ms);
