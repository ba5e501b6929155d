#pragma once
// Today's sources on the local web, each written from its service's
// public documentation: a SearXNG instance's search (JSON and HTML), the
// Brave Search API's web search and the Open PageRank API. They answer
// from the same corpus as the engine (its results in its order, ranks
// from its PageRank), and each can be switched to fail the way the real
// service fails, at start or while it serves.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "corpus.h"
#include "request_router.h"

namespace simweb {

enum class SourceKind { SearXng, Brave, OpenPageRank };
constexpr std::size_t kSourceKinds = 3;
// "searxng", "brave", "openpagerank": the names the command line uses.
const char* SourceName(SourceKind kind);

// The failures a source can be switched to. The lasting ones hold until
// switched off again; a "once" one spoils the next answer of the source
// only and is then spent.
struct SourceFaults {
    bool bJsonOff = false;        // SearXNG: an instance that serves HTML only (403)
    bool bKeyRefused = false;     // Brave, Open PageRank: every key is refused
    bool bQuotaUsed = false;      // Brave: the plan's quota is used up (429)
    bool bRateLimitOnce = false;  // the next request is refused with 429
    bool bMalformedOnce = false;  // the next answer arrives cut off half-way
};

struct SourceService {
    std::string host;  // empty: not served
    std::string key;   // the token (Brave) or key (Open PageRank) it accepts
    SourceFaults faults;
};
using SourceServices = std::array<SourceService, kSourceKinds>;

constexpr char kDefaultBraveToken[] = "simweb-brave-token";
constexpr char kDefaultOpenPageRankKey[] = "simweb-openpagerank-key";
// None served; the default token and key.
SourceServices DefaultSourceServices();

// SearXNG has no page size of its own: a page holds what its engines
// return for it, and the one engine here pages by ten as the classic
// engine does.
constexpr long long kSearXngPageSize = 10;
constexpr long long kBraveMaxCount = 20;
constexpr long long kBraveMaxOffset = 9;
constexpr std::size_t kMaxRankDomains = 100;

class CSourceServices {
public:
    CSourceServices(const CCorpus& corpus, const SourceServices& services);
    CSourceServices(const CSourceServices&) = delete;
    CSourceServices& operator=(const CSourceServices&) = delete;

    // target is the request target in origin form ("/path?query").
    HttpAnswer Answer(SourceKind kind, const std::string& target, const HeaderFields& fields);
    void SetFaults(SourceKind kind, const SourceFaults& faults);

private:
    SourceFaults TakeFaults(SourceKind kind);
    HttpAnswer SearXng(const std::string& path, const std::string& query, const SourceFaults& faults) const;
    HttpAnswer Brave(const std::string& path, const std::string& query, const HeaderFields& fields,
                     const SourceFaults& faults);
    HttpAnswer OpenPageRank(const std::string& path, const std::string& query, const HeaderFields& fields,
                            const SourceFaults& faults) const;
    HttpAnswer RateLimited(SourceKind kind);
    HttpAnswer BraveError(int nStatus, const char* szCode, const char* szDetail, const char* szComponent);
    // Open PageRank's decimal for a site: its home page's PageRank on the
    // toolbar's scale, kept within the half step that rounds to the home
    // page's toolbar rank, which is the integer.
    double DomainRankDecimal(int site) const;

    const CCorpus& m_corpus;
    SourceServices m_services;  // the faults under the lock
    std::mutex m_lock;
    std::atomic<uint32_t> m_nErrors{0};
    double m_dLowRank = 0, m_dHighRank = 0;
    std::vector<int> m_places;  // site -> place by home PageRank, 0 without a home
    std::string m_lastUpdated;
};

}  // namespace simweb
