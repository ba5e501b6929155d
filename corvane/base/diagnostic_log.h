#pragma once
// The process-wide trace file. Every subsystem writes one line per step;
// the program works the same when the file cannot be written.
#include <atomic>
#include <cstdarg>
#include <cstddef>

#include "base/platform.h"

constexpr std::size_t kLogBaseNameSize = 260;
constexpr std::size_t kLogFormatSize = 4096;
constexpr int kLogLinesPerFile = 400000;

class CDiagnosticLog {
public:
    CDiagnosticLog();
    virtual ~CDiagnosticLog();
    CDiagnosticLog(const CDiagnosticLog&) = delete;
    CDiagnosticLog& operator=(const CDiagnosticLog&) = delete;

    // Opens "<base>_<index>.log"; a null base name reuses the stored one.
    bool Open(const char* szBaseName = nullptr);
    bool Close();
    bool Write(const char* szText, bool bEndLine = true, int nIndent = 0, bool bMark = false);
    // printf-style, formatted into a bounded buffer and written as one
    // ended, unmarked line.
    bool Printf(const char* szFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    bool PrintfMarked(const char* szFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    bool IsOpen() const;
    int FileIndex() const { return m_nFileIndex; }

private:
    bool WriteFormattedV(bool bMark, const char* szFormat, va_list args);
    bool OpenLocked(const char* szBaseName);
    void CloseLocked();
    void WriteBanner(const char* szTitle);
    void WriteText(const char* szText);
    bool WriteLocked(const char* szText, bool bEndLine, int nIndent, bool bMark);

    mutable CRecoverableLock m_lock;
    CPlainFile m_file;
    // Whether m_file is open, readable without the lock: taking the lock
    // costs a call into the system, and every step of a run writes a line
    // whether or not there is a file to take it.
    std::atomic<bool> m_bOpen{false};
    char m_szBaseName[kLogBaseNameSize] = "";
    int m_nFileIndex = 1;
    int m_nLineCount = 0;
};

extern CDiagnosticLog g_Log;
