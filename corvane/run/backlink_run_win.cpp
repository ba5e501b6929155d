#include "run/backlink_run_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "report/text_report.h"
#include "run/diagnostic_log.h"
#include "run/keyword_run_win.h"
#include "run/result_list.h"
#include "run/run_state.h"
#include "run/worker_threads_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr std::size_t kSearchTextSize = 2048;

// One typed address: its marker, its "link:" result pages, its report part.
void TrawlBacklinksOf(const URLInfo& input, int nLimit) {
    std::vector<URLInfo> reportList;
    URLInfo marker = input;
    // An address too long for the search text is cut with it, as every
    // other text that goes into a fixed buffer.
    char szSearch[kSearchTextSize];
    std::snprintf(szSearch, sizeof szSearch, "link:%s", marker.Source);
    marker.Rank = -1;
    if (marker.Source[0] != '\0')
        reportList.push_back(marker);
    else
        g_Log.Write("No Link Exist -- BackTrawlMain");
    WalkResultPages(szSearch, nLimit, reportList);
    CreateTextResults(false, "", &reportList, true);
}

}  // namespace

int BackTrawlMain() {
    g_Stopped = false;
    g_nFollowed = 0;
    g_nLinks = 0;
    try {
        ClearTextResults();
        int nLimit = g_nMaxResults;
        for (std::size_t i = 0; i < g_RunList.Size() && !g_Stopped; ++i) {
            const URLInfo* lpInput = g_RunList.At(i);
            if (lpInput) TrawlBacklinksOf(*lpInput, nLimit);
        }
    } catch (...) {
        g_Log.Write("Exception in BackTrawlMain");
    }
    g_Stopped = true;
    PostMessageA(g_hMainWnd, kWmFinished, 0, 0);
    return 0;
}

unsigned __stdcall BackTrawl(void*) {
    CWorkerCom com;
    unsigned nResult = 0;
    try {
        nResult = static_cast<unsigned>(BackTrawlMain());
    } catch (...) {
        g_Log.Write("Exception in BackTrawl");
    }
    return nResult;
}
