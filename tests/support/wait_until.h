#pragma once
// The one way tests and benchmarks wait for something they cannot be told
// about by an event of their own (a window of another thread or process, a
// file, a request in a server's log): check, then wait for the next message
// to this thread or a short slice, whichever comes first, until the
// condition holds or the time limit passes.
#include <windows.h>

constexpr DWORD kWindowWaitMs = 20000;

template <typename F>
bool WaitUntil(F condition, DWORD dwTimeoutMs = kWindowWaitMs) {
    constexpr DWORD kSliceMs = 10;
    const ULONGLONG nStart = GetTickCount64();
    while (!condition()) {
        if (GetTickCount64() - nStart > dwTimeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, kSliceMs, QS_ALLINPUT);
    }
    return true;
}
