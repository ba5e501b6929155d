#pragma once
// Corvane.exe started as its own process from a folder, which is also its
// current folder, and watched from outside: its windows, its end, its
// memory. Ended by force when it is still running at the end.
#include <windows.h>

#include <string>

// The folder of this program, where the build puts every binary.
std::string BinFolder();

class CProgramRun {
public:
    explicit CProgramRun(const std::string& folder, const std::string& currentFolder = "");
    ~CProgramRun();
    CProgramRun(const CProgramRun&) = delete;
    CProgramRun& operator=(const CProgramRun&) = delete;

    bool Started() const { return m_bStarted; }
    DWORD ProcessId() const { return m_info.dwProcessId; }
    HWND WaitForWindow(const char* szTitle, int nTimeoutMs = 60000) const;
    bool WaitForExit(int nTimeoutMs = 60000) const;
    DWORD ExitCode() const;
    // Peak working set so far, in bytes; 0 when it cannot be read.
    std::size_t PeakWorkingSet() const;

private:
    PROCESS_INFORMATION m_info{};
    bool m_bStarted = false;
};
