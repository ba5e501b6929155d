#include "support/program_run.h"

#include <psapi.h>

#include <vector>

#include "support/main_window_harness.h"

std::string BinFolder() {
    char szPath[MAX_PATH];
    GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string path = szPath;
    return path.substr(0, path.rfind('\\'));
}

CProgramRun::CProgramRun(const std::string& folder, const std::string& currentFolder) {
    STARTUPINFOA start{};
    start.cb = sizeof start;
    std::string command = "\"" + folder + "\\Corvane.exe\"";
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    const std::string& current = currentFolder.empty() ? folder : currentFolder;
    m_bStarted = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, current.c_str(), &start,
                                &m_info) != FALSE;
}

CProgramRun::~CProgramRun() {
    if (!m_bStarted) return;
    if (WaitForSingleObject(m_info.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(m_info.hProcess, 1);
    CloseHandle(m_info.hProcess);
    CloseHandle(m_info.hThread);
}

HWND CProgramRun::WaitForWindow(const char* szTitle, int nTimeoutMs) const {
    return WaitForProcessWindow(m_info.dwProcessId, szTitle, nTimeoutMs);
}

bool CProgramRun::WaitForExit(int nTimeoutMs) const {
    return WaitForSingleObject(m_info.hProcess, static_cast<DWORD>(nTimeoutMs)) == WAIT_OBJECT_0;
}

DWORD CProgramRun::ExitCode() const {
    DWORD dwCode = 1;
    GetExitCodeProcess(m_info.hProcess, &dwCode);
    return dwCode;
}

std::size_t CProgramRun::PeakWorkingSet() const {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(m_info.hProcess, &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}
