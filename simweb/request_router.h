#pragma once
// Which answer a request gets, by the address it came in on and its
// target: the engine (results, "link:", cache, toolbar rank), the WhoIs
// service, or a site's pages.
#include <cstdint>
#include <map>
#include <string>

#include "corpus.h"
#include "query_limiter.h"

namespace simweb {

struct HttpAnswer {
    int nStatus = 200;
    std::string contentType = "text/html";
    std::string body;
    std::string location;  // for redirects
    std::string retryAfter;  // seconds, for a refusal that says when to ask again
};

// A request's header fields by lower-case name, each as first sent.
using HeaderFields = std::map<std::string, std::string>;

// What one listening address serves; the engine and the WhoIs service
// may share one.
struct ListenerRole {
    bool bEngine = false;
    bool bWhoIs = false;
    int nSource = -1;  // one of today's sources (a SourceKind)
    bool bRdap = false;  // an RDAP server, known by its address
    int nSite = -1;
    int nHostile = -1;  // a hostile site's kind
    bool bToSecure = false;  // the site's plain http forwards every request to https
};

// An HTML answer with the given status and body.
HttpAnswer MakeAnswer(int nStatus, std::string body);

// The parts of a "/search" query as the engine reads them. The query text
// is taken raw: keywords end at the next "&"; a "link:" or "cache:"
// address runs to the paging parameters ("&num=") or to the end, and an
// "info:" address always to the end, since addresses may hold "&".
struct SearchQuery {
    std::string q;       // raw, as sent
    std::string rest;    // the other parameters
};
SearchQuery SplitSearchQuery(const std::string& query);
// Raw value of a parameter ("name=" at the start or after "&").
bool FindParameter(const std::string& query, const char* szName, std::string& value);

class CRequestRouter {
public:
    CRequestRouter(const CCorpus& corpus, std::string engineHost, int nBlockQueries, int64_t nBlockWindowMs);

    // target is the request target in origin form ("/path?query").
    HttpAnswer Answer(const ListenerRole& role, const std::string& target, int64_t nNowMs);

private:
    HttpAnswer Search(const std::string& query, int64_t nNowMs);
    HttpAnswer Rank(const SearchQuery& search) const;
    HttpAnswer Results(const std::vector<int>& results, const std::string& rest) const;
    HttpAnswer Cached(const std::string& address) const;
    HttpAnswer WhoIs(const std::string& query) const;
    HttpAnswer SitePage(int site, const std::string& path) const;
    HttpAnswer MovedToSecure(int site, const std::string& target) const;
    // The page named by a raw address, also when it came percent-escaped.
    int FindRawAddress(const std::string& address) const;

    const CCorpus& m_corpus;
    std::string m_engineHost;
    CQueryLimiter m_limiter;
};

}  // namespace simweb
