// Open PageRank's answer under any status, and the name and queries asked
// for hosts made of the same bytes.
#include "fuzz_input.h"
#include "evaluate/open_pagerank_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    const FuzzedAnswer answer = SplitAnswer(lpData, nSize);
    const PageRankAnswer ranks = ReadPageRankAnswer(answer.nStatus, answer.body);
    if (ranks.ranks.size() > kMaxKeptResults) __builtin_trap();
    if (ranks.eOutcome != AnswerOutcome::Ok && !ranks.ranks.empty()) __builtin_trap();
    for (const auto& rank : ranks.ranks)
        if (rank.second && (*rank.second < 0 || *rank.second > 10)) __builtin_trap();

    std::vector<std::string> domains;
    std::size_t nStart = 0;
    while (nStart <= answer.body.size() && domains.size() < 300) {
        std::size_t nEnd = answer.body.find('\n', nStart);
        if (nEnd == std::string::npos) nEnd = answer.body.size();
        const std::string domain = RankDomainOf(answer.body.substr(nStart, nEnd - nStart));
        if (domain.size() > nEnd - nStart) __builtin_trap();
        domains.push_back(domain);
        nStart = nEnd + 1;
    }
    const std::vector<std::string> queries = BuildRankQueries(domains);
    if (queries.size() != (domains.size() + kMaxDomainsPerRankRequest - 1) / kMaxDomainsPerRankRequest) __builtin_trap();
    return 0;
}
