// Open PageRank: the name asked for a host, the request queries, and the
// ranks and refusals of the getPageRank answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "evaluate/open_pagerank_answer.h"
#include "support/answer_outcome_print.h"

namespace {

using Ranks = std::vector<std::pair<std::string, std::optional<int>>>;

std::string Item(const std::string& domain, const std::string& members) {
    return R"({"domain": ")" + domain + "\", " + members + "}";
}
std::string Known(const std::string& domain, const std::string& rank, const std::string& decimal = "4.5") {
    return Item(domain, R"("status_code": 200, "error": "", "page_rank_integer": )" + rank + R"(, "page_rank_decimal": )" + decimal +
                            R"(, "rank": "1234")");
}
std::string NotFound(const std::string& domain) {
    return Item(domain,
                R"("status_code": 404, "error": "Domain not found", "page_rank_integer": 0, "page_rank_decimal": 0, "rank": null)");
}
std::string Answer(const std::string& items) {
    return R"({"status_code": 200, "response": [)" + items + R"(], "last_updated": "15th Jan 2024"})";
}

struct RankCase {
    const char* szName;
    int nStatus;
    std::string body;
    AnswerOutcome eOutcome;
    Ranks ranks;
};

TEST(ReadPageRankAnswer, OutcomeAndRanks) {
    const RankCase kCases[] = {
        {"the documented answer", 200,
         Answer(Known("google.com", "10", "10") + "," + Known("apple.com", "8", "7.62") + "," + NotFound("dfsdfsdfsdfsdf.com")),
         AnswerOutcome::Ok, {{"apple.com", 8}, {"dfsdfsdfsdfsdf.com", std::nullopt}, {"google.com", 10}}},
        {"decimal as text or whole, rank null", 200,
         Answer(Known("a.example", "3", "\"3.21\"") + "," + Known("b.example", "0", "0") + "," +
                Item("c.example", R"("status_code": 200, "page_rank_integer": 5, "page_rank_decimal": 5, "rank": null)")),
         AnswerOutcome::Ok, {{"a.example", 3}, {"b.example", 0}, {"c.example", 5}}},
        {"names lower-cased", 200, Answer(Known("Example.COM", "6")), AnswerOutcome::Ok, {{"example.com", 6}}},
        {"no rank from 0 to 10", 200,
         Answer(Known("over.example", "11") + "," + Known("under.example", "-1") + "," + Known("huge.example", "1e300") + "," +
                Known("text.example", "\"6\"") + "," + Known("null.example", "null") + "," + Known("whole.example", "6.0") + "," +
                Known("half.example", "6.5") + "," + Known("wide.example", "18446744073709551615") + "," +
                Item("nostatus.example", R"("page_rank_integer": 4)") + "," +
                Item("textstatus.example", R"("status_code": "200", "page_rank_integer": 4)")),
         AnswerOutcome::Ok,
         {{"half.example", std::nullopt}, {"huge.example", std::nullopt}, {"nostatus.example", std::nullopt},
          {"null.example", std::nullopt}, {"over.example", std::nullopt}, {"text.example", std::nullopt},
          {"textstatus.example", std::nullopt}, {"under.example", std::nullopt}, {"whole.example", 6},
          {"wide.example", std::nullopt}}},
        {"items without a domain", 200,
         Answer(R"({"status_code": 200, "page_rank_integer": 3}, {"domain": 7, "status_code": 200, "page_rank_integer": 3},)"
                R"({"domain": null}, {"domain": ""}, "x.example", null, [1], )" +
                Known(std::string(254, 'd'), "3") + "," + Known("kept.example", "2")),
         AnswerOutcome::Ok, {{"kept.example", 2}}},
        {"a domain twice: the first counts", 200, Answer(Known("twice.example", "4") + "," + Known("TWICE.example", "9")),
         AnswerOutcome::Ok, {{"twice.example", 4}}},
        {"a member twice: the last counts", 200,
         Answer(Item("dup.example", R"("status_code": 200, "page_rank_integer": 1, "page_rank_integer": 7)")), AnswerOutcome::Ok,
         {{"dup.example", 7}}},
        {"an empty answer", 200, Answer(""), AnswerOutcome::Ok, {}},
        {"a refused key", 401, R"({"status_code": 401, "error": "Unauthorized"})", AnswerOutcome::KeyRefused, {}},
        {"a forbidden key", 403, "", AnswerOutcome::KeyRefused, {}},
        {"a refused key told in the body", 200, R"({"status_code": 401, "error": "Invalid API key"})", AnswerOutcome::KeyRefused, {}},
        {"a limit reached", 429, "", AnswerOutcome::RateLimited, {}},
        {"a limit told in the body", 200, R"({"status_code": 429, "response": []})", AnswerOutcome::RateLimited, {}},
        {"a body status beyond HTTP's", 200, R"({"status_code": 1e300, "response": []})", AnswerOutcome::Ok, {}},
        {"a server fault", 500, "", AnswerOutcome::ServiceFault, {}},
        {"a moved service", 404, "<html>Not Found</html>", AnswerOutcome::RequestRefused, {}},
        {"no response", 200, R"({"status_code": 200, "last_updated": "15th Jan 2024"})", AnswerOutcome::Malformed, {}},
        {"response an object", 200, R"({"status_code": 200, "response": {"domain": "a.example"}})", AnswerOutcome::Malformed, {}},
        {"an array", 200, "[" + Known("a.example", "3") + "]", AnswerOutcome::Malformed, {}},
        {"cut short", 200, Answer(Known("google.com", "10")).substr(0, 60), AnswerOutcome::Malformed, {}},
        {"HTML", 200, "<!DOCTYPE html><html></html>", AnswerOutcome::Malformed, {}},
    };
    for (const RankCase& c : kCases) {
        const PageRankAnswer answer = ReadPageRankAnswer(c.nStatus, c.body);
        EXPECT_EQ(answer.eOutcome, c.eOutcome) << c.szName;
        EXPECT_EQ(Ranks(answer.ranks.begin(), answer.ranks.end()), c.ranks) << c.szName;
    }
    std::string many;
    for (std::size_t i = 0; i < kMaxKeptResults + 50; ++i) many += (i ? "," : "") + Known("d" + std::to_string(i) + ".example", "1");
    const PageRankAnswer kept = ReadPageRankAnswer(200, Answer(many));
    EXPECT_EQ(kept.eOutcome, AnswerOutcome::Ok);
    EXPECT_EQ(kept.ranks.size(), kMaxKeptResults);
    EXPECT_EQ(kept.ranks.count("d999.example"), 1u);
    EXPECT_EQ(kept.ranks.count("d1000.example"), 0u);
}

TEST(RankDomainOf, AsksForTheRegistrableDomain) {
    const std::pair<const char*, const char*> kCases[] = {
        {"example.com", "example.com"},
        {"www.example.com", "example.com"},
        {"blog.shop.example.com", "example.com"},
        {"WWW.Example.COM.", "example.com"},
        {"www.example.com:8080", "example.com"},
        {"user:secret@www.example.com", "example.com"},
        {"www.example.co.uk", "example.co.uk"},
        {"example.co.uk", "example.co.uk"},
        {"news.example.com.au", "example.com.au"},
        {"www.example.ne.jp", "example.ne.jp"},
        {"shop.example.de", "example.de"},
        {"app.example.io", "example.io"},  // a two-letter code, no registry label
        {"www.co.com", "co.com"},          // a registry label under a long top-level name
        {"co.uk", "co.uk"},
        {"127.0.0.5", "127.0.0.5"},
        {"127.0.0.5:443", "127.0.0.5"},
        {"[::1]:443", "[::1]"},
        {"[2001:DB8::1]", "[2001:db8::1]"},
        {"localhost", "localhost"},
        {".", ""},
        {"", ""},
    };
    for (const auto& c : kCases) EXPECT_EQ(RankDomainOf(c.first), c.second) << c.first;
}

TEST(BuildRankQueries, HundredDomainsARequestEachEncoded) {
    EXPECT_EQ(BuildRankQueries({}), std::vector<std::string>());
    EXPECT_EQ(BuildRankQueries({"a.com", "b.com"}), std::vector<std::string>{"domains%5B%5D=a.com&domains%5B%5D=b.com"});
    EXPECT_EQ(BuildRankQueries({"b\xC3\xBC" "cher.de", "a b&c=d#e", "xn--bcher-kva.de", "~_-."}),
              std::vector<std::string>{"domains%5B%5D=b%C3%BCcher.de&domains%5B%5D=a%20b%26c%3Dd%23e&"
                                       "domains%5B%5D=xn--bcher-kva.de&domains%5B%5D=~_-."});
    std::vector<std::string> domains;
    for (int i = 0; i < 250; ++i) domains.push_back("d" + std::to_string(i) + ".example");
    const std::vector<std::string> queries = BuildRankQueries(domains);
    ASSERT_EQ(queries.size(), 3u);
    for (std::size_t i = 0; i < queries.size(); ++i) {
        const std::size_t nFirst = i * kMaxDomainsPerRankRequest;
        const std::size_t nCount = std::min<std::size_t>(kMaxDomainsPerRankRequest, domains.size() - nFirst);
        EXPECT_EQ(queries[i].rfind("domains%5B%5D=" + domains[nFirst] + "&", 0), 0u) << i;
        EXPECT_EQ(static_cast<std::size_t>(std::count(queries[i].begin(), queries[i].end(), '&')), nCount - 1) << i;
        EXPECT_NE(queries[i].find("domains%5B%5D=" + domains[nFirst + nCount - 1]), std::string::npos) << i;
    }
}

}  // namespace
