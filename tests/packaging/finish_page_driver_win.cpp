// finish_page_driver.exe SETUP_EXE FOLDER: goes through the setup's pages as
// a user does (Install, then Finish with "Run" checked), waits for the
// program the finish page starts and prints whose rights the desktop's
// shell and the program have: "shell: administrators deny-only" (a
// standard user's token), then "program: administrators enabled" (an
// administrator's, as the setup's) or "program: administrators deny-only".
// Then closes the program. Ends with 1 when the desktop's shell, a page, the
// program or its end did not come within its time limit.
#include <windows.h>
#include <exdisp.h>

#include <cstdio>
#include <string>

#include "platform_owners_win.h"
#include "support/wait_until.h"
#include "support/window_watch.h"

namespace {

constexpr DWORD kPageMs = 60000;
constexpr DWORD kInstallMs = 120000;
constexpr char kProgramCaption[] = "Pellmark";

int Problem(const std::string& text) {
    std::printf("finish page: %s\n", text.c_str());
    return 1;
}

struct SetupSearch {
    HWND hFound = nullptr;
};

// The setup's window: a visible dialog of its thread with the Next button.
BOOL CALLBACK MatchSetupWindow(HWND hWnd, LPARAM lParam) {
    char szClass[64] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    if (!IsWindowVisible(hWnd) || lstrcmpA(szClass, "#32770") != 0 || !GetDlgItem(hWnd, IDOK)) return TRUE;
    reinterpret_cast<SetupSearch*>(lParam)->hFound = hWnd;
    return FALSE;
}

BOOL CALLBACK MatchRunBox(HWND hWnd, LPARAM lParam) {
    char szClass[64] = "";
    GetClassNameA(hWnd, szClass, sizeof szClass);
    if (lstrcmpiA(szClass, "Button") != 0 || WindowText(hWnd).rfind("&Run", 0) != 0) return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}

// Waits until the setup's Next button reads szText and may be pressed.
bool WaitForNextButton(HWND hSetup, const char* szText, DWORD dwTimeoutMs) {
    HWND hNext = GetDlgItem(hSetup, IDOK);
    return WaitUntil([&] { return IsWindowEnabled(hNext) && WindowText(hNext) == szText; }, dwTimeoutMs);
}

// The desktop's shell serves its windows to other processes once it is up.
bool ShellServes() {
    CComRef<IShellWindows> windows;
    return SUCCEEDED(
        CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.ReceiveVoid()));
}

// How the Administrators group stands in the process's token: enabled,
// deny-only, or absent.
std::string AdministratorsIn(HANDLE hProcess) {
    CKernelHandle token;
    if (!OpenProcessToken(hProcess, TOKEN_QUERY, token.Receive())) return "unreadable";
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD dwSize = sizeof administrators;
    CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &dwSize);
    DWORD dwNeeded = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &dwNeeded);
    std::string buffer(dwNeeded, '\0');
    if (!GetTokenInformation(token.Get(), TokenGroups, &buffer[0], dwNeeded, &dwNeeded)) return "unreadable";
    const TOKEN_GROUPS* lpGroups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.data());
    for (DWORD i = 0; i < lpGroups->GroupCount; ++i) {
        if (!EqualSid(lpGroups->Groups[i].Sid, administrators)) continue;
        if (lpGroups->Groups[i].Attributes & SE_GROUP_USE_FOR_DENY_ONLY) return "deny-only";
        return lpGroups->Groups[i].Attributes & SE_GROUP_ENABLED ? "enabled" : "disabled";
    }
    return "absent";
}

// Prints how the Administrators group stands for the process of a window.
bool PrintRights(const char* szWho, HWND hWnd, CKernelHandle& process) {
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    process.Reset(OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, dwProcessId));
    if (!process) return false;
    std::printf("%s: administrators %s\n", szWho, AdministratorsIn(process.Get()).c_str());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: finish_page_driver SETUP_EXE FOLDER\n");
        return 2;
    }
    // The caller has just started the desktop's shell. Until it serves its
    // windows nothing here may make a window (a single-threaded apartment
    // would): Wine would start a shell of its own for the desktop, with
    // this program's token.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (!WaitUntil(ShellServes, kPageMs)) return Problem("the desktop's shell does not serve its windows");
    CKernelHandle shell;
    if (!PrintRights("shell", GetDesktopWindow(), shell)) return Problem("the desktop's shell cannot be opened");
    std::string command = "\"" + std::string(argv[1]) + "\" /D=" + argv[2];
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return Problem("could not start " + command);
    CKernelHandle setupThread(process.hThread), setup(process.hProcess);

    SetupSearch search;
    WaitUntil([&] {
        EnumThreadWindows(process.dwThreadId, MatchSetupWindow, reinterpret_cast<LPARAM>(&search));
        return search.hFound != nullptr;
    }, kPageMs);
    if (!search.hFound) return Problem("the setup showed no window");
    if (!WaitForNextButton(search.hFound, "&Install", kPageMs)) return Problem("no folder page with \"Install\"");
    PressButton(search.hFound, IDOK);
    if (!WaitForNextButton(search.hFound, "&Finish", kInstallMs)) return Problem("no finish page after the install");
    HWND hRun = nullptr;
    EnumChildWindows(search.hFound, MatchRunBox, reinterpret_cast<LPARAM>(&hRun));
    if (!hRun || SendMessageA(hRun, BM_GETCHECK, 0, 0) != BST_CHECKED)
        return Problem("the finish page does not offer to start the program");
    PressButton(search.hFound, IDOK);
    if (WaitForSingleObject(setup.Get(), kPageMs) != WAIT_OBJECT_0) return Problem("the setup did not end");

    HWND hProgram = nullptr;
    WaitUntil([&] { return (hProgram = FindWindowA("#32770", kProgramCaption)) != nullptr; }, kPageMs);
    if (!hProgram) return Problem("the program did not start");
    CKernelHandle program;
    if (!PrintRights("program", hProgram, program)) return Problem("the program's process cannot be opened");
    PressButton(hProgram, IDCANCEL);
    if (WaitForSingleObject(program.Get(), kPageMs) != WAIT_OBJECT_0) return Problem("the program did not close");
    return 0;
}
