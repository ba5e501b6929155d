#include "run/top20_run_win.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <set>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_state.h"
#include "evaluate/rank_query_win.h"
#include "harvest/result_page.h"
#include "report/report_dialog_win.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "run/run_controller_win.h"
#include "ui/dialog_items_win.h"
#include "ui/main_window_win.h"
#include "ui/stop_dialog_win.h"
#include "web/engine_query_win.h"
#include "web/service_queries_win.h"

namespace {

constexpr int kTop20ResultsPerPage = 25;
constexpr std::size_t kProgressTextSize = 4096;

std::atomic<bool> s_bTop20Running{false};
std::atomic<bool> s_bCloseRequested{false};

void ShowProgressLine(HWND hDialog, const char* szFormat, const std::string& value) {
    char szText[kProgressTextSize];
    std::snprintf(szText, sizeof szText, szFormat, value.c_str());
    SetStopDialogText(hDialog, szText);
    PumpMessages();
}

bool ClassicTop20Links(const std::string& keyword, int nTotal, std::vector<std::string>& links) {
    std::string address = BuildQueryAddress(kTop20QueryTemplate, keyword.c_str(), kTop20ResultsPerPage, 0);
    std::string szPage = LoadEnginePage(address.c_str(), nTotal);
    int nStart = 0;
    return ExtractGoogleLinks(szPage, links, nStart);
}

// The first results of today's result service, from as many pages as that
// takes, and their ranks asked for at once.
bool ServiceTop20Links(const CSourceSettings& sources, const std::string& keyword, int nTotal,
                       std::vector<std::string>& links) {
    std::set<std::string> seen;
    for (int nPage = 0; links.size() < static_cast<std::size_t>(kTop20PerKeyword) && nPage < kMaxResultPages &&
                        !g_Stopped;
         ++nPage) {
        SourcePage page = LoadSourcePage(sources, keyword, nPage, nTotal);
        if (page.eOutcome != AnswerOutcome::Ok) continue;
        std::vector<std::string> fresh, taken;
        for (const std::string& url : page.urls)
            if (seen.insert(url).second) fresh.push_back(url);
        TakeServiceAddresses(fresh, taken);
        links.insert(links.end(), taken.begin(), taken.end());
        if (fresh.empty() || page.bLast) break;
    }
    if (links.size() > static_cast<std::size_t>(kTop20PerKeyword)) links.resize(kTop20PerKeyword);
    if (sources.rank == ERankSource::OpenPageRank) LearnSourceRanks(sources, links, nTotal);
    return !links.empty();
}

// Ranks one keyword's first results; answers the updated total.
int RankKeyword(HWND hDialog, const std::string& keyword, int nTotal) {
    ShowProgressLine(hDialog, "Processing keyword %s", keyword);
    const CSourceSettings sources = RunSources();
    std::vector<std::string> links;
    if (sources.results == EResultsSource::Classic ? !ClassicTop20Links(keyword, nTotal, links)
                                                   : !ServiceTop20Links(sources, keyword, nTotal, links)) {
        g_Log.Write("No Links Found");
        return nTotal;
    }
    std::vector<URLInfo> reportList;
    URLInfo marker = MakeRecord(keyword.c_str());
    marker.Item = 0;
    marker.Rank = -1;
    reportList.push_back(marker);
    for (std::size_t j = 0; j < links.size() && j < static_cast<std::size_t>(kTop20PerKeyword) &&
                            nTotal < g_nMaxResults && !g_Stopped;
         ++j) {
        ShowProgressLine(hDialog, "Getting page rank for %s", links[j]);
        URLInfo info = MakeRecord(links[j].c_str());
        info.Item = 0;
        ++nTotal;
        info.Rank = GetCorvane(info.Source, nTotal);
        reportList.push_back(info);
    }
    CreateTextResults(true, keyword.c_str(), &reportList, true);
    return nTotal;
}

void RunTop20(const std::vector<std::string>& keywords) {
    g_Stopped = false;
    StartAnimation();
    // Nothing else may start beside this run, and nobody reads the report
    // while it is written.
    EnableItem(g_hMainWnd, IDC_TRAWL, false);
    EnableItem(g_hMainWnd, IDC_TRAWLURLS, false);
    EnableItem(g_hMainWnd, IDC_SHOWREPORT, false);
    ClearTextResults();
    int nCap = kTop20PerKeyword * static_cast<int>(keywords.empty() ? 1 : keywords.size());
    SendDlgItemMessageA(g_hMainWnd, IDC_PROGRESS, PBM_SETRANGE32, 0, nCap);
    g_nMaxResults = nCap;
    HWND hDialog = OpenStopDialog(g_hMainWnd, "", false);
    if (hDialog) SetWindowTextA(hDialog, "Google Top20");
    int nTotal = 0;
    for (const std::string& keyword : keywords) {
        if (nTotal >= g_nMaxResults || g_Stopped) break;
        nTotal = RankKeyword(hDialog, keyword, nTotal);
    }
    if (hDialog) DestroyWindow(hDialog);
    EnableItem(g_hMainWnd, IDC_SHOWREPORT, true);
    EnableItem(g_hMainWnd, IDC_SENDMAIL, true);
    StopAnimation();
    if (!s_bCloseRequested) ShowTextResults();
    EnableItem(g_hMainWnd, IDC_TRAWL, true);
    EnableItem(g_hMainWnd, IDC_TRAWLURLS, true);
}

unsigned __stdcall Top20Worker(void* lpParam) {
    std::unique_ptr<std::vector<std::string>> keywords(static_cast<std::vector<std::string>*>(lpParam));
    CWorkerCom com;
    Guarded("Exception in the Top 20 worker", [&] { RunTop20(*keywords); });
    s_bTop20Running = false;
    PostMessageA(g_hMainWnd, kWmTop20Ended, 0, 0);
    return 0;
}

}  // namespace

void DoTop20(const std::vector<std::string>& keywords) {
    if (s_bTop20Running) return;
    s_bTop20Running = true;
    BeginRunSources();
    s_bCloseRequested = false;
    auto* lpKeywords = new std::vector<std::string>(keywords);
    CKernelHandle thread = StartThread(Top20Worker, lpKeywords);
    if (!thread) {
        g_Log.Write("DoTop20: the Top 20 worker could not be created");
        delete lpKeywords;
        s_bTop20Running = false;
        return;
    }
    g_hSearchThread = std::move(thread);
}

bool IsTop20Running() { return s_bTop20Running; }

void EndTop20ForClose() {
    s_bCloseRequested = true;
    g_Stopped = true;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
