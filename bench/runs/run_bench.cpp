// The main job end to end under Wine: Corvane.exe, started as a process,
// makes a URL run of 1,000 pages with "Follow links" and a keyword run of
// 10 keywords x 100 results against a local web of 10,000 pages, with no
// pause between queries. Each run is timed from the click that starts it
// to the "Finished" question, and its requests are then made again by two
// sequential clients: one through WinHTTP with the program's session
// habits, the floor the run is held to, and one on bare sockets, which
// shows what WinHTTP itself costs here.
#include "end_to_end_runs/run_web.h"

#include <string>
#include <vector>

#include "bench_figures.h"
#include "plain_client_win.h"
#include "resources/resource.h"
#include "support/options_sandbox.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "winhttp_client_win.h"

namespace {

constexpr int kUrlRunPages = 1000;
constexpr int kKeywords = 10;
constexpr int kResultsPerKeyword = 100;
constexpr int kRunTimeoutMs = 1800000;

struct RunFigures {
    double dSeconds;
    std::size_t nPages;
    std::vector<simweb::RequestLogEntry> requests;
};

// The time of a replay of the run's requests by one of the floor clients.
double FloorSeconds(ReplayResult (*pfnReplay)(const std::vector<simweb::RequestLogEntry>&),
                    const std::vector<simweb::RequestLogEntry>& requests, const char* szClient) {
    ReplayResult floor = pfnReplay(requests);
    Require(floor.nFailed == 0, std::to_string(floor.nFailed) + " requests of the " + szClient + " failed");
    return floor.dSeconds;
}

struct Series {
    std::vector<double> pagesPerSecond, winHttpPagesPerSecond, socketPagesPerSecond, winHttpRatio, socketRatio;
    void Add(const RunFigures& run) {
        const double dWinHttp = FloorSeconds(ReplayRequestsWinHttp, run.requests, "WinHTTP client");
        const double dSocket = FloorSeconds(ReplayRequests, run.requests, "raw-socket client");
        const double dPages = static_cast<double>(run.nPages);
        pagesPerSecond.push_back(dPages / run.dSeconds);
        winHttpPagesPerSecond.push_back(dPages / dWinHttp);
        socketPagesPerSecond.push_back(dPages / dSocket);
        winHttpRatio.push_back(run.dSeconds / dWinHttp);
        socketRatio.push_back(run.dSeconds / dSocket);
    }
    void Print(const std::string& name) const {
        PrintFigure(name, "pages/s", "-", pagesPerSecond);
        PrintFigure(name + ", WinHTTP floor", "pages/s", "-", winHttpPagesPerSecond);
        PrintFigure(name + ", raw-socket floor", "pages/s", "-", socketPagesPerSecond);
        PrintFigure(name + ", time / WinHTTP floor time", "x", "<= 1.5", winHttpRatio);
        PrintFigure(name + ", time / raw-socket floor time", "x", "-", socketRatio);
    }
};

void StartWeb(simweb::CSimWeb& web) {
    simweb::SimWebOptions options;
    options.engineHost = PELLMARK_SEARCH_HOST;
    options.whoisHost = PELLMARK_WHOIS_HOST;
    options.siteBase = "127.0.110.2";
    options.generate = simweb::GenerateSpec{11, 100, 100};
    options.bQuiet = true;
    std::string error;
    Require(web.Start(options, error), "the local web cannot start: " + error);
}

std::vector<simweb::RequestLogEntry> RequestsSince(const simweb::CSimWeb& web, std::size_t nFrom) {
    std::vector<simweb::RequestLogEntry> log = web.Requests();
    std::size_t nNew = web.RequestCount() - nFrom;
    Require(nNew <= log.size(), "the request log no longer holds the whole run");
    return std::vector<simweb::RequestLogEntry>(log.end() - static_cast<std::ptrdiff_t>(nNew), log.end());
}

std::size_t SitePages(const std::vector<simweb::RequestLogEntry>& requests) {
    std::size_t nPages = 0;
    for (const simweb::RequestLogEntry& request : requests)
        if (request.host != PELLMARK_SEARCH_HOST && request.host != PELLMARK_WHOIS_HOST) ++nPages;
    return nPages;
}

// Waits for the end of the run that the caller has just started, answers
// the question with Cancel and waits until the window is idle again.
RunFigures FinishRun(const CProgramRun& program, const simweb::CSimWeb& web, std::size_t nFrom,
                     std::chrono::steady_clock::time_point start) {
    HWND hBox = program.WaitForWindow("Finished", kRunTimeoutMs);
    RunFigures run{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 0, {}};
    Require(hBox != nullptr, "the run did not finish");
    ClickControl(hBox, IDCANCEL);
    Require(WaitUntil([&] { return !IsWindow(hBox); }, 60000), "the question stayed open");
    run.requests = RequestsSince(web, nFrom);
    run.nPages = SitePages(run.requests);
    return run;
}

RunFigures UrlRun(const CProgramRun& program, HWND hMain, const simweb::CSimWeb& web) {
    // Crawl expansion adds up to one more record than the maximum, and the
    // typed address is the first page.
    SetControlText(hMain, IDC_MAXRESULTS, std::to_string(kUrlRunPages - 2));
    std::size_t nFrom = web.RequestCount();
    Require(StartUrlRun(hMain, program.ProcessId(), web.Corpus().Page(0).address, true, false),
            "the URL dialog did not open");
    RunFigures run = FinishRun(program, web, nFrom, std::chrono::steady_clock::now());
    // The crawl's own rules decide the exact count, which can fall a page
    // or two short of the plan.
    Require(run.nPages >= kUrlRunPages * 99 / 100 && run.nPages <= kUrlRunPages,
            "the URL run loaded " + std::to_string(run.nPages) + " pages");
    return run;
}

std::vector<std::string> Keywords(const simweb::CCorpus& corpus) {
    std::vector<std::string> keywords;
    for (int i = 0; i < kKeywords; ++i) {
        keywords.push_back(PickQuery(corpus, kResultsPerKeyword, corpus.PageCount(), keywords));
        Require(!keywords.back().empty(), "the corpus has too few words with enough results");
    }
    return keywords;
}

RunFigures KeywordRun(const CProgramRun& program, HWND hMain, const simweb::CSimWeb& web,
                      const std::vector<std::string>& keywords) {
    std::string lines;
    for (const std::string& keyword : keywords) lines += (lines.empty() ? "" : "\r\n") + keyword;
    SetControlText(hMain, IDC_KEYWORDS, lines);
    SetControlText(hMain, IDC_MAXRESULTS, std::to_string(kKeywords * kResultsPerKeyword));
    SetControlChecked(hMain, IDC_LIMITQUERY, true);
    SetControlText(hMain, IDC_QUERYLIMIT, std::to_string(kResultsPerKeyword));
    std::size_t nFrom = web.RequestCount();
    ClickControl(hMain, IDC_TRAWL);
    RunFigures run = FinishRun(program, web, nFrom, std::chrono::steady_clock::now());
    Require(run.nPages == kKeywords * kResultsPerKeyword,
            "the keyword run loaded " + std::to_string(run.nPages) + " pages");
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = RoundsArgument(argc, argv, 3);
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    // Stored options as an installer leaves them, with no pause between
    // queries and no optional lookups; put back as they were at the end.
    COptionsSandbox options;
    options.CreateEmpty();
    options.SetDword("dQueryDelay", 0);
    simweb::CSimWeb web;
    StartWeb(web);
    const std::vector<std::string> keywords = Keywords(web.Corpus());
    CTempFolder current;
    Series url, keyword;
    std::vector<double> peakMegabytes;
    for (int r = 0; r < nRounds; ++r) {
        CProgramRun program(BinFolder(), current.Path());
        HWND hMain = program.WaitForWindow("Pellmark");
        Require(hMain != nullptr, "the main window never showed");
        SetControlText(hMain, IDC_MINRANK, "0");
        url.Add(UrlRun(program, hMain, web));
        peakMegabytes.push_back(static_cast<double>(program.PeakWorkingSet()) / (1024.0 * 1024.0));
        keyword.Add(KeywordRun(program, hMain, web, keywords));
        PostMessageA(hMain, WM_CLOSE, 0, 0);
        Require(program.WaitForExit(), "the program did not end after a close");
    }
    url.Print("URL run, 1,000 pages, Follow links");
    PrintFigure("URL run, 1,000 pages, peak working set", "MB", "< 150", peakMegabytes);
    keyword.Print("keyword run, 10 keywords x 100 results");
    WSACleanup();
    return 0;
}
