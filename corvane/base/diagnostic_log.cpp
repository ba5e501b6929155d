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

// Gathers the pieces of a line so that the file takes it in one write: a
// run writes dozens of lines for every page, and under Wine each write is
// a trip into the system. Nothing is kept past the line: the file holds
// every line written, whatever happens to the program afterwards.
class CLineWriter {
public:
    explicit CLineWriter(CPlainFile& file) : m_file(file) {}
    ~CLineWriter() { Flush(); }
    CLineWriter(const CLineWriter&) = delete;
    CLineWriter& operator=(const CLineWriter&) = delete;

    void Put(const char* szText) { Put(szText, std::strlen(szText)); }
    void Put(const char* lpData, std::size_t nLength) {
        if (m_nUsed + nLength > sizeof m_buffer) Flush();
        if (nLength > sizeof m_buffer) {
            m_file.Write(lpData, nLength);
            return;
        }
        std::memcpy(m_buffer + m_nUsed, lpData, nLength);
        m_nUsed += nLength;
    }

private:
    void Flush() {
        if (m_nUsed) m_file.Write(m_buffer, m_nUsed);
        m_nUsed = 0;
    }

    CPlainFile& m_file;
    char m_buffer[kLogFormatSize + 64];
    std::size_t m_nUsed = 0;
};
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
    CLineWriter line(m_file);
    line.Put(szPrefix);
    for (int i = 0; i < nIndent; ++i) line.Put("\t", 1);
    line.Put(szText);
    if (bEndLine) line.Put(CPlainFile::LineEnd());
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
