// The program's entry: log, outside libraries, tools connection, COM, the
// main window, and shut-down in a fixed order.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <ctime>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "harvest/blocked_page_win.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "run/run_controller_win.h"
#include "ui/main_window_win.h"
#include "web/page_loader_win.h"
#include "web/tools_library.h"
#include "web/tools_library_win.h"

namespace {

constexpr std::size_t kPathSize = 260;

void* g_hConnection = nullptr;

void OpenLog() {
    char szDirectory[kPathSize] = "";
    GetCurrentDirectoryA(sizeof szDirectory, szDirectory);
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_s(&utc, &now);
    char szBase[kPathSize];
    std::snprintf(szBase, sizeof szBase, "%s\\log\\%u_%u_%u", szDirectory, static_cast<unsigned>(utc.tm_mday),
                  static_cast<unsigned>(utc.tm_mon + 1), static_cast<unsigned>(utc.tm_year + 1900));
    g_Log.Open(szBase);
}

// A step that may throw is guarded, so that the steps after it still run.
void ShutDownStep(const char* szStep, void (*step)()) {
    GuardedWith([szStep] { g_Log.Printf("Exception in shut-down: %s", szStep); }, step);
}

// Threads that "Force" left behind may still be inside WinHTTP, COM or the
// heap. They must not outlive what shut-down frees (the report, the
// session, COM, the program's statics), and ending them by force could
// leave one of those locks held, so that the frees hang the exit. The
// process ends them instead, at once, with nothing freed under them; the
// log is closed first, so that its closing banner is still written.
void EndWithLeftWorkers(std::size_t nAlive) {
    g_Log.Printf("Shut-down: %u left workers are still alive; the process ends them",
                 static_cast<unsigned>(nAlive));
    g_Log.Close();
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);
}

void ShutDown() {
    if (std::size_t nAlive = LeftWorkersAlive()) EndWithLeftWorkers(nAlive);
    ClearTextResults();
    // The outside library is not ours, and the session's lock may fail.
    ShutDownStep("CloseConnection", [] {
        if (g_pfnCloseConnection) g_pfnCloseConnection(g_hConnection);
        g_hConnection = nullptr;
    });
    ShutDownStep("CloseSession", [] { CPageLoader().CloseSession(); });
    CoUninitialize();
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int) {
    OpenLog();
    g_Log.Write("Pellmark starting");
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    if (!BindOutsideLibraries()) return 0;
    g_hConnection = g_pfnOpenConnection ? g_pfnOpenConnection() : nullptr;
    if (!g_hConnection) {
        g_Log.Write("Connection could not be opened!\n");
        return 0;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        g_Log.Write("CoInitialize failed on the main thread");
        MessageBoxA(nullptr, "Unable to initialize COM Environment", "System Error", MB_OK);
        return 0;
    }
    g_hSession = nullptr;
    InstallBlockedPageQuestion();
    // FaceDlgProc stops every failure of its own: none comes back out here.
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_MAIN), nullptr, FaceDlgProc, 0);
    ShutDown();
    return 0;
}
