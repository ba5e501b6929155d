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

CRecoverableLock::CRecoverableLock() : m_handle(CreateMutexW(nullptr, FALSE, nullptr)) {}

CRecoverableLock::~CRecoverableLock() {
    if (m_handle) CloseHandle(m_handle);
}

// WAIT_ABANDONED also hands over ownership: the lock is ours again.
void CRecoverableLock::lock() { WaitForSingleObject(m_handle, INFINITE); }

void CRecoverableLock::unlock() { ReleaseMutex(m_handle); }

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
