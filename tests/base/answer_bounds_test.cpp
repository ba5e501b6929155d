// Hostile answers, the same for every reader of a JSON answer: each one is
// a malformed answer (a transient fault for the run), never a crash, and
// costs no more than the bounds allow.
#include <gtest/gtest.h>

#include <string>

#include "base/answer_outcome.h"
#include "evaluate/open_pagerank_answer.h"
#include "harvest/brave_results.h"
#include "harvest/searxng_results.h"
#include "support/answer_outcome_print.h"

namespace {

struct Reader {
    const char* szName;
    AnswerOutcome (*pfnRead)(const std::string& body);
};

const Reader kReaders[] = {
    {"SearXNG", [](const std::string& body) { return ReadSearxngResults(200, body).eOutcome; }},
    {"Brave", [](const std::string& body) { return ReadBraveResults(200, body).eOutcome; }},
    {"Open PageRank", [](const std::string& body) { return ReadPageRankAnswer(200, body).eOutcome; }},
};

// A list of n zeros, each one value.
std::string Zeros(std::size_t n) {
    std::string text = "[";
    for (std::size_t i = 0; i < n; ++i) text += i ? ",0" : "0";
    return text + "]";
}

std::string Nested(std::size_t nDepth, const std::string& inner) {
    return std::string(nDepth, '[') + inner + std::string(nDepth, ']');
}

// Each body is wrapped in every reader's own answer shape as well, so a
// reader cannot pass it by failing on the shape first.
std::string Shaped(const std::string& value) {
    return R"({"status_code": 200, "results": [{"url": "http://a.example/", "x": )" + value +
           R"(}], "web": {"results": []}, "response": [], "extra": )" + value + "}";
}

TEST(AnswerBounds, HostileBodiesAreMalformedForEveryReader) {
    struct HostileCase {
        const char* szName;
        std::string body;
    };
    const HostileCase kCases[] = {
        {"empty", ""},
        {"white space", " \r\n\t "},
        {"cut short", R"({"results": [{"url": "http://a.example/")"},
        {"unclosed string", R"({"results": [{"url": "http://a.example/)"},
        {"trailing text", Shaped("1") + " and more"},
        {"two answers", Shaped("1") + Shaped("1")},
        {"not UTF-8", Shaped("\"caf\xE9\"")},
        {"an overlong UTF-8 slash", Shaped("\"\xC0\xAF\"")},
        {"a lone surrogate", Shaped(R"("\ud800")")},
        {"a raw control character", Shaped("\"a\x01z\"")},
        {"a number beyond double", Shaped("1e999")},
        {"NaN", Shaped("NaN")},
        {"single quotes", "{'results': []}"},
        {"a comment", "/* answer */" + Shaped("1")},
        {"nested 100,000 deep", Shaped(Nested(100000, ""))},
        {"objects nested 100,000 deep", [] {
             std::string text;
             for (int i = 0; i < 100000; ++i) text += R"({"a":)";
             return Shaped(text + "1" + std::string(100000, '}'));
         }()},
        {"nested past the bound", Shaped(Nested(kMaxAnswerDepth, ""))},
        {"32 MiB of brackets", std::string(kMaxAnswerBytes, '[')},
        {"over 32 MiB", Shaped("\"" + std::string(kMaxAnswerBytes, 'v') + "\"")},
        {"more values than the bound", Shaped(Zeros(kMaxAnswerValues))},
    };
    for (const Reader& reader : kReaders) {
        for (const HostileCase& c : kCases)
            EXPECT_EQ(reader.pfnRead(c.body), AnswerOutcome::Malformed) << reader.szName << ": " << c.szName;
        // The control: the same shape within the bounds is read.
        EXPECT_EQ(reader.pfnRead(Shaped(Nested(kMaxAnswerDepth - 3, ""))), AnswerOutcome::Ok) << reader.szName;
        EXPECT_EQ(reader.pfnRead(Shaped(Zeros(1000))), AnswerOutcome::Ok) << reader.szName;
    }
}

}  // namespace
