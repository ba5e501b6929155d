#include "run/keyword_run_win.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/result_list.h"
#include "base/run_fence.h"
#include "base/run_state.h"
#include "base/text_lines.h"
#include "evaluate/page_evaluation.h"
#include "harvest/result_page.h"
#include "platform_owners_win.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "run/evaluation_thread_win.h"
#include "run/run_controller_win.h"
#include "run/top20_run_win.h"
#include "ui/dialog_items_win.h"
#include "ui/main_window_win.h"
#include "ui/status.h"
#include "web/engine_query_win.h"
#include "web/page_loader_win.h"
#include "web/service_queries_win.h"

namespace {

constexpr std::size_t kKeywordFieldSize = 4095;
constexpr std::size_t kLimitFieldSize = 15;
constexpr std::size_t kMaxQueryResults = static_cast<std::size_t>(kMaxResultPages) * kResultsPerPage;

// Every line is a keyword (an empty one too), cut to the keyword field.
std::vector<std::string> SplitKeywordLines(const std::string& text) {
    std::vector<std::string> keywords = SplitCrLfLines(text);
    for (std::string& keyword : keywords)
        if (keyword.size() >= kKeywordSize) keyword.resize(kKeywordSize - 1);
    return keywords;
}

void JoinRunKeywords(const std::vector<std::string>& keywords) {
    std::string joined;
    for (std::size_t i = 0; i < keywords.size(); ++i) joined += (i ? "," : "") + keywords[i];
    CopyField(g_szRunKeywords, joined);
}

// One query's walk through its result pages.
struct QueryPaging {
    CSourceSettings sources = RunSources();
    std::set<std::string> seen;  // today's services: every address listed so far
};

enum class EPageLinks { Links, Skip, End };

EPageLinks ClassicResultLinks(const char* szQuery, int nPage, std::vector<std::string>& links) {
    int nStart = (nPage - 1) * kResultsPerPage;
    std::string address = BuildQueryAddress(kPagedQueryTemplate, szQuery, kResultsPerPage, nStart);
    std::string szPage = LoadEnginePage(address.c_str(), g_nLinks);
    if (ExtractGoogleLinks(szPage, links, nStart)) return EPageLinks::Links;
    if (nStart == -1) {
        g_Log.Write("Finish google results");
        return EPageLinks::End;
    }
    g_Log.Write("ExtractGoogleLinks Failed");
    return EPageLinks::Skip;
}

// A page of today's result service. Its paging ends at the service's last
// page, at a page that lists no address it has not listed before, and at
// the thousandth result, as the engine's pages end there.
EPageLinks ServiceResultLinks(QueryPaging& paging, const char* szQuery, int nPage, std::vector<std::string>& links,
                              bool& bLast) {
    SourcePage page = LoadSourcePage(paging.sources, szQuery, nPage - 1, g_nLinks);
    // A fault that stops the run has been told; any other skips the page.
    if (page.eOutcome != AnswerOutcome::Ok) return RunGoesOn() ? EPageLinks::Skip : EPageLinks::End;
    std::vector<std::string> fresh;
    for (const std::string& url : page.urls)
        if (paging.seen.size() < kMaxQueryResults && paging.seen.insert(url).second) fresh.push_back(url);
    if (fresh.empty()) {
        g_Log.Write("Finish google results");
        return EPageLinks::End;
    }
    bLast = page.bLast || paging.seen.size() >= kMaxQueryResults;
    if (TakeServiceAddresses(fresh, links)) return EPageLinks::Links;
    g_Log.Write("No result of the page passed the filter");
    return bLast ? EPageLinks::End : EPageLinks::Skip;
}

// Loads one result page; false when the keyword's pages end here.
bool ProcessResultPage(const char* szQuery, int nPage, int nQueryLimit, QueryPaging& paging,
                       std::vector<URLInfo>& reportList, CEvaluationThread& evaluation) {
    std::vector<std::string> links;
    bool bLast = false;
    const EPageLinks eLinks = paging.sources.results == EResultsSource::Classic
                                  ? ClassicResultLinks(szQuery, nPage, links)
                                  : ServiceResultLinks(paging, szQuery, nPage, links, bLast);
    if (eLinks != EPageLinks::Links) return eLinks == EPageLinks::Skip;
    auto work = std::make_shared<ResultPageWork>(ResultPageWork{std::move(links), nQueryLimit, {}});
    auto* lpRequest = new ResultPageRequest(work);
    const EEvaluation result = evaluation.Run(ProcessGooglePage, lpRequest);
    if (result == EEvaluation::NotStarted) {
        delete lpRequest;
        g_Log.Write("Exception creating thread");
        return true;
    }
    // What a thread that ended half-way left in the work is not to be read.
    if (result == EEvaluation::Died) {
        g_Log.Printf("The results of page %d of %s were not all evaluated", nPage, szQuery);
        return true;
    }
    reportList.insert(reportList.end(), work->accepted.begin(), work->accepted.end());
    if (bLast) return false;
    if (nQueryLimit != 0 && g_nQueryLinks > nQueryLimit) return false;
    return g_nLinks < g_nMaxResults;
}

void EvaluateResult(CPageLoader& loader, const std::string& address, std::vector<URLInfo>& reportList) {
    g_Log.Printf("Processing link = %s", address.c_str());
    URLInfo info = MakeRecord(address.c_str());
    std::string szPage = loader.LoadPage(info.Source, g_nLinks);
    if (szPage.empty()) {
        g_Log.Write("ProcessGooglePage : LoadPage has failed! \n");
        return;
    }
    // A page whose evaluation throws counts as rejected.
    const bool bAccepted = GuardedValue("Exception in ProcessGooglePage - ParsePage", false,
                                        [&] { return ParsePage(&info, szPage.c_str(), ShowStatus); });
    if (bAccepted) {
        g_Log.Write("ProcessGooglePage : ParsePage successfull");
        reportList.push_back(info);
    } else {
        g_Log.Write("ProcessGooglePage LoadPage : ParsePage has failed!");
    }
}

}  // namespace

bool GetKeywords(std::vector<std::string>& keywords, bool& bTop20, int& nQueryLimit) {
    char szNumber[260] = "";
    GetDlgItemTextA(g_hMainWnd, IDC_MAXRESULTS, szNumber, sizeof szNumber);
    g_nMaxResults = std::atoi(szNumber);
    std::string text(kKeywordFieldSize, '\0');
    int nLength = GetDlgItemTextA(g_hMainWnd, IDC_KEYWORDS, &text[0], static_cast<int>(kKeywordFieldSize));
    text.resize(nLength > 0 ? static_cast<std::size_t>(nLength) : 0);
    bTop20 = IsChecked(g_hMainWnd, IDC_TOP20);
    nQueryLimit = 0;
    if (IsChecked(g_hMainWnd, IDC_LIMITQUERY)) {
        char szLimit[kLimitFieldSize] = "";
        GetDlgItemTextA(g_hMainWnd, IDC_QUERYLIMIT, szLimit, sizeof szLimit);
        nQueryLimit = std::atoi(szLimit);
    }
    keywords = SplitKeywordLines(text);
    return true;
}

void DoKeywords() {
    std::vector<std::string> keywords;
    bool bTop20 = false;
    int nQueryLimit = 0;
    GetKeywords(keywords, bTop20, nQueryLimit);
    if (bTop20)
        DoTop20(keywords);
    else
        DoKeywordToLink(keywords, nQueryLimit);
}

void DoKeywordToLink(const std::vector<std::string>& keywords, int nQueryLimit) {
    if (!PrepareRun()) return;
    g_bFollowLinks = false;
    g_bDomainLinks = false;
    EnterRun(false);
    StartGuarded("DoKeywordToLink: the run could not be started", 1, [&] {
        JoinRunKeywords(keywords);
        BeginGoogleSearch(keywords, nQueryLimit);
    });
}

unsigned __stdcall KeywordThread(void* lpParam) {
    CWorkerCom com;
    WithinOwnRun([] { g_bUrlRun = false; });
    return static_cast<unsigned>(GoogleSearchCore(static_cast<KeywordRunBlock*>(lpParam)));
}

void BeginGoogleSearch(const std::vector<std::string>& keywords, int nQueryLimit) {
    g_Stopped = false;
    // A keyword run keeps no work list; nothing is reserved for it.
    g_RunList.Clear();
    auto* lpBlock = new KeywordRunBlock{new std::vector<std::string>(keywords), nQueryLimit};
    g_hSearchThread = StartRunThread(KeywordThread, lpBlock);
    if (!g_hSearchThread) {
        g_Log.Write("BeginGoogleSearch: the keyword thread could not be created");
        delete lpBlock->lpKeywords;
        delete lpBlock;
        FinishRun(1);
    }
}

void WalkResultPages(const char* szQuery, int nQueryLimit, std::vector<URLInfo>& reportList,
                     CEvaluationThread& evaluation) {
    WithinOwnRun([] { g_nQueryLinks = 0; });
    QueryPaging paging;
    for (int nPage = 1; nPage <= kMaxResultPages && RunGoesOn(); ++nPage)
        if (!ProcessResultPage(szQuery, nPage, nQueryLimit, paging, reportList, evaluation)) break;
}

int GoogleSearchCore(KeywordRunBlock* lpBlock) {
    WithinOwnRun([] {
        g_Stopped = false;
        g_nFollowed = 0;
        g_nLinks = 0;
    });
    if (!lpBlock) return 0;
    std::unique_ptr<std::vector<std::string>> keywords(lpBlock->lpKeywords);
    int nQueryLimit = lpBlock->nQueryLimit;
    delete lpBlock;
    // The thread's one barrier: a failure ends the run as if all keywords
    // were done.
    Guarded("Exception ocured in googlesearchcore in search\n", [&] {
        WithinOwnRun([] { ClearTextResults(); });
        CEvaluationThread evaluation;
        for (const std::string& keyword : *keywords) {
            if (!RunGoesOn()) break;
            std::vector<URLInfo> reportList;
            if (!keyword.empty()) {
                URLInfo marker = MakeRecord(keyword.c_str());
                marker.Item = 0;
                marker.Rank = -1;
                reportList.push_back(marker);
            }
            WalkResultPages(keyword.c_str(), nQueryLimit, reportList, evaluation);
            WithinOwnRun([&] { CreateTextResults(false, keyword.c_str(), &reportList, true); });
        }
    });
    FinishRun(1);
    return 0;
}

unsigned __stdcall ProcessGooglePage(void* lpParam) {
    std::unique_ptr<ResultPageRequest> request(static_cast<ResultPageRequest*>(lpParam));
    CEvaluationCom com("Failed to Initialize COM");
    if (!com.Ok()) return 0;
    Guarded("Exception in ProcessGooglePage", [&] {
        if (!request || !*request) {
            g_Log.Write("pInfo is NULL");
            return;
        }
        ResultPageWork& work = **request;
        // Open PageRank is asked once for the page's new hosts.
        const CSourceSettings sources = RunSources();
        if (sources.rank == ERankSource::OpenPageRank) LearnSourceRanks(sources, work.links, g_nLinks);
        CPageLoader loader;
        for (const std::string& address : work.links) {
            int nQueried = 0;
            if (!RunGoesOn() || !WithinOwnRun([&] { nQueried = ++g_nQueryLinks; })) break;
            if (work.nLimit != 0 && nQueried > work.nLimit) {
                g_Log.Write("ProcessGooglePage Failed");
                break;
            }
            EvaluateResult(loader, address, work.accepted);
        }
    });
    return 0;
}
