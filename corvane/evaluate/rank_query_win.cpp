#include "evaluate/rank_query_win.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "base/diagnostic_log.h"
#include "base/run_state.h"
#include "evaluate/query_answers.h"
#include "web/engine_query_win.h"
#include "web/service_queries_win.h"
#include "web/tools_library.h"

namespace {

constexpr std::size_t kRankQuerySize = 4096;
constexpr std::size_t kLinkQueryMax = 65535;

}  // namespace

int GetCorvane(const char* szAddress, int nProgress) {
    if (!szAddress) {
        g_Log.Write("URL is NULL");
        return 0;
    }
    g_Log.Printf("Enter GetCorvane(%s)", szAddress);
    const CSourceSettings sources = RunSources();
    if (sources.rank == ERankSource::OpenPageRank)
        return SourceRank(sources, szAddress, nProgress >= 0 ? nProgress : g_nLinks.load());
    char szChecksum[kChecksumSize] = {};
    if (g_pfnGetCH) g_pfnGetCH(szAddress, szChecksum);
    szChecksum[kChecksumSize - 1] = '\0';
    char szQuery[kRankQuerySize];
    std::snprintf(szQuery, sizeof szQuery,
                  PELLMARK_SEARCH_ORIGIN
                  "/search?client=navclient-auto&ch=%s&ie=UTF-8&oe=UTF-8&features=Rank&q=info:%s",
                  szChecksum, szAddress);
    std::string response = LoadEnginePage(szQuery, nProgress >= 0 ? nProgress : g_nLinks.load());
    if (response.empty() || response == "fail") return 0;
    int32_t nRank = ParseRankAnswer(response);
    g_Log.Write("Leave GetCorvane!\n");
    return nRank;
}

int GetBackwardLinks(const URLInfo* lpInfo) {
    if (!lpInfo) return 0;
    if (!RunSources().CountsBacklinks()) return kNotMeasured;
    std::string szQuery = PELLMARK_SEARCH_ORIGIN "/search?q=link:";
    szQuery.append(lpInfo->Source, strnlen(lpInfo->Source, sizeof lpInfo->Source));
    if (szQuery.size() > kLinkQueryMax) szQuery.resize(kLinkQueryMax);
    std::string response = LoadEnginePage(szQuery.c_str(), g_nLinks);
    if (response.empty()) g_Log.Printf("Fail to Load page:%s", szQuery.c_str());
    return ParseBackwardLinksAnswer(response);
}
