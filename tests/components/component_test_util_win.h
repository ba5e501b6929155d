#pragma once
// Small helpers of the component tests: COM on the test thread, the
// component libraries beside the test program, child processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform_owners_win.h"

class CComScope {
public:
    CComScope() { m_hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~CComScope() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

private:
    HRESULT m_hr;
};

// The full path of a file in the folder of the test program (bin/).
inline std::string BinPath(const char* szName) {
    char szPath[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, szPath, sizeof szPath);
    std::string path(szPath);
    return path.substr(0, path.find_last_of("\\/") + 1) + szName;
}

// Runs a command line, its output into szOutputFile when given; the exit
// code, or -1 when it could not start or did not end within nTimeoutMs.
inline int RunProcess(const std::string& szCommandLine, const std::string& szOutputFile, DWORD nTimeoutMs) {
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    HANDLE hOutput = INVALID_HANDLE_VALUE;
    if (!szOutputFile.empty())
        hOutput = CreateFileA(szOutputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &security, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (hOutput != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = hOutput;
        startup.hStdError = hOutput;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION process{};
    std::string commandLine = szCommandLine;
    const BOOL bStarted = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                         &startup, &process);
    if (hOutput != INVALID_HANDLE_VALUE) CloseHandle(hOutput);
    if (!bStarted) return -1;
    DWORD dwExit = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process.hProcess, nTimeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &dwExit);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(dwExit);
}

inline CBstr MakeBstr(const std::string& text) { return CBstr(AnsiToBstr(text)); }
