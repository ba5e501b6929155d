#pragma once
// Points the process log at a fresh file for one test and reads it back.
#include <string>

#include "run/diagnostic_log.h"
#include "support/temp_folder.h"

class CLogCapture {
public:
    CLogCapture() { g_Log.Open(m_folder.File("trace").c_str()); }
    ~CLogCapture() { g_Log.Close(); }
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;

    std::string Text() const {
        return ReadWholeFile(m_folder.File("trace_" + std::to_string(g_Log.FileIndex() - 1) + ".log"));
    }
    bool Holds(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    CTempFolder m_folder;
};
