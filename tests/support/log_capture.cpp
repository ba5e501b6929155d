#include "support/log_capture.h"

#include <windows.h>

#include "base/diagnostic_log.h"

CLogCapture::CLogCapture() { g_Log.Open(m_folder.File("trace").c_str()); }

CLogCapture::~CLogCapture() { g_Log.Close(); }

std::string CLogCapture::Text() const {
    return ReadWholeFile(m_folder.File("trace_" + std::to_string(g_Log.FileIndex() - 1) + ".log"));
}

std::size_t CLogCapture::Count(const std::string& needle) const {
    std::string text = Text();
    std::size_t n = 0;
    for (std::size_t pos = text.find(needle); pos != std::string::npos; pos = text.find(needle, pos + 1)) ++n;
    return n;
}

bool CLogCapture::WaitFor(const std::string& needle, std::size_t n, int nTimeoutMs) const {
    DWORD dwStart = GetTickCount();
    while (Count(needle) < n) {
        if (static_cast<int>(GetTickCount() - dwStart) > nTimeoutMs) return false;
        SwitchToThread();  // polling a file: there is no event to wait on
    }
    return true;
}
