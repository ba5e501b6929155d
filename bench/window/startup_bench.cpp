// Start-up of Corvane.exe until its main window is shown and answers, and
// its shut-down from a close request until the process has ended.
#include <windows.h>

#include <vector>

#include "bench_figures.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace {

constexpr int kTimeoutMs = 60000;

struct Timings {
    double dStart;
    double dEnd;
};

Timings StartAndClose(const std::string& currentFolder) {
    Timings timings{};
    HWND hMain = nullptr;
    const auto start = std::chrono::steady_clock::now();
    CProgramRun program(BinFolder(), currentFolder);
    Require(program.Started(), "Corvane.exe cannot be started");
    hMain = program.WaitForWindow("Pellmark", kTimeoutMs);
    Require(hMain != nullptr, "the main window never showed");
    DWORD_PTR dwAnswer = 0;
    Require(SendMessageTimeoutA(hMain, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &dwAnswer) != 0,
            "the main window does not answer");
    timings.dStart = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timings.dEnd = SecondsOf([&] {
        PostMessageA(hMain, WM_CLOSE, 0, 0);
        Require(program.WaitForExit(kTimeoutMs), "the program did not end after a close");
    });
    Require(program.ExitCode() == 0, "the program ended with a failure status");
    return timings;
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = RoundsArgument(argc, argv, 5);
    // A current folder without a "log" folder: the program writes no log.
    CTempFolder current;
    std::vector<double> starts, ends;
    for (int r = 0; r < nRounds; ++r) {
        Timings timings = StartAndClose(current.Path());
        starts.push_back(timings.dStart);
        ends.push_back(timings.dEnd);
    }
    PrintFigure("start-up to an idle main window", "s", "< 1", starts);
    PrintFigure("shut-down after a close", "s", "< 1", ends);
    return 0;
}
