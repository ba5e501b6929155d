#include "web/service_queries_win.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <set>

#include "base/diagnostic_log.h"
#include "base/run_fence.h"
#include "base/run_state.h"
#include "evaluate/open_pagerank_answer.h"
#include "harvest/brave_results.h"
#include "harvest/searxng_results.h"
#include "web/engine_query_win.h"
#include "web/url_crack.h"

namespace {

constexpr int kBraveResultsPerPage = 20;
constexpr int kBraveLastOffset = 9;
constexpr int kUnknownRank = -1;
const char kTestQuery[] = "vitamin";
const char kTestDomain[] = "example.com";

struct RunSourceState {
    std::mutex lock;
    CSourceSettings sources;
    std::map<std::string, int> ranks;  // by domain; kUnknownRank: the service does not know it
    std::atomic<bool> bFaultTold{false};
};

RunSourceState& State() {
    static RunSourceState state;
    return state;
}

// A query's text as the services want it: the keyword lines are in the
// ANSI code page, the address takes UTF-8, percent-encoded.
std::string EncodedQuery(const std::string& query) {
    int nWide = MultiByteToWideChar(CP_ACP, 0, query.c_str(), static_cast<int>(query.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(nWide > 0 ? nWide : 0), L'\0');
    if (nWide > 0) MultiByteToWideChar(CP_ACP, 0, query.c_str(), static_cast<int>(query.size()), &wide[0], nWide);
    int nUtf8 = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(nUtf8 > 0 ? nUtf8 : 0), '\0');
    if (nUtf8 > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &utf8[0], nUtf8, nullptr, nullptr);
    return PercentEncoded(utf8);
}

std::string WithoutFinalSlash(std::string address) {
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address;
}

const char* ResultsServiceName(const CSourceSettings& sources) {
    return sources.results == EResultsSource::Brave ? "The Brave Search API" : "The SearXNG instance";
}

// What a configuration fault asks of the user.
std::string FixFor(AnswerOutcome eOutcome, const char* szService, const std::string& where) {
    switch (eOutcome) {
    case AnswerOutcome::JsonNotServed:
        return std::string(szService) + " at " + where +
               " does not serve JSON: add json under search: formats: in its settings.yml and restart it.";
    case AnswerOutcome::KeyRefused:
        return std::string(szService) + " refused the key: enter a valid key under Settings > Sources.";
    case AnswerOutcome::QuotaUsedUp:
        return std::string(szService) + " says the key's quota is used up: wait for the next period or use "
                                        "another key (Settings > Sources).";
    default:
        return std::string(szService) + " at " + where +
               " refused the request: check its address under Settings > Sources.";
    }
}

// A failure no request can mend: one message box per run, and the run
// stops as a stop request stops it.
void StopRunForFault(const std::string& text) {
    g_Log.Printf("Sources: %s The run stops.", text.c_str());
    WithinOwnRun([] { g_Stopped = true; });
    if (!OwnRunIsCurrent() || State().bFaultTold.exchange(true)) return;
    MessageBoxA(nullptr, text.c_str(), "Pellmark", MB_OK | MB_ICONERROR);
}

// No answer came: a server that cannot be reached or whose certificate is
// refused is the user's to mend; a time-out passes.
bool IsUnreachable(DWORD dwError) {
    return dwError == ERROR_WINHTTP_CANNOT_CONNECT || dwError == ERROR_WINHTTP_NAME_NOT_RESOLVED ||
           IsCertificateRefusal(dwError);
}

// A refused certificate is told as such: the address is right, and what
// mends it is the server's certificate (or trusting its authority).
std::string UnreachableText(const char* szService, const std::string& where, DWORD dwError) {
    char szText[512];
    if (IsCertificateRefusal(dwError))
        std::snprintf(szText, sizeof szText,
                      "%s at %s showed a certificate this computer refuses (error %u: expired, issued for another "
                      "name, or from an authority it does not trust): give the server a valid certificate, or "
                      "enter another address under Settings > Sources.",
                      szService, where.c_str(), static_cast<unsigned>(dwError));
    else
        std::snprintf(szText, sizeof szText,
                      "%s at %s could not be reached (error %u: a wrong address or a server that is down): check "
                      "the address under Settings > Sources.",
                      szService, where.c_str(), static_cast<unsigned>(dwError));
    return szText;
}

// The answer's outcome for the run: a configuration fault stops it, a
// transient one is logged. True when the answer is to be used.
bool Judge(AnswerOutcome eOutcome, const char* szService, const std::string& where) {
    if (eOutcome == AnswerOutcome::Ok) return true;
    if (IsConfigurationFault(eOutcome))
        StopRunForFault(FixFor(eOutcome, szService, where));
    else
        g_Log.Printf("Sources: %s at %s gave no usable answer this time (%s); the page counts as not loaded",
                     szService, where.c_str(), OutcomeText(eOutcome));
    return false;
}

// An answer that did not come: the user's to mend, or a passing fault.
void JudgeNoAnswer(const CPageAnswer& answer, const char* szService, const std::string& where) {
    if (IsUnreachable(answer.dwError))
        StopRunForFault(UnreachableText(szService, where, answer.dwError));
    else
        g_Log.Printf("Sources: no answer from %s at %s (error %u); the page counts as not loaded", szService,
                     where.c_str(), static_cast<unsigned>(answer.dwError));
}

SourcePage ReadPage(const CSourceSettings& sources, const CPageAnswer& answer, int nPage) {
    SourcePage page;
    if (sources.results == EResultsSource::Brave) {
        BraveResults results = ReadBraveResults(static_cast<int>(answer.dwStatus), answer.body);
        page.eOutcome = results.eOutcome;
        page.urls = std::move(results.urls);
        page.bLast = !results.bMoreResultsAvailable || nPage >= kBraveLastOffset;
        if (!results.szErrorCode.empty()) g_Log.Printf("Brave Search API: %s", results.szErrorCode.c_str());
        return page;
    }
    SearxngResults results = ReadSearxngResults(static_cast<int>(answer.dwStatus), answer.body);
    page.eOutcome = results.eOutcome;
    page.urls = std::move(results.urls);
    page.bLast = page.urls.empty();
    for (const auto& engine : results.unresponsiveEngines)
        g_Log.Printf("SearXNG: engine %s did not answer: %s", engine.first.c_str(), engine.second.c_str());
    if (!results.szError.empty()) g_Log.Printf("SearXNG: %s", results.szError.c_str());
    return page;
}

// The request of a result page: its address and its headers.
void ResultRequest(const CSourceSettings& sources, const std::string& query, int nPage, std::string& address,
                   std::string& headers) {
    headers = "Accept: application/json\r\n";
    if (sources.results == EResultsSource::Brave) {
        address = sources.braveEndpoint + "?q=" + EncodedQuery(query) +
                  "&count=" + std::to_string(kBraveResultsPerPage) + "&offset=" + std::to_string(nPage);
        headers += "X-Subscription-Token: " + sources.braveKey + "\r\n";
    } else {
        address = WithoutFinalSlash(sources.searxngInstance) + "/search?q=" + EncodedQuery(query) +
                  "&format=json&pageno=" + std::to_string(nPage + 1);
    }
}

std::string ResultsWhere(const CSourceSettings& sources) {
    return sources.results == EResultsSource::Brave ? sources.braveEndpoint : sources.searxngInstance;
}

std::string RankAddress(const CSourceSettings& sources, const std::string& query) {
    return sources.openPageRankEndpoint + "?" + query;
}

std::string RankHeaders(const CSourceSettings& sources) {
    return "Accept: application/json\r\nAPI-OPR: " + sources.openPageRankKey + "\r\n";
}

std::string DomainOf(const char* szAddress) {
    const std::string address = szAddress ? szAddress : "";
    HostRange range = HostSpan(address);
    return RankDomainOf(address.substr(range.nStart, range.nEnd - range.nStart));
}

bool KnownRank(const std::string& domain, int& nRank) {
    std::lock_guard<std::mutex> guard(State().lock);
    auto it = State().ranks.find(domain);
    if (it == State().ranks.end()) return false;
    nRank = it->second;
    return true;
}

void KeepRanks(const PageRankAnswer& answer, const std::vector<std::string>& asked) {
    std::lock_guard<std::mutex> guard(State().lock);
    // A domain the answer leaves out is one the service does not know.
    for (const std::string& domain : asked) State().ranks.emplace(domain, kUnknownRank);
    for (const auto& rank : answer.ranks) State().ranks[rank.first] = rank.second ? *rank.second : kUnknownRank;
}

// Asks for the domains' ranks, 100 to a request, and keeps them for the
// run; asks no more once a fault has stopped the run.
void AskRanks(const CSourceSettings& sources, const std::vector<std::string>& domains, int nProgress) {
    const char* szService = "Open PageRank";
    std::size_t nFrom = 0;
    for (const std::string& query : BuildRankQueries(domains)) {
        const std::size_t nTo = std::min(domains.size(), nFrom + kMaxDomainsPerRankRequest);
        const std::vector<std::string> asked(domains.begin() + static_cast<std::ptrdiff_t>(nFrom),
                                             domains.begin() + static_cast<std::ptrdiff_t>(nTo));
        nFrom = nTo;
        CPageAnswer answer = LoadServiceAnswer(RankAddress(sources, query), RankHeaders(sources), nProgress);
        if (!answer.Answered()) {
            JudgeNoAnswer(answer, szService, sources.openPageRankEndpoint);
            continue;
        }
        PageRankAnswer ranks = ReadPageRankAnswer(static_cast<int>(answer.dwStatus), answer.body);
        if (Judge(ranks.eOutcome, szService, sources.openPageRankEndpoint)) KeepRanks(ranks, asked);
        if (!RunGoesOn()) return;
    }
}

}  // namespace

void BeginRunSources() {
    RunSourceState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.sources = TakeSourceSettings();
    state.ranks.clear();
    state.bFaultTold = false;
}

CSourceSettings RunSources() {
    std::lock_guard<std::mutex> guard(State().lock);
    return State().sources;
}

SourcePage LoadSourcePage(const CSourceSettings& sources, const std::string& query, int nPage, int nProgress) {
    std::string address, headers;
    ResultRequest(sources, query, nPage, address, headers);
    CPageAnswer answer = LoadServiceAnswer(address, headers, nProgress);
    SourcePage page;
    if (!answer.Answered()) {
        JudgeNoAnswer(answer, ResultsServiceName(sources), ResultsWhere(sources));
        page.eOutcome = AnswerOutcome::ServiceFault;
        return page;
    }
    page = ReadPage(sources, answer, nPage);
    Judge(page.eOutcome, ResultsServiceName(sources), ResultsWhere(sources));
    return page;
}

void LearnSourceRanks(const CSourceSettings& sources, const std::vector<std::string>& addresses, int nProgress) {
    std::vector<std::string> domains;
    std::set<std::string> seen;
    int nRank = 0;
    for (const std::string& address : addresses) {
        std::string domain = DomainOf(address.c_str());
        if (!domain.empty() && !KnownRank(domain, nRank) && seen.insert(domain).second) domains.push_back(domain);
    }
    if (!domains.empty()) AskRanks(sources, domains, nProgress);
}

int SourceRank(const CSourceSettings& sources, const char* szAddress, int nProgress) {
    const std::string domain = DomainOf(szAddress);
    int nRank = kUnknownRank;
    if (!KnownRank(domain, nRank)) {
        LearnSourceRanks(sources, {szAddress ? szAddress : ""}, nProgress);
        KnownRank(domain, nRank);
    }
    if (nRank != kUnknownRank) return nRank;
    g_Log.Printf("Open PageRank knows no rank for %s: rank 0", domain.c_str());
    return 0;
}

namespace {

// What a test's request brought, in plain words; empty when it answered
// and its outcome is Ok (the caller tells what it found).
std::string DescribeFailure(const CPageAnswer& answer, AnswerOutcome eOutcome, const char* szService,
                            const std::string& where) {
    if (!answer.Answered()) {
        if (IsUnreachable(answer.dwError)) return UnreachableText(szService, where, answer.dwError);
        return std::string(szService) + " at " + where + " gave no answer in time; try again.";
    }
    if (eOutcome == AnswerOutcome::Ok) return std::string();
    if (IsConfigurationFault(eOutcome)) return FixFor(eOutcome, szService, where);
    return std::string(szService) + " at " + where + " gave no usable answer (status " +
           std::to_string(answer.dwStatus) + "); try again in a while.";
}

}  // namespace

std::string TestResultsSource(const CSourceSettings& sources) {
    if (sources.results == EResultsSource::Classic)
        return "Classic result pages come from the search engine built in (" PELLMARK_SEARCH_ORIGIN ").";
    std::string address, headers;
    ResultRequest(sources, kTestQuery, 0, address, headers);
    CPageAnswer answer = CPageLoader().LoadAnswer(address.c_str(), headers, 0);
    SourcePage page;
    if (answer.Answered()) page = ReadPage(sources, answer, 0);
    std::string failure = DescribeFailure(answer, page.eOutcome, ResultsServiceName(sources), ResultsWhere(sources));
    if (!failure.empty()) return failure;
    return std::to_string(page.urls.size()) + " results for '" + kTestQuery + "'";
}

std::string TestRankSource(const CSourceSettings& sources) {
    if (sources.rank == ERankSource::Classic)
        return "Classic ranks come from the rank service built in (" PELLMARK_SEARCH_ORIGIN ").";
    const std::vector<std::string> queries = BuildRankQueries({kTestDomain});
    CPageAnswer answer =
        CPageLoader().LoadAnswer(RankAddress(sources, queries.front()).c_str(), RankHeaders(sources), 0);
    PageRankAnswer ranks;
    if (answer.Answered()) ranks = ReadPageRankAnswer(static_cast<int>(answer.dwStatus), answer.body);
    std::string failure = DescribeFailure(answer, ranks.eOutcome, "Open PageRank", sources.openPageRankEndpoint);
    if (!failure.empty()) return failure;
    auto it = ranks.ranks.find(kTestDomain);
    if (it == ranks.ranks.end() || !it->second) return std::string("Open PageRank does not know ") + kTestDomain;
    return "rank " + std::to_string(*it->second) + " for " + kTestDomain;
}
