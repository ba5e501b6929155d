#include "base/diagnostic_log.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <cstring>
#include <string>

#include "base/platform.h"

CDiagnosticLog g_Log;

namespace {
const char kRule[] =
    "----------------------------------------------------------------------------------------------------";
const char kBannerIndent[] = "                                                       ";  // 55 blanks
}  // namespace

CDiagnosticLog::CDiagnosticLog() = default;

CDiagnosticLog::~CDiagnosticLog() { Close(); }

bool CDiagnosticLog::Open(const char* szBaseName) {
    std::lock_guard<CRecoverableLock> guard(m_lock);
    return OpenLocked(szBaseName);
}

bool CDiagnosticLog::OpenLocked(const char* szBaseName) {
    if (szBaseName) std::snprintf(m_szBaseName, sizeof m_szBaseName, "%s", szBaseName);
    char szFile[kLogBaseNameSize + 32];
    std::snprintf(szFile, sizeof szFile, "%s_%d.log", m_szBaseName, m_nFileIndex);
    ++m_nFileIndex;
    CloseLocked();
    if (!m_file.Create(szFile)) return false;
    m_bOpen = true;
    m_nLineCount = 0;
    WriteBanner("Starting Session");
    return true;
}

bool CDiagnosticLog::Close() {
    std::lock_guard<CRecoverableLock> guard(m_lock);
    CloseLocked();
    return true;
}

void CDiagnosticLog::CloseLocked() {
    if (!m_file.IsOpen()) return;
    WriteBanner("Clossed Session");
    m_file.Close();
    m_bOpen = false;
}

void CDiagnosticLog::WriteText(const char* szText) { m_file.Write(szText, std::strlen(szText)); }

void CDiagnosticLog::WriteBanner(const char* szTitle) {
    WriteText(kRule);
    m_file.WriteLineEnd();
    WriteText(kBannerIndent);
    WriteText(szTitle);
    m_file.WriteLineEnd();
    WriteText(kRule);
    m_file.WriteLineEnd();
}

bool CDiagnosticLog::IsOpen() const { return m_bOpen; }

bool CDiagnosticLog::Write(const char* szText, bool bEndLine, int nIndent, bool bMark) {
    if (!m_bOpen) return false;
    std::lock_guard<CRecoverableLock> guard(m_lock);
    return WriteLocked(szText, bEndLine, nIndent, bMark);
}

bool CDiagnosticLog::WriteLocked(const char* szText, bool bEndLine, int nIndent, bool bMark) {
    if (!m_file.IsOpen() || !szText) return false;
    if (m_nLineCount >= kLogLinesPerFile) {
        m_nLineCount = 0;
        if (!OpenLocked(nullptr)) return false;
    }
    ++m_nLineCount;
    char szPrefix[32];
    std::snprintf(szPrefix, sizeof szPrefix, "[%u]%s", static_cast<unsigned>(CurrentThreadNumber()),
                  bMark ? " *** " : "     ");
    WriteText(szPrefix);
    for (int i = 0; i < nIndent; ++i) WriteText("\t");
    WriteText(szText);
    if (bEndLine) m_file.WriteLineEnd();
    return true;
}

bool CDiagnosticLog::WriteFormattedV(bool bMark, const char* szFormat, va_list args) {
    if (!szFormat || !m_bOpen) return false;
    char szBuffer[kLogFormatSize];
    std::vsnprintf(szBuffer, sizeof szBuffer, szFormat, args);
    return Write(szBuffer, true, 0, bMark);
}

bool CDiagnosticLog::Printf(const char* szFormat, ...) {
    va_list args;
    va_start(args, szFormat);
    bool bWritten = WriteFormattedV(false, szFormat, args);
    va_end(args);
    return bWritten;
}

bool CDiagnosticLog::PrintfMarked(const char* szFormat, ...) {
    va_list args;
    va_start(args, szFormat);
    bool bWritten = WriteFormattedV(true, szFormat, args);
    va_end(args);
    return bWritten;
}
