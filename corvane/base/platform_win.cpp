#include <windows.h>
#include <mbstring.h>
#include <cstring>
#include <utility>

#include "base/platform.h"
#include "platform_owners_win.h"

namespace {

// The portable header holds the handle untyped; it is given back through
// its owner all the same.
void CloseKernelHandle(void*& lpHandle) { CKernelHandle closing(std::exchange(lpHandle, nullptr)); }

}  // namespace

uint32_t CurrentThreadNumber() { return GetCurrentThreadId(); }

int CompareNoCase(const char* a, const char* b) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                    reinterpret_cast<const unsigned char*>(b));
}

void SleepMilliseconds(uint32_t ms) { Sleep(ms); }

bool ThreadIsRunning(uint32_t nThread) {
    CKernelHandle thread(OpenThread(SYNCHRONIZE, FALSE, nThread));
    // Any other failure than an unknown number leaves the question open:
    // the thread is taken to run, and the waiter goes on waiting.
    if (!thread) return GetLastError() != ERROR_INVALID_PARAMETER;
    return WaitForSingleObject(thread.Get(), 0) == WAIT_TIMEOUT;
}

void YieldToOtherThreads() { SwitchToThread(); }

bool CPlainFile::Create(const char* szPath) {
    Close();
    CKernelHandle file(CreateFileA(szPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    m_handle = file.Detach();
    return true;
}

void CPlainFile::Write(const char* lpData, std::size_t nLength) {
    if (!m_handle) return;
    DWORD dwWritten = 0;
    WriteFile(m_handle, lpData, static_cast<DWORD>(nLength), &dwWritten, nullptr);
}

const char* CPlainFile::LineEnd() { return "\r\n"; }

void CPlainFile::WriteLineEnd() { Write(LineEnd(), std::strlen(LineEnd())); }

void CPlainFile::Close() { CloseKernelHandle(m_handle); }
