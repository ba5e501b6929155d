// as_standard_user.exe PROGRAM [ARGUMENTS]: runs the command line that
// follows with this process's token cut down to what a standard user has:
// the Administrators group only denies access, and every privilege but
// SeChangeNotifyPrivilege is gone (CreateRestrictedToken, the token of
// "runas /trustlevel"). Waits for the program and ends with its exit code;
// 126 when it could not be started. The setup checks use it to see what a
// user without administrator rights gets.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "platform_owners_win.h"

namespace {

constexpr int kNotStarted = 126;

// The command line after this program's own name, quoting kept.
const wchar_t* CommandAfterOwnName(const wchar_t* szLine) {
    if (*szLine == L'"') {
        const wchar_t* szEnd = std::wcschr(szLine + 1, L'"');
        szLine = szEnd ? szEnd + 1 : szLine + std::wcslen(szLine);
    } else {
        while (*szLine && *szLine != L' ' && *szLine != L'\t') ++szLine;
    }
    while (*szLine == L' ' || *szLine == L'\t') ++szLine;
    return szLine;
}

bool StandardUserToken(CKernelHandle& token) {
    CKernelHandle own;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY,
                          own.Receive()))
        return false;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD dwSize = sizeof administrators;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &dwSize)) return false;
    SID_AND_ATTRIBUTES denyOnly{administrators, 0};
    return CreateRestrictedToken(own.Get(), DISABLE_MAX_PRIVILEGE, 1, &denyOnly, 0, nullptr, 0, nullptr,
                                 token.Receive()) != FALSE;
}

}  // namespace

int main() {
    std::wstring command = CommandAfterOwnName(GetCommandLineW());
    if (command.empty()) {
        std::fprintf(stderr, "usage: as_standard_user PROGRAM [ARGUMENTS]\n");
        return kNotStarted;
    }
    CKernelHandle token;
    if (!StandardUserToken(token)) {
        std::fprintf(stderr, "as_standard_user: no restricted token (error %lu)\n", GetLastError());
        return kNotStarted;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessAsUserW(token.Get(), nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &startup, &process)) {
        std::fprintf(stderr, "as_standard_user: could not start %ls (error %lu)\n", command.c_str(), GetLastError());
        return kNotStarted;
    }
    CKernelHandle thread(process.hThread), child(process.hProcess);
    // The caller bounds the wait: it runs this under a time limit.
    WaitForSingleObject(child.Get(), INFINITE);
    DWORD dwExitCode = kNotStarted;
    GetExitCodeProcess(child.Get(), &dwExitCode);
    return static_cast<int>(dwExitCode);
}
