#include "evaluate/open_pagerank_answer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "base/json_answer.h"
#include "web/url_crack.h"

using nlohmann::json;

namespace {

// The longest name DNS allows; a longer "domain" is no answer for one.
constexpr std::size_t kMaxDomainLength = 253;

bool IsIpv4Literal(const std::string& name) {
    return !name.empty() && name.find_first_not_of("0123456789.") == std::string::npos;
}

// Second-level labels under which country registries hand out names.
bool IsSecondLevelRegistry(const std::string& label) {
    static const char* const kRegistries[] = {"ac", "co",  "com", "edu", "go",  "gob", "gov", "ltd",
                                              "mil", "ne", "net", "or",  "org", "plc", "sch"};
    return std::any_of(std::begin(kRegistries), std::end(kRegistries),
                       [&](const char* szRegistry) { return label == szRegistry; });
}

std::optional<int> RankOf(const json& item) {
    const json* lpStatus = Member(item, "status_code");
    const json* lpRank = Member(item, "page_rank_integer");
    int64_t nStatus = 0;
    int64_t nRank = 0;
    if (!lpStatus || !ReadWholeNumber(*lpStatus, nStatus) || nStatus != 200) return std::nullopt;
    if (!lpRank || !ReadWholeNumber(*lpRank, nRank) || nRank < 0 || nRank > 10) return std::nullopt;
    return static_cast<int>(nRank);
}

void Read(int nStatus, const std::string& body, PageRankAnswer& answerOut) {
    json answer;
    bool bParsed = false;
    if (OutcomeOfStatus(nStatus) == AnswerOutcome::Ok) {
        bParsed = ParseBoundedJson(body, answer);
        const json* lpStatus = bParsed ? Member(answer, "status_code") : nullptr;
        int64_t nBodyStatus = 0;
        if (lpStatus && ReadWholeNumber(*lpStatus, nBodyStatus) && nBodyStatus >= 100 && nBodyStatus <= 599)
            nStatus = static_cast<int>(nBodyStatus);
    }
    if (nStatus == 401 || nStatus == 403) {
        answerOut.eOutcome = AnswerOutcome::KeyRefused;
        return;
    }
    // A 429 may be the hour's limit or the key's quota: asked again later,
    // the next result page's ranks may well come, so it passes.
    if (nStatus == 429) {
        answerOut.eOutcome = AnswerOutcome::RateLimited;
        return;
    }
    if (OutcomeOfStatus(nStatus) != AnswerOutcome::Ok) {
        answerOut.eOutcome = OutcomeOfStatus(nStatus);
        return;
    }
    const json* lpResponse = bParsed ? Member(answer, "response") : nullptr;
    if (!lpResponse || !lpResponse->is_array()) return;  // Malformed
    for (const json& item : *lpResponse) {
        if (answerOut.ranks.size() >= kMaxKeptResults) break;
        const json* lpDomain = Member(item, "domain");
        if (!lpDomain || !lpDomain->is_string()) continue;
        const std::string& domain = lpDomain->get_ref<const std::string&>();
        if (domain.empty() || domain.size() > kMaxDomainLength) continue;
        answerOut.ranks.emplace(LoweredAscii(domain), RankOf(item));
    }
    answerOut.eOutcome = AnswerOutcome::Ok;
}

}  // namespace

std::string RankDomainOf(const std::string& host) {
    const std::size_t nAt = host.rfind('@');
    std::string name = LoweredAscii(nAt == std::string::npos ? host : host.substr(nAt + 1));
    if (!name.empty() && name[0] == '[') {
        const std::size_t nClose = name.find(']');
        return nClose == std::string::npos ? name : name.substr(0, nClose + 1);
    }
    const std::size_t nColon = name.find(':');
    if (nColon != std::string::npos) name.erase(nColon);
    while (!name.empty() && name.back() == '.') name.pop_back();
    if (IsIpv4Literal(name)) return name;
    const std::size_t nLast = name.rfind('.');
    if (nLast == std::string::npos || nLast == 0) return name;
    const std::size_t nSecond = name.rfind('.', nLast - 1);
    if (nSecond == std::string::npos) return name;
    std::size_t nCut = nSecond;
    const std::string label = name.substr(nSecond + 1, nLast - nSecond - 1);
    if (name.size() - nLast - 1 == 2 && IsSecondLevelRegistry(label) && nSecond > 0) {
        const std::size_t nThird = name.rfind('.', nSecond - 1);
        if (nThird == std::string::npos) return name;
        nCut = nThird;
    }
    return name.substr(nCut + 1);
}

std::vector<std::string> BuildRankQueries(const std::vector<std::string>& domains) {
    std::vector<std::string> queries;
    for (std::size_t i = 0; i < domains.size(); ++i) {
        if (i % kMaxDomainsPerRankRequest == 0)
            queries.emplace_back();
        else
            queries.back() += '&';
        queries.back() += "domains%5B%5D=" + PercentEncoded(domains[i]);
    }
    return queries;
}

PageRankAnswer ReadPageRankAnswer(int nStatus, const std::string& body) noexcept {
    return ReadGuarded<PageRankAnswer>([&](PageRankAnswer& answer) { Read(nStatus, body, answer); });
}
