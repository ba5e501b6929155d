#include "run/diagnostic_log.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#include "run/platform.h"

CDiagnosticLog g_Log;

namespace {
const char kRule[] =
    "----------------------------------------------------------------------------------------------------";
const char kBannerIndent[] = "                                                       ";  // 55 blanks
}  // namespace

CDiagnosticLog::CDiagnosticLog() = default;

CDiagnosticLog::~CDiagnosticLog() { Close(); }

bool CDiagnosticLog::Open(const char* szBaseName) {
    std::lock_guard<std::mutex> guard(m_lock);
    return OpenLocked(szBaseName);
}

bool CDiagnosticLog::OpenLocked(const char* szBaseName) {
    if (szBaseName) std::snprintf(m_szBaseName, sizeof m_szBaseName, "%s", szBaseName);
    char szFile[kLogBaseNameSize + 32];
    std::snprintf(szFile, sizeof szFile, "%s_%d.log", m_szBaseName, m_nFileIndex);
    ++m_nFileIndex;
    if (m_file) CloseLocked();
    m_file = std::fopen(szFile, "w");
    if (!m_file) return false;
    m_nLineCount = 0;
    WriteBanner("Starting Session");
    return true;
}

bool CDiagnosticLog::Close() {
    std::lock_guard<std::mutex> guard(m_lock);
    CloseLocked();
    return true;
}

void CDiagnosticLog::CloseLocked() {
    if (!m_file) return;
    WriteBanner("Clossed Session");
    std::fflush(m_file);
    std::fclose(m_file);
    m_file = nullptr;
}

void CDiagnosticLog::WriteBanner(const char* szTitle) {
    std::fprintf(m_file, "%s\n%s%s\n%s\n", kRule, kBannerIndent, szTitle, kRule);
    std::fflush(m_file);
}

bool CDiagnosticLog::IsOpen() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_file != nullptr;
}

bool CDiagnosticLog::Write(const char* szText, bool bEndLine, int nIndent, bool bMark) {
    std::lock_guard<std::mutex> guard(m_lock);
    return WriteLocked(szText, bEndLine, nIndent, bMark);
}

bool CDiagnosticLog::WriteLocked(const char* szText, bool bEndLine, int nIndent, bool bMark) {
    if (!m_file || !szText) return false;
    if (m_nLineCount >= kLogLinesPerFile) {
        m_nLineCount = 0;
        if (!OpenLocked(nullptr)) return false;
    }
    ++m_nLineCount;
    std::fprintf(m_file, "[%u]%s", static_cast<unsigned>(CurrentThreadNumber()), bMark ? " *** " : "     ");
    for (int i = 0; i < nIndent; ++i) std::fputc('\t', m_file);
    std::fputs(szText, m_file);
    if (bEndLine) std::fputc('\n', m_file);
    std::fflush(m_file);
    return true;
}

bool CDiagnosticLog::Printf(const char* szFormat, ...) {
    if (!szFormat) return false;
    char szBuffer[kLogFormatSize];
    va_list args;
    va_start(args, szFormat);
    std::vsnprintf(szBuffer, sizeof szBuffer, szFormat, args);
    va_end(args);
    return Write(szBuffer);
}

bool CDiagnosticLog::PrintfMarked(const char* szFormat, ...) {
    if (!szFormat) return false;
    char szBuffer[kLogFormatSize];
    va_list args;
    va_start(args, szFormat);
    std::vsnprintf(szBuffer, sizeof szBuffer, szFormat, args);
    va_end(args);
    return Write(szBuffer, true, 0, true);
}

bool CDiagnosticLog::PrintfWide(const char* szFormat, const wchar_t* wszArg) {
    if (!szFormat) return false;
    std::string narrow;
    if (wszArg) {
        std::size_t nNeeded = std::wcstombs(nullptr, wszArg, 0);
        if (nNeeded != static_cast<std::size_t>(-1)) {
            narrow.resize(nNeeded + 1);
            std::wcstombs(&narrow[0], wszArg, nNeeded + 1);
            narrow.resize(nNeeded);
        }
    }
    char szBuffer[kLogFormatSize];
    std::snprintf(szBuffer, sizeof szBuffer, szFormat, wszArg ? narrow.c_str() : "(null)");
    return Write(szBuffer);
}
