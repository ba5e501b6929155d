#include <windows.h>
#include <mbstring.h>
#include <cstring>

#include "base/platform.h"

uint32_t CurrentThreadNumber() { return GetCurrentThreadId(); }

int CompareNoCase(const char* a, const char* b) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                    reinterpret_cast<const unsigned char*>(b));
}

void SleepMilliseconds(uint32_t ms) { Sleep(ms); }

bool ThreadIsRunning(uint32_t nThread) {
    HANDLE hThread = OpenThread(SYNCHRONIZE, FALSE, nThread);
    // Any other failure than an unknown number leaves the question open:
    // the thread is taken to run, and the waiter goes on waiting.
    if (!hThread) return GetLastError() != ERROR_INVALID_PARAMETER;
    bool bRunning = WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT;
    CloseHandle(hThread);
    return bRunning;
}

void YieldToOtherThreads() { SwitchToThread(); }

bool CPlainFile::Create(const char* szPath) {
    Close();
    HANDLE hFile = CreateFileA(szPath, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE) return false;
    m_handle = hFile;
    return true;
}

void CPlainFile::Write(const char* lpData, std::size_t nLength) {
    if (!m_handle) return;
    DWORD dwWritten = 0;
    WriteFile(m_handle, lpData, static_cast<DWORD>(nLength), &dwWritten, nullptr);
}

const char* CPlainFile::LineEnd() { return "\r\n"; }

void CPlainFile::WriteLineEnd() { Write(LineEnd(), std::strlen(LineEnd())); }

void CPlainFile::Close() {
    if (m_handle) CloseHandle(m_handle);
    m_handle = nullptr;
}
