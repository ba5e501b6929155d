#include "source_services.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <utility>

#include <nlohmann/json.hpp>

#include "engine_pages.h"
#include "page_rank.h"
#include "sim_text.h"

namespace simweb {

namespace {

using Json = nlohmann::ordered_json;
using QueryParams = std::vector<std::pair<std::string, std::string>>;

// The one engine behind the SearXNG instance.
constexpr char kEngineName[] = "simweb";
constexpr std::size_t kBraveMaxQueryLength = 400;
constexpr std::size_t kBraveMaxQueryWords = 50;
constexpr long long kMaxPageNumber = 1000000000LL;

std::size_t Index(SourceKind kind) { return static_cast<std::size_t>(kind); }

// Names and values decoded as a form decodes them ("+" a blank), in order.
QueryParams SplitQuery(const std::string& query) {
    QueryParams params;
    for (std::size_t start = 0; start <= query.size();) {
        std::size_t end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        std::string pair = query.substr(start, end - start);
        std::size_t equals = pair.find('=');
        if (!pair.empty())
            params.emplace_back(PercentDecode(pair.substr(0, equals), true),
                                equals == std::string::npos ? std::string() : PercentDecode(pair.substr(equals + 1), true));
        start = end + 1;
    }
    return params;
}

// The first value of a parameter.
bool FindValue(const QueryParams& params, const char* szName, std::string& value) {
    auto it = std::find_if(params.begin(), params.end(), [&](const auto& param) { return param.first == szName; });
    if (it == params.end()) return false;
    value = it->second;
    return true;
}

// A whole-number parameter: its default when absent, false when present
// but out of bounds or no number.
bool NumberParameter(const QueryParams& params, const char* szName, long long nDefault, long long nMin, long long nMax,
                     long long& nValue) {
    std::string text;
    nValue = nDefault;
    return !FindValue(params, szName, text) || ReadCount(text, nMin, nMax, nValue);
}

std::vector<int> PageOf(const std::vector<int>& results, long long nStart, long long nCount) {
    if (nStart >= static_cast<long long>(results.size())) return {};
    long long nEnd = std::min(nStart + nCount, static_cast<long long>(results.size()));
    return std::vector<int>(results.begin() + nStart, results.begin() + nEnd);
}

// Text that is no valid UTF-8 (a query may be any bytes) is written with
// replacement characters instead of failing the answer.
HttpAnswer JsonAnswer(int nStatus, const Json& value) {
    HttpAnswer answer = MakeAnswer(nStatus, value.dump(-1, ' ', false, Json::error_handler_t::replace));
    answer.contentType = "application/json";
    return answer;
}

std::string StatusPage(const std::string& title, const std::string& text) {
    return "<!doctype html>\n<html lang=en>\n<title>" + HtmlEscape(title) + "</title>\n<h1>" +
           HtmlEscape(title.substr(title.find(' ') + 1)) + "</h1>\n<p>" + HtmlEscape(text) + "</p>\n";
}

std::string SearXngPage(const CCorpus& corpus, const std::string& q, const std::vector<int>& pages) {
    std::string html = "<!DOCTYPE html>\n<html><head><title>" + HtmlEscape(q) +
                       " - SearXNG</title></head>\n<body>\n<form id=\"search\" action=\"/search\" method=\"get\">"
                       "<input type=\"text\" name=\"q\" value=\"" +
                       HtmlEscape(q) + "\"></form>\n<div id=\"urls\">\n";
    for (int page : pages)
        html += "<article class=\"result\"><h3><a href=\"" + HtmlEscape(corpus.Page(page).address) + "\">" +
                HtmlEscape(corpus.Title(page)) + "</a></h3><p class=\"content\">" + HtmlEscape(corpus.Snippet(page)) +
                "</p></article>\n";
    return html + "</div>\n</body></html>\n";
}

Json SearXngJson(const CCorpus& corpus, const std::string& q, const std::vector<int>& pages, std::size_t nTotal) {
    Json results = Json::array();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        Json result;
        result["url"] = corpus.Page(pages[i]).address;
        result["title"] = corpus.Title(pages[i]);
        result["content"] = corpus.Snippet(pages[i]);
        result["engine"] = kEngineName;
        result["engines"] = Json::array({kEngineName});
        result["positions"] = Json::array({i + 1});
        result["category"] = "general";
        results.push_back(std::move(result));
    }
    Json answer;
    answer["query"] = q;
    answer["number_of_results"] = nTotal;
    answer["results"] = std::move(results);
    for (const char* szEmpty : {"answers", "corrections", "infoboxes", "suggestions", "unresponsive_engines"})
        answer[szEmpty] = Json::array();
    return answer;
}

// SearXNG's own answer to a bad request, in the format asked for.
HttpAnswer SearXngError(bool bJson, const std::string& message) {
    return bJson ? JsonAnswer(400, Json{{"error", message}}) : MakeAnswer(400, StatusPage("400 Bad Request", message));
}

bool BraveQueryFits(const std::string& q) {
    std::size_t nWords = 0;
    for (std::size_t i = 0; i < q.size(); ++i)
        if (q[i] != ' ' && (i == 0 || q[i - 1] == ' ')) ++nWords;
    return !q.empty() && q.size() <= kBraveMaxQueryLength && nWords <= kBraveMaxQueryWords;
}

// "domains[]" as the documentation writes it, and "domains[0]", "domains[1]"
// as clients that number the array send it.
bool IsDomainsParameter(const std::string& name) {
    const std::string kStart = "domains[";
    if (name.size() <= kStart.size() || name.compare(0, kStart.size(), kStart) != 0 || name.back() != ']') return false;
    std::string index = name.substr(kStart.size(), name.size() - kStart.size() - 1);
    return index.find_first_not_of("0123456789") == std::string::npos;
}

// Open PageRank writes "26th August 2026".
std::string DayText(std::time_t now) {
    const std::tm* pTime = std::gmtime(&now);
    if (!pTime) return std::string();
    int nDay = pTime->tm_mday;
    const char* szSuffix = (nDay / 10 == 1 || nDay % 10 > 3 || nDay % 10 == 0) ? "th"
                           : nDay % 10 == 1                                    ? "st"
                           : nDay % 10 == 2                                    ? "nd"
                                                                               : "rd";
    char szMonth[32];
    std::strftime(szMonth, sizeof szMonth, "%B %Y", pTime);
    return std::to_string(nDay) + szSuffix + " " + szMonth;
}

HttpAnswer OpenPageRankRefusal(int nStatus, const char* szMessage) {
    return JsonAnswer(nStatus, Json{{"status_code", nStatus}, {"message", szMessage}});
}

}  // namespace

const char* SourceName(SourceKind kind) {
    static const char* const kNames[kSourceKinds] = {"searxng", "brave", "openpagerank"};
    return kNames[Index(kind)];
}

SourceServices DefaultSourceServices() {
    SourceServices services;
    services[Index(SourceKind::Brave)].key = kDefaultBraveToken;
    services[Index(SourceKind::OpenPageRank)].key = kDefaultOpenPageRankKey;
    return services;
}

CSourceServices::CSourceServices(const CCorpus& corpus, const SourceServices& services)
    : m_corpus(corpus), m_services(services), m_places(corpus.SiteCount(), 0), m_lastUpdated(DayText(std::time(nullptr))) {
    for (std::size_t p = 0; p < corpus.PageCount(); ++p) {
        double dValue = corpus.PageRankValue(static_cast<int>(p));
        m_dLowRank = p == 0 ? dValue : std::min(m_dLowRank, dValue);
        m_dHighRank = p == 0 ? dValue : std::max(m_dHighRank, dValue);
    }
    std::vector<int> sites;
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s)
        if (corpus.Site(static_cast<int>(s)).home >= 0) sites.push_back(static_cast<int>(s));
    std::sort(sites.begin(), sites.end(), [&](int a, int b) {
        double dA = corpus.PageRankValue(corpus.Site(a).home), dB = corpus.PageRankValue(corpus.Site(b).home);
        return dA != dB ? dA > dB : corpus.Site(a).host < corpus.Site(b).host;
    });
    for (std::size_t i = 0; i < sites.size(); ++i) m_places[static_cast<std::size_t>(sites[i])] = static_cast<int>(i + 1);
}

void CSourceServices::SetFaults(SourceKind kind, const SourceFaults& faults) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_services[Index(kind)].faults = faults;
}

// The faults for one answer; a "once" fault is spent by it, and a 429
// spoils that answer alone, so a cut-off answer waits for the next one.
SourceFaults CSourceServices::TakeFaults(SourceKind kind) {
    std::lock_guard<std::mutex> guard(m_lock);
    SourceFaults& faults = m_services[Index(kind)].faults;
    SourceFaults taken = faults;
    if (faults.bRateLimitOnce) {
        faults.bRateLimitOnce = false;
        taken.bMalformedOnce = false;
    } else {
        faults.bMalformedOnce = false;
    }
    return taken;
}

HttpAnswer CSourceServices::Answer(SourceKind kind, const std::string& target, const HeaderFields& fields) {
    std::size_t question = target.find('?');
    std::string path = target.substr(0, question);
    std::string query = question == std::string::npos ? std::string() : target.substr(question + 1);
    SourceFaults faults = TakeFaults(kind);
    if (faults.bRateLimitOnce) return RateLimited(kind);
    HttpAnswer answer = kind == SourceKind::SearXng ? SearXng(path, query, faults)
                        : kind == SourceKind::Brave ? Brave(path, query, fields, faults)
                                                    : OpenPageRank(path, query, fields, faults);
    if (faults.bMalformedOnce) answer.body.resize(answer.body.size() / 2);
    return answer;
}

HttpAnswer CSourceServices::RateLimited(SourceKind kind) {
    switch (kind) {
        case SourceKind::SearXng:
            return MakeAnswer(429, StatusPage("429 Too Many Requests",
                                              "This user has exceeded an allotted request count. Try again later."));
        case SourceKind::Brave:
            return BraveError(429, "RATE_LIMITED", "Request rate limit exceeded for plan.", "rate_limiter");
        default:
            return OpenPageRankRefusal(429, "Rate limit exceeded");
    }
}

// GET / and GET /search. JSON only where the instance's settings list it
// under search formats; any format it does not serve is forbidden.
HttpAnswer CSourceServices::SearXng(const std::string& path, const std::string& query, const SourceFaults& faults) const {
    if (path != "/" && path != "/search") return MakeAnswer(404, NotFoundPage());
    QueryParams params = SplitQuery(query);
    std::string format, q, pageno;
    FindValue(params, "format", format);
    const bool bJson = format == "json";
    if ((bJson && faults.bJsonOff) || (!bJson && !format.empty() && format != "html"))
        return MakeAnswer(403, StatusPage("403 Forbidden",
                                          "You don't have the permission to access the requested resource. It is "
                                          "either read-protected or not readable by the server."));
    long long nPage = 1;
    if (FindValue(params, "pageno", pageno) && !ReadCount(pageno, 1, kMaxPageNumber, nPage))
        return SearXngError(bJson, "Invalid value \"" + pageno + "\" for parameter pageno");
    FindValue(params, "q", q);
    if (q.empty()) return bJson ? SearXngError(true, "No query") : MakeAnswer(200, SearXngPage(m_corpus, q, {}));
    std::vector<int> results = m_corpus.Search(q);
    std::vector<int> pages = PageOf(results, (nPage - 1) * kSearXngPageSize, kSearXngPageSize);
    return bJson ? JsonAnswer(200, SearXngJson(m_corpus, q, pages, results.size()))
                 : MakeAnswer(200, SearXngPage(m_corpus, q, pages));
}

HttpAnswer CSourceServices::BraveError(int nStatus, const char* szCode, const char* szDetail, const char* szComponent) {
    char szId[40];
    std::snprintf(szId, sizeof szId, "00000000-0000-4000-8000-%012lx", static_cast<unsigned long>(++m_nErrors));
    Json error;
    error["id"] = szId;
    error["status"] = nStatus;
    error["code"] = szCode;
    error["detail"] = szDetail;
    error["meta"] = szComponent ? Json{{"component", szComponent}} : Json::object();
    Json body;
    body["type"] = "ErrorResponse";
    body["error"] = std::move(error);
    body["time"] = static_cast<long long>(std::time(nullptr));
    return JsonAnswer(nStatus, body);
}

// GET /res/v1/web/search: count results a page, offset counting pages.
// A page without web results has no "web" at all, as the documentation
// lets the service answer.
HttpAnswer CSourceServices::Brave(const std::string& path, const std::string& query, const HeaderFields& fields,
                                  const SourceFaults& faults) {
    if (path != "/res/v1/web/search") return MakeAnswer(404, NotFoundPage());
    auto token = fields.find("x-subscription-token");
    if (faults.bKeyRefused || token == fields.end() || token->second.empty() ||
        token->second != m_services[Index(SourceKind::Brave)].key)
        return BraveError(422, "SUBSCRIPTION_TOKEN_INVALID", "The provided subscription token is invalid.",
                          "authentication");
    if (faults.bQuotaUsed) return BraveError(429, "QUOTA_LIMITED", "Request quota limit exceeded for plan.", "rate_limiter");
    QueryParams params = SplitQuery(query);
    std::string q;
    long long nCount = 0, nOffset = 0;
    if (!FindValue(params, "q", q) || !BraveQueryFits(q) ||
        !NumberParameter(params, "count", kBraveMaxCount, 1, kBraveMaxCount, nCount) ||
        !NumberParameter(params, "offset", 0, 0, kBraveMaxOffset, nOffset))
        return BraveError(422, "VALIDATION", "Unable to validate request parameter(s)", nullptr);
    std::vector<int> results = m_corpus.Search(q);
    std::vector<int> pages = PageOf(results, nOffset * nCount, nCount);
    Json answer;
    answer["type"] = "search";
    answer["query"] = Json{{"original", q},
                           {"more_results_available",
                            nOffset < kBraveMaxOffset && (nOffset + 1) * nCount < static_cast<long long>(results.size())}};
    if (!pages.empty()) {
        Json list = Json::array();
        for (int page : pages)
            list.push_back(Json{{"type", "search_result"},
                                {"title", m_corpus.Title(page)},
                                {"url", m_corpus.Page(page).address},
                                {"description", m_corpus.Snippet(page)}});
        answer["web"] = Json{{"type", "search"}, {"results", std::move(list)}, {"family_friendly", true}};
    }
    return JsonAnswer(200, answer);
}

double CSourceServices::DomainRankDecimal(int site) const {
    int home = m_corpus.Site(site).home;
    double dRank = m_corpus.Rank(home);
    double dDecimal = ToolbarScale(m_corpus.PageRankValue(home), m_dLowRank, m_dHighRank) - 0.5;
    dDecimal = std::max(std::min(std::max(dDecimal, dRank - 0.5), dRank + 0.49), 0.0);
    return std::round(dDecimal * 100) / 100;
}

// GET /api/v1.0/getPageRank. A domain is a site's host, the name its
// pages' addresses carry, or the site's name where a site is reached by
// it (the demo's hosts file); its rank is its home page's, and "rank" its
// place among the sites by that page's PageRank. The service's one
// refusal names a bad key and too many domains alike, so both get it.
HttpAnswer CSourceServices::OpenPageRank(const std::string& path, const std::string& query, const HeaderFields& fields,
                                         const SourceFaults& faults) const {
    if (path != "/api/v1.0/getPageRank") return MakeAnswer(404, NotFoundPage());
    const char kRefused[] = "Invalid API Key or Domain limit reached";
    auto key = fields.find("api-opr");
    if (faults.bKeyRefused || key == fields.end() || key->second.empty() ||
        key->second != m_services[Index(SourceKind::OpenPageRank)].key)
        return OpenPageRankRefusal(401, kRefused);
    std::vector<std::string> domains;
    for (const auto& param : SplitQuery(query))
        if (IsDomainsParameter(param.first)) domains.push_back(param.second);
    if (domains.size() > kMaxRankDomains) return OpenPageRankRefusal(401, kRefused);
    Json items = Json::array();
    for (const std::string& domain : domains) {
        int site = m_corpus.FindSiteByHost(domain);
        if (site < 0) site = m_corpus.FindSiteByName(domain);
        Json item;
        if (site >= 0 && m_corpus.Site(site).home >= 0) {
            double dDecimal = DomainRankDecimal(site);
            item["status_code"] = 200;
            item["error"] = "";
            item["page_rank_integer"] = m_corpus.Rank(m_corpus.Site(site).home);
            // A whole decimal is written as a whole number, as the service writes it.
            item["page_rank_decimal"] = dDecimal == std::floor(dDecimal) ? Json(static_cast<int>(dDecimal)) : Json(dDecimal);
            item["rank"] = std::to_string(m_places[static_cast<std::size_t>(site)]);
        } else {
            item["status_code"] = 404;
            item["error"] = "Domain not found";
            item["page_rank_integer"] = 0;
            item["page_rank_decimal"] = 0;
            item["rank"] = nullptr;
        }
        item["domain"] = domain;
        items.push_back(std::move(item));
    }
    return JsonAnswer(200, Json{{"status_code", 200}, {"response", std::move(items)}, {"last_updated", m_lastUpdated}});
}

}  // namespace simweb
