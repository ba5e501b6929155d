// Where one page of a URL run spends its time. Every step the program takes
// for a page is timed on its own, with the program's own functions, against
// a local web, in the order a run takes them; the real main window (on a
// thread of this program) takes the rows and the status texts. Last, the
// whole page as the run makes it (load, hand-over to the run's evaluation
// thread, COM, evaluation) shows how far the steps add up. Figures are
// milliseconds per page.
#include "end_to_end_runs/run_web.h"

#include <objbase.h>

#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "base/diagnostic_log.h"
#include "base/result_list.h"
#include "base/run_state.h"
#include "bench_figures.h"
#include "clients/kestrine_client_win.h"
#include "evaluate/absolute_url.h"
#include "evaluate/crawl_expansion.h"
#include "evaluate/outbound_links.h"
#include "evaluate/page_evaluation.h"
#include "evaluate/rank_boost.h"
#include "evaluate/rank_query_win.h"
#include "run/evaluation_thread_win.h"
#include "run/run_controller_win.h"
#include "support/main_window_harness.h"
#include "support/temp_folder.h"
#include "ui/main_window_win.h"
#include "ui/status.h"
#include "web/page_loader_win.h"

namespace {

constexpr int kPages = 200;
constexpr const char* kSiteBase = "127.0.112.2";

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One step's time over the pages of a round, and over the rounds.
struct Phase {
    Phase(const char* szPhase) : szName(szPhase) {}
    const char* szName;
    double dRoundMs = 0;
    std::vector<double> perPage;
};

enum PhaseId {
    kLoad, kThread, kCom, kComponent, kRank, kBackward, kAnalysis, kExpansion, kRow, kHop, kStatus, kLogLine, kWhole,
    kPhaseCount
};

template <typename F>
void Time(Phase& phase, F step) {
    const Clock::time_point start = Clock::now();
    step();
    phase.dRoundMs += MsSince(start);
}

// A page's COM start and end on the evaluation thread, timed inside it.
unsigned __stdcall ComOnly(void* lpParam) {
    const Clock::time_point start = Clock::now();
    { CEvaluationCom com("page phases: CoInitialize failed"); }
    *static_cast<double*>(lpParam) = MsSince(start);
    return 0;
}

struct WholePage {
    URLInfo info;
    std::string page;
};

// What the run's evaluation thread does for one page.
unsigned __stdcall Evaluate(void* lpParam) {
    auto* lpWhole = static_cast<WholePage*>(lpParam);
    CEvaluationCom com("page phases: CoInitialize failed");
    if (com.Ok()) ParsePage(&lpWhole->info, lpWhole->page.c_str(), ShowStatus);
    return 0;
}

void RunThread(CEvaluationThread& evaluation, unsigned(__stdcall* pfnProc)(void*), void* lpParam) {
    Require(evaluation.Run(pfnProc, lpParam) == EEvaluation::Done, "the evaluation thread did not do the work");
}

// Every step for one page, one after the other.
void PageSteps(std::vector<Phase>& phases, CEvaluationThread& evaluation, const std::string& address) {
    std::string page;
    Time(phases[kLoad], [&] { page = CPageLoader().LoadPage(address.c_str(), g_nLinks); });
    Require(page.size() > 6 && page != "fail", "the page " + address + " did not load");
    double dComMs = 0;
    Time(phases[kThread], [&] { RunThread(evaluation, ComOnly, &dComMs); });
    phases[kThread].dRoundMs -= dComMs;
    phases[kCom].dRoundMs += dComMs;
    Time(phases[kComponent], [&] { delete[] CKestrine().GetEmailAddress(page.c_str(), address.c_str()); });
    URLInfo info = MakeRecord(address.c_str());
    Time(phases[kRank], [&] { info.Rank = GetCorvane(info.Source, -1); });
    Time(phases[kBackward], [&] { info.Incoming = GetBackwardLinks(&info); });
    std::vector<std::string> links;
    Time(phases[kAnalysis], [&] {
        GetPageOutcomingLinks(page.c_str(), &links);
        info.Outcoming = static_cast<int32_t>(links.size());
        ConvertToAbsoluteAddress(&links, info.Source);
        GetPRBoost(&info);
    });
    Time(phases[kExpansion], [&] { AddTrawledUrlsToList(&links, ShowStatus); });
    Time(phases[kRow], [&] { UpdateList(&info); });
    // What of the hand-over is the trip to the window's thread and back.
    Time(phases[kHop], [&] { SendMessageA(g_hMainWnd, WM_NULL, 0, 0); });
    Time(phases[kStatus], [&] { ShowStatus(("Checking " + address + "....").c_str(), g_nLinks); });
    Time(phases[kLogLine], [&] { g_Log.Printf("Loading Page %s", address.c_str()); });
}

// The page as the run makes it: the load, then the evaluation thread.
void WholePageRun(Phase& phase, CEvaluationThread& evaluation, const std::string& address) {
    Time(phase, [&] {
        WholePage whole{MakeRecord(address.c_str()), CPageLoader().LoadPage(address.c_str(), g_nLinks)};
        RunThread(evaluation, Evaluate, &whole);
    });
}

std::size_t LogLines(const std::string& folder) {
    std::size_t nLines = 0;
    std::string line;
    for (int nFile = 1;; ++nFile) {
        std::ifstream file(folder + "\\run_" + std::to_string(nFile) + ".log");
        if (!file) return nLines;
        while (std::getline(file, line)) ++nLines;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = RoundsArgument(argc, argv, 3);
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    simweb::CSimWeb web;
    std::string error;
    Require(StartRunWeb(web, kSiteBase, 0, error), "the local web cannot start: " + error);
    Require(web.Corpus().PageCount() >= static_cast<std::size_t>(kPages), "the local web has too few pages");
    CMainWindowHarness window;
    Require(window.Main() != nullptr, "the main window did not open");
    // A run as the benchmarks start it: no pause between queries, no
    // optional checks, rows taken from every rank, links followed; and the
    // log written, as it is when the program's folder has one.
    CTempFolder logFolder;
    Require(g_Log.Open((logFolder.Path() + "\\run").c_str()), "the log cannot be opened");
    g_nQueryDelay = 0;
    iMinPR = 0;
    g_nMaxResults = 1000000;
    g_bFollowLinks = true;
    g_bUrlRun = true;
    std::vector<Phase> phases = {
        {"page load (with its status texts)"}, {"hand-over to the evaluation thread and back"},
        {"COM start and end in the evaluation thread"}, {"page-analysis object created, one e-mail check"},
        {"rank query"}, {"backward-link query"}, {"text analysis (outbound, absolute, boost)"},
        {"crawl expansion"}, {"row hand-over to the window"},
        {"of which the trip to the window's thread (an empty message)"}, {"one status text"}, {"one log line"},
        {"whole page as a run makes it"}};
    std::size_t nWholeLines = 0;
    CEvaluationThread evaluation;
    for (int r = 0; r < nRounds; ++r) {
        for (Phase& phase : phases) phase.dRoundMs = 0;
        for (int i = 0; i < kPages; ++i) PageSteps(phases, evaluation, web.Corpus().Page(i).address);
        // The whole pages find the work list as a run does, without the
        // links the steps above have already put there.
        g_RunList.Clear();
        const std::size_t nBefore = LogLines(logFolder.Path());
        for (int i = 0; i < kPages; ++i) WholePageRun(phases[kWhole], evaluation, web.Corpus().Page(i).address);
        nWholeLines = LogLines(logFolder.Path()) - nBefore;
        g_RunList.Clear();
        for (Phase& phase : phases) phase.perPage.push_back(phase.dRoundMs / kPages);
    }
    g_bUrlRun = false;
    g_Log.Close();
    for (const Phase& phase : phases) PrintFigure(std::string("page phases: ") + phase.szName, "ms/page", "-", phase.perPage);
    PrintFigure("page phases: log lines of a whole page", "lines", "-", {static_cast<double>(nWholeLines) / kPages});
    CoUninitialize();
    WSACleanup();
    return 0;
}
