#pragma once
// Open PageRank's getPageRank: the names to ask for, the request queries
// and the 0-10 ranks of its answer. Portable.
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/answer_outcome.h"

constexpr std::size_t kMaxDomainsPerRankRequest = 100;

// The name to ask the service for a host's rank. Its ranks come from Common
// Crawl's domain-level graph, which folds every host into its registrable
// domain, so www.example.com and blog.example.com are both asked for as
// example.com. The program carries no public suffix list: the registrable
// domain is the last two labels, or the last three where the label before
// a two-letter country code is one of the usual second-level registries
// (co.uk, com.au, ne.jp...). The host is lower-cased and loses a user part,
// a port and a final dot; an address literal (IPv4, or IPv6 in brackets)
// is asked for as it is.
std::string RankDomainOf(const std::string& host);

// One query per request, in order, 100 domains a request at most:
// "domains%5B%5D=a.com&domains%5B%5D=b.com", each name percent-encoded.
std::vector<std::string> BuildRankQueries(const std::vector<std::string>& domains);

struct PageRankAnswer {
    AnswerOutcome eOutcome = AnswerOutcome::Malformed;
    // Each domain of the answer, lower-cased, with its page_rank_integer;
    // nullopt where the service does not know it (404 "Domain not found")
    // or gives no rank from 0 to 10. The first item for a domain counts.
    // A domain the answer leaves out is unknown as well.
    std::map<std::string, std::optional<int>> ranks;
};

// A refused key is 401 or 403; a 429 is a limit reached, which passes (the
// next request may be answered). The service repeats its status as the answer's
// status_code: a 2xx answer whose status_code says otherwise is read as
// that status. The rest as OutcomeOfStatus says. Never throws.
PageRankAnswer ReadPageRankAnswer(int nStatus, const std::string& body) noexcept;
