#include "run/backlink_run_win.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/result_list.h"
#include "base/run_fence.h"
#include "base/run_state.h"
#include "report/text_report.h"
#include "run/evaluation_thread_win.h"
#include "run/keyword_run_win.h"
#include "run/run_controller_win.h"
#include "ui/main_window_win.h"

namespace {

constexpr std::size_t kSearchTextSize = 2048;

// One typed address: its marker, its "link:" result pages, its report part.
void TrawlBacklinksOf(const URLInfo& input, int nLimit, CEvaluationThread& evaluation) {
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
    WalkResultPages(szSearch, nLimit, reportList, evaluation);
    WithinOwnRun([&] { CreateTextResults(false, "", &reportList, true); });
}

// A copy of the typed address at nIndex while the run is this thread's;
// false at the end of the list or of the run.
bool TakeInput(std::size_t nIndex, URLInfo& input) {
    bool bTaken = false;
    WithinOwnRun([&] {
        const URLInfo* lpInput = g_RunList.At(nIndex);
        if (lpInput) input = *lpInput;
        bTaken = lpInput != nullptr;
    });
    return bTaken;
}

}  // namespace

int BackTrawlMain() {
    WithinOwnRun([] {
        g_Stopped = false;
        g_nFollowed = 0;
        g_nLinks = 0;
    });
    // The thread's one barrier: a failure ends the run as if it were done.
    Guarded("Exception in BackTrawlMain", [] {
        WithinOwnRun([] { ClearTextResults(); });
        int nLimit = g_nMaxResults;
        URLInfo input;
        CEvaluationThread evaluation;
        for (std::size_t i = 0; RunGoesOn() && TakeInput(i, input); ++i) TrawlBacklinksOf(input, nLimit, evaluation);
    });
    FinishRun(0);
    return 0;
}

unsigned __stdcall BackTrawl(void*) {
    CWorkerCom com;
    return static_cast<unsigned>(BackTrawlMain());
}
