#include "request_router.h"

#include "checksum.h"
#include "engine_pages.h"
#include "sim_address.h"
#include "sim_text.h"

namespace simweb {

namespace {

constexpr long long kMaxResultsPerPage = 100;
constexpr long long kMaxStart = 1000000000LL;

HttpAnswer PlainText(std::string body) {
    HttpAnswer answer = MakeAnswer(200, std::move(body));
    answer.contentType = "text/plain";
    return answer;
}

std::size_t ParameterStart(const std::string& query, const char* szName) {
    std::string key = std::string(szName) + "=";
    for (std::size_t pos = query.find(key); pos != std::string::npos; pos = query.find(key, pos + 1))
        if (pos == 0 || query[pos - 1] == '&') return pos;
    return std::string::npos;
}

}  // namespace

HttpAnswer MakeAnswer(int nStatus, std::string body) {
    HttpAnswer answer;
    answer.nStatus = nStatus;
    answer.body = std::move(body);
    return answer;
}

bool FindParameter(const std::string& query, const char* szName, std::string& value) {
    std::size_t pos = ParameterStart(query, szName);
    if (pos == std::string::npos) return false;
    pos += std::char_traits<char>::length(szName) + 1;
    std::size_t end = query.find('&', pos);
    value = query.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    return true;
}

SearchQuery SplitSearchQuery(const std::string& query) {
    SearchQuery split;
    std::size_t pos = ParameterStart(query, "q");
    if (pos == std::string::npos) {
        split.rest = query;
        return split;
    }
    std::size_t start = pos + 2, end;
    std::string head = query.substr(start, 6);
    if (StartsWith(head, "info:")) {
        end = query.size();
    } else if (StartsWith(head, "link:") || StartsWith(head, "cache:")) {
        end = query.rfind("&num=");
        if (end == std::string::npos || end < start) end = query.size();
    } else {
        end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
    }
    split.q = query.substr(start, end - start);
    split.rest = query.substr(0, pos) + query.substr(end);
    return split;
}

CRequestRouter::CRequestRouter(const CCorpus& corpus, std::string engineHost, int nBlockQueries,
                               int64_t nBlockWindowMs)
    : m_corpus(corpus), m_engineHost(std::move(engineHost)), m_limiter(nBlockQueries, nBlockWindowMs) {}

HttpAnswer CRequestRouter::Answer(const ListenerRole& role, const std::string& target, int64_t nNowMs) {
    std::size_t question = target.find('?');
    std::string path = target.substr(0, question);
    std::string query = question == std::string::npos ? std::string() : target.substr(question + 1);
    if (role.bEngine && path == "/search") return Search(query, nNowMs);
    if (role.bEngine && path == "/") return MakeAnswer(200, EngineHomePage());
    if (role.bWhoIs && path == "/cgi-bin/checkdomain.pl") return WhoIs(query);
    if (role.nSite >= 0 && role.bToSecure) return MovedToSecure(role.nSite, target);
    if (role.nSite >= 0) return SitePage(role.nSite, path);
    return MakeAnswer(404, NotFoundPage());
}

HttpAnswer CRequestRouter::Search(const std::string& query, int64_t nNowMs) {
    if (!m_limiter.Admit(nNowMs)) return MakeAnswer(200, VerificationPage());
    SearchQuery search = SplitSearchQuery(query);
    if (StartsWith(search.q, "info:")) return Rank(search);
    if (StartsWith(search.q, "cache:")) return Cached("http://" + search.q.substr(6));
    if (StartsWith(search.q, "link:")) {
        int page = FindRawAddress(search.q.substr(5));
        return Results(page < 0 ? std::vector<int>() : m_corpus.Backlinks(page), search.rest);
    }
    return Results(m_corpus.Search(PercentDecode(search.q, true)), search.rest);
}

int CRequestRouter::FindRawAddress(const std::string& address) const {
    int page = m_corpus.FindPage(address);
    return page >= 0 ? page : m_corpus.FindPage(PercentDecode(address, false));
}

// A wrong checksum gets an empty answer; an address the engine does not
// know gets rank 0.
HttpAnswer CRequestRouter::Rank(const SearchQuery& search) const {
    std::string checksum, address = search.q.substr(5);
    FindParameter(search.rest, "ch", checksum);
    std::string decoded = PercentDecode(address, false);
    if (checksum != RankChecksum(address.c_str()) && checksum != RankChecksum(decoded.c_str()))
        return PlainText(std::string());
    int page = FindRawAddress(address);
    return PlainText(RankAnswer(page < 0 ? 0 : m_corpus.Rank(page)));
}

HttpAnswer CRequestRouter::Results(const std::vector<int>& results, const std::string& rest) const {
    std::string num, start;
    FindParameter(rest, "num", num);
    FindParameter(rest, "start", start);
    ResultWindow window = PlaceWindow(static_cast<long long>(results.size()), ParseNumber(start, 0, 0, kMaxStart),
                                      ParseNumber(num, 10, 1, kMaxResultsPerPage));
    return MakeAnswer(200, ResultPage(m_corpus, results, window, m_engineHost));
}

HttpAnswer CRequestRouter::Cached(const std::string& address) const {
    int page = FindRawAddress(address);
    return page < 0 ? MakeAnswer(404, NotFoundPage()) : MakeAnswer(200, CachedPage(m_corpus, page));
}

HttpAnswer CRequestRouter::WhoIs(const std::string& query) const {
    std::string domain;
    FindParameter(query, "domain", domain);
    domain = PercentDecode(domain, true);
    int site = m_corpus.FindSiteByHost(domain);
    std::size_t colon = domain.find(':');
    if (site < 0 && colon != std::string::npos) site = m_corpus.FindSiteByHost(domain.substr(0, colon));
    return MakeAnswer(200, WhoIsPage(m_corpus, site));
}

HttpAnswer CRequestRouter::MovedToSecure(int site, const std::string& target) const {
    HttpAnswer answer = MakeAnswer(301, "<html><body>Moved Permanently</body></html>\n");
    answer.location = "https://" + m_corpus.Site(site).host + target;
    return answer;
}

HttpAnswer CRequestRouter::SitePage(int site, const std::string& path) const {
    const SimSite& entry = m_corpus.Site(site);
    if (path == "/" && entry.home >= 0 && m_corpus.Page(entry.home).path != "/") {
        HttpAnswer answer = MakeAnswer(302, "<html><body>Moved</body></html>\n");
        answer.location = m_corpus.Page(entry.home).address;
        return answer;
    }
    int page = m_corpus.FindPage("http://" + entry.host + path);
    if (page < 0 || m_corpus.Page(page).site != site) return MakeAnswer(404, NotFoundPage());
    return MakeAnswer(200, m_corpus.Page(page).html);
}

}  // namespace simweb
