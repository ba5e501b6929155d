#pragma once
// Native stand-in for the Windows tests' log capture: the process log
// pointed at a fresh folder for one test and read back.
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "base/diagnostic_log.h"

class CLogCapture {
public:
    CLogCapture() : m_folder(MakeFolder()) { g_Log.Open((m_folder / "trace").c_str()); }
    ~CLogCapture() {
        g_Log.Close();
        std::filesystem::remove_all(m_folder);
    }
    CLogCapture(const CLogCapture&) = delete;
    CLogCapture& operator=(const CLogCapture&) = delete;

    std::string Text() const {
        std::ifstream file(m_folder / ("trace_" + std::to_string(g_Log.FileIndex() - 1) + ".log"), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    bool Holds(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    static std::filesystem::path MakeFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "pellmark-log-XXXXXX").string();
        return mkdtemp(pattern.data()) ? pattern : std::string();
    }
    std::filesystem::path m_folder;
};
