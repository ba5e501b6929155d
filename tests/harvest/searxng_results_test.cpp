// A SearXNG instance's JSON search answer: the result addresses in order,
// the failed engines and the count, and what each refusal means for a run.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "harvest/searxng_results.h"
#include "support/answer_outcome_print.h"

namespace {

const char kWikipedia[] = "https://en.wikipedia.org/wiki/Vitamin";
const char kNih[] = "https://ods.od.nih.gov/factsheets/list-VitaminsMinerals/";
const char kPlain[] = "http://www.vitamins.example/guide.html";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// One result as the instance writes it, with the given "url" member text.
std::string Result(const std::string& urlMember) {
    return R"({"url": )" + urlMember +
           R"(, "title": "Vitamin - Wikipedia", "content": "A vitamin is an organic molecule that is an essential micronutrient.",
               "engine": "wikipedia", "parsed_url": ["https", "en.wikipedia.org", "/wiki/Vitamin", "", "", ""],
               "template": "default.html", "engines": ["wikipedia", "duckduckgo"], "positions": [1, 3],
               "score": 4.5, "category": "general"})";
}

std::string Page(const std::string& results, const std::string& tail = R"("unresponsive_engines": [])") {
    return R"({"query": "vitamin", "number_of_results": 0, "results": [)" + results +
           R"(], "answers": [], "corrections": [], "infoboxes": [], "suggestions": ["vitamin d", "vitamin b12"], )" + tail +
           "}";
}

const char kForbiddenPage[] =
    "<!doctype html>\n<html><head><title>403 Forbidden</title></head>\n"
    "<body><h1>Forbidden</h1><p>You don't have the permission to access the requested resource.</p></body></html>\n";

struct SearxngCase {
    const char* szName;
    int nStatus;
    std::string body;
    AnswerOutcome eOutcome;
    std::vector<std::string> urls;
};

TEST(ReadSearxngResults, OutcomeAndAddresses) {
    std::string manyResults;
    for (int i = 0; i < 1500; ++i) manyResults += (i ? "," : "") + Result(Quoted("http://site.example/" + std::to_string(i)));
    // A result whose content fills the answer to the loader's limit.
    const std::string bigHead = R"({"results": [{"url": "http://big.example/", "content": ")";
    const std::string bigTail = "\"}]}";
    const std::string bigAnswer = bigHead + std::string(kMaxAnswerBytes - bigHead.size() - bigTail.size(), 'v') + bigTail;
    const SearxngCase kCases[] = {
        {"a page", 200, Page(Result(Quoted(kWikipedia)) + "," + Result(Quoted(kNih)) + "," + Result(Quoted(kPlain))),
         AnswerOutcome::Ok, {kWikipedia, kNih, kPlain}},
        {"after the last page", 200, Page(""), AnswerOutcome::Ok, {}},
        {"a byte-order mark and blanks", 200, "\xEF\xBB\xBF \n" + Page(Result(Quoted(kNih))), AnswerOutcome::Ok, {kNih}},
        {"only web addresses", 200,
         Page(Result("null") + "," + Result("42") + "," + Result("[\"http://a.example/\"]") + "," + Result(Quoted("ftp://files.example/")) +
              "," + Result(Quoted("javascript:alert(1)")) + "," + Result(Quoted("/search?q=relative")) + "," +
              Result(Quoted("HTTPS://EN.WIKIPEDIA.ORG/")) + "," + Result(Quoted("http://a.example/\\u0000b")) + "," +
              Result(Quoted("http://a.example/\\r\\nX: y")) + ", \"just text\", 7, null, {\"title\": \"no url\"}," +
              Result(Quoted(kPlain))),
         AnswerOutcome::Ok, {"HTTPS://EN.WIKIPEDIA.ORG/", kPlain}},
        {"a result's url twice: the last counts", 200, Page(R"({"url": "http://first.example/", "url": "http://second.example/"})"),
         AnswerOutcome::Ok, {"http://second.example/"}},
        {"results twice: the last counts", 200,
         R"({"results": [{"url": "http://first.example/"}], "results": [{"url": "http://second.example/"}]})", AnswerOutcome::Ok,
         {"http://second.example/"}},
        {"a 32 MiB answer", 200, bigAnswer, AnswerOutcome::Ok, {"http://big.example/"}},
        {"the instance's HTML page on 403", 403, kForbiddenPage, AnswerOutcome::JsonNotServed, {}},
        {"403 with any body", 403, "{}", AnswerOutcome::JsonNotServed, {}},
        {"HTML in place of JSON", 200, std::string("\r\n  ") + kForbiddenPage, AnswerOutcome::JsonNotServed, {}},
        {"a refused parameter", 400, R"({"error": "search error"})", AnswerOutcome::RequestRefused, {}},
        {"no instance at that address", 404, "<html>Not Found</html>", AnswerOutcome::RequestRefused, {}},
        {"behind a login", 401, "", AnswerOutcome::RequestRefused, {}},
        {"the limiter", 429, "Too Many Requests", AnswerOutcome::RateLimited, {}},
        {"a server fault", 502, "<html>Bad Gateway</html>", AnswerOutcome::ServiceFault, {}},
        {"a redirect not followed", 302, "", AnswerOutcome::ServiceFault, {}},
        {"no status", 0, Page(Result(Quoted(kNih))), AnswerOutcome::ServiceFault, {}},
        {"plain text", 200, "vitamin", AnswerOutcome::Malformed, {}},
        {"cut short", 200, Page(Result(Quoted(kNih))).substr(0, 120), AnswerOutcome::Malformed, {}},
        {"no results", 200, R"({"query": "vitamin", "answers": []})", AnswerOutcome::Malformed, {}},
        {"results null", 200, R"({"results": null})", AnswerOutcome::Malformed, {}},
        {"results an object", 200, R"({"results": {"url": "http://a.example/"}})", AnswerOutcome::Malformed, {}},
        {"an array", 200, R"([{"url": "http://a.example/"}])", AnswerOutcome::Malformed, {}},
        {"not UTF-8", 200, Page(Result(Quoted("http://a.example/\xC0\xAF"))), AnswerOutcome::Malformed, {}},
    };
    for (const SearxngCase& c : kCases) {
        const SearxngResults results = ReadSearxngResults(c.nStatus, c.body);
        EXPECT_EQ(results.eOutcome, c.eOutcome) << c.szName;
        EXPECT_EQ(results.urls, c.urls) << c.szName;
    }
    const SearxngResults many = ReadSearxngResults(200, Page(manyResults));
    ASSERT_EQ(many.eOutcome, AnswerOutcome::Ok);
    ASSERT_EQ(many.urls.size(), kMaxKeptResults);
    EXPECT_EQ(many.urls.front(), "http://site.example/0");
    EXPECT_EQ(many.urls.back(), "http://site.example/999");
}

TEST(ReadSearxngResults, FailedEnginesCountAndError) {
    const std::string longName(1000, 'e');
    const SearxngResults page = ReadSearxngResults(
        200, Page(Result(Quoted(kNih)),
                  R"("unresponsive_engines": [["google", "timeout"], ["brave"], "qwant", [1, "x"], ["duckduckgo", null],
                     ["startpage", "HTTP error", true], [")" + longName + R"(", "Suspended: too many requests"]],
                     "number_of_results": 1230000)"));
    ASSERT_EQ(page.eOutcome, AnswerOutcome::Ok);
    const std::vector<std::pair<std::string, std::string>> kEngines = {
        {"google", "timeout"}, {"startpage", "HTTP error"}, {longName.substr(0, kMaxLoggedText), "Suspended: too many requests"}};
    EXPECT_EQ(page.unresponsiveEngines, kEngines);
    // The last of the two counts; the page's own leading 0 is overwritten.
    EXPECT_EQ(page.nNumberOfResults, 1230000);

    struct CountCase {
        const char* szCount;
        std::optional<int64_t> nExpected;
    };
    const CountCase kCounts[] = {{"0", 0}, {"1e3", 1000}, {"-1", std::nullopt}, {"1.5", std::nullopt},
                                 {"\"many\"", std::nullopt}, {"null", std::nullopt}, {"18446744073709551616", std::nullopt}};
    for (const CountCase& c : kCounts) {
        const SearxngResults counted =
            ReadSearxngResults(200, std::string(R"({"results": [], "number_of_results": )") + c.szCount + "}");
        EXPECT_EQ(counted.eOutcome, AnswerOutcome::Ok) << c.szCount;
        EXPECT_EQ(counted.nNumberOfResults, c.nExpected) << c.szCount;
    }
    EXPECT_EQ(ReadSearxngResults(200, R"({"results": []})").nNumberOfResults, std::nullopt);

    const SearxngResults refused = ReadSearxngResults(400, R"({"error": "invalid pageno"})");
    EXPECT_EQ(refused.eOutcome, AnswerOutcome::RequestRefused);
    EXPECT_EQ(refused.szError, "invalid pageno");
    EXPECT_EQ(ReadSearxngResults(400, "Bad Request").szError, "");
}

}  // namespace
