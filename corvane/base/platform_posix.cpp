#include <strings.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <thread>

#include "base/platform.h"

uint32_t CurrentThreadNumber() {
    return static_cast<uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
}

int CompareNoCase(const char* a, const char* b) { return strcasecmp(a, b); }

void SleepMilliseconds(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The native build ends no thread by force: every thread it asks about
// still owns what it holds.
bool ThreadIsRunning(uint32_t) { return true; }

void YieldToOtherThreads() { std::this_thread::yield(); }

bool CPlainFile::Create(const char* szPath) {
    Close();
    m_handle = std::fopen(szPath, "wb");
    return m_handle != nullptr;
}

void CPlainFile::Write(const char* lpData, std::size_t nLength) {
    if (m_handle) {
        std::fwrite(lpData, 1, nLength, static_cast<std::FILE*>(m_handle));
        std::fflush(static_cast<std::FILE*>(m_handle));
    }
}

const char* CPlainFile::LineEnd() { return "\n"; }

void CPlainFile::WriteLineEnd() { Write(LineEnd(), std::strlen(LineEnd())); }

void CPlainFile::Close() {
    if (m_handle) std::fclose(static_cast<std::FILE*>(m_handle));
    m_handle = nullptr;
}
