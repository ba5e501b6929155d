#pragma once
// Points the process log at a fresh file for one test and reads it back.
#include <string>

#include "base/diagnostic_log.h"
#include "support/temp_folder.h"

class CLogCapture {
public:
    CLogCapture();
    ~CLogCapture();
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;

    std::string Text() const;
    bool Holds(const std::string& text) const { return Text().find(text) != std::string::npos; }
    std::size_t Count(const std::string& needle) const;
    // Waits until needle occurs at least n times; false after the limit.
    bool WaitFor(const std::string& needle, std::size_t n, int nTimeoutMs) const;

private:
    CTempFolder m_folder;
};
