#pragma once
// Stands in for the shell while a test runs: records what would be opened.
#include <string>
#include <vector>

#include "ui/hyperlink_win.h"

struct ShellCall {
    HWND hWnd;
    std::string verb;
    std::string file;
    int nShow;
};

class CShellRecorder {
public:
    CShellRecorder() {
        Calls().clear();
        g_pfnShellOpen = &Record;
    }
    ~CShellRecorder() { g_pfnShellOpen = ShellExecuteA; }
    CShellRecorder(const CShellRecorder&) = delete;
    CShellRecorder& operator=(const CShellRecorder&) = delete;

    static std::vector<ShellCall>& Calls() {
        static std::vector<ShellCall> s_calls;
        return s_calls;
    }

private:
    static HINSTANCE WINAPI Record(HWND hWnd, LPCSTR szVerb, LPCSTR szFile, LPCSTR, LPCSTR, INT nShow) {
        Calls().push_back({hWnd, szVerb ? szVerb : "", szFile ? szFile : "", nShow});
        return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(33));
    }
};
