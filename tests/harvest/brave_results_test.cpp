// The Brave Search API's web search answer: the result addresses in order,
// whether more pages follow, and what each refusal means for a run.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harvest/brave_results.h"
#include "support/answer_outcome_print.h"

namespace {

const char kWikipedia[] = "https://en.wikipedia.org/wiki/Vitamin";
const char kHealthline[] = "https://www.healthline.com/nutrition/vitamins";

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// One web result as the service writes it, with the given "url" member text.
std::string Result(const std::string& urlMember) {
    return R"({"title": "Vitamin - Wikipedia", "url": )" + urlMember +
           R"(, "is_source_local": false, "is_source_both": false,
               "description": "A <strong>vitamin</strong> is an organic molecule that is an essential micronutrient.",
               "profile": {"name": "Wikipedia", "url": "https://en.wikipedia.org/wiki/Vitamin", "long_name": "en.wikipedia.org",
                           "img": "https://imgs.search.brave.com/abc/rs:fit:32:32:1/g:ce/aHR0cDovL2Zh"},
               "language": "en", "family_friendly": true, "type": "search_result", "subtype": "generic",
               "meta_url": {"scheme": "https", "netloc": "en.wikipedia.org", "hostname": "en.wikipedia.org",
                            "favicon": "https://imgs.search.brave.com/def", "path": "› wiki › Vitamin"}})";
}

std::string Query(const std::string& more) {
    return R"("query": {"original": "vitamin", "show_strict_warning": false, "is_navigational": false, "is_news_breaking": false,
               "spellcheck_off": true, "country": "us", "bad_results": false, "should_fallback": false, "postal_code": "",
               "city": "", "header_country": "", "more_results_available": )" +
           more + R"(, "state": ""})";
}

std::string Answer(const std::string& results, const std::string& more = "true") {
    return R"({"type": "search", )" + Query(more) +
           R"(, "mixed": {"type": "mixed", "main": [{"type": "web", "index": 0, "all": false}], "top": [], "side": []},
               "web": {"type": "search", "results": [)" +
           results + R"(], "family_friendly": true}})";
}

std::string Error(int nStatus, const char* szCode, const std::string& meta) {
    return R"({"type": "ErrorResponse", "error": {"id": "32433a2a-3426-4831-8123-4553d4be9455", "status": )" +
           std::to_string(nStatus) + R"(, "code": ")" + szCode + R"(", "detail": "Request refused.", "meta": )" + meta +
           R"(}, "time": 1771039449})";
}

std::string Quota(const char* szLimit, const char* szCurrent) {
    return std::string(R"({"plan": "Free", "rate_limit": 1, "rate_current": 1, "quota_limit": )") + szLimit +
           R"(, "quota_current": )" + szCurrent + R"(, "component": "rate_limiter"})";
}

struct BraveCase {
    const char* szName;
    int nStatus;
    std::string body;
    AnswerOutcome eOutcome;
    std::vector<std::string> urls;
    bool bMore;
    const char* szErrorCode;
};

TEST(ReadBraveResults, OutcomeAddressesAndPaging) {
    const std::string kTwo = Result(Quoted(kWikipedia)) + "," + Result(Quoted(kHealthline));
    const char kValidation[] =
        R"({"errors": [{"type": "less_than_equal", "loc": ["query", "count"], "msg": "Input should be less than or equal to 20"}]})";
    const BraveCase kCases[] = {
        {"a page with more to come", 200, Answer(kTwo), AnswerOutcome::Ok, {kWikipedia, kHealthline}, true, ""},
        {"the last page", 200, Answer(kTwo, "false"), AnswerOutcome::Ok, {kWikipedia, kHealthline}, false, ""},
        {"no web results", 200, R"({"type": "search", )" + Query("false") + "}", AnswerOutcome::Ok, {}, false, ""},
        {"web without results", 200, R"({"type": "search", "web": {"type": "search"}})", AnswerOutcome::Ok, {}, false, ""},
        {"no query", 200, R"({"web": {"results": [)" + Result(Quoted(kWikipedia)) + "]}}", AnswerOutcome::Ok, {kWikipedia}, false, ""},
        {"more as text", 200, Answer(kTwo, "\"true\""), AnswerOutcome::Ok, {kWikipedia, kHealthline}, false, ""},
        {"more null", 200, Answer(kTwo, "null"), AnswerOutcome::Ok, {kWikipedia, kHealthline}, false, ""},
        {"only web addresses", 200,
         Answer(Result("null") + "," + Result("12") + "," + Result(Quoted("ftp://files.example/")) + "," + Result(Quoted("//cdn.example/x")) +
                ", null, \"text\", " + Result(Quoted(kHealthline))),
         AnswerOutcome::Ok, {kHealthline}, true, ""},
        {"web twice: the last counts", 200,
         R"({"web": {"results": [{"url": "http://first.example/"}]}, "web": {"results": [{"url": "http://second.example/"}]}})",
         AnswerOutcome::Ok, {"http://second.example/"}, false, ""},
        {"a refused key", 422, Error(422, "SUBSCRIPTION_TOKEN_INVALID", R"({"component": "authentication"})"), AnswerOutcome::KeyRefused,
         {}, false, "SUBSCRIPTION_TOKEN_INVALID"},
        {"a refused parameter", 422, Error(422, "VALIDATION", kValidation), AnswerOutcome::RequestRefused, {}, false, "VALIDATION"},
        {"a refused key's answer cut short", 422, Error(422, "SUBSCRIPTION_TOKEN_INVALID", "{}").substr(0, 140),
         AnswerOutcome::RequestRefused, {}, false, ""},
        {"no key", 401, "", AnswerOutcome::KeyRefused, {}, false, ""},
        {"a key without this plan", 403, Error(403, "OPTION_NOT_IN_PLAN", "{}"), AnswerOutcome::KeyRefused, {}, false, "OPTION_NOT_IN_PLAN"},
        {"the per-second limit", 429, Error(429, "RATE_LIMITED", Quota("2000", "210")), AnswerOutcome::RateLimited, {}, false,
         "RATE_LIMITED"},
        {"the month's quota used up", 429, Error(429, "RATE_LIMITED", Quota("2000", "2000")), AnswerOutcome::QuotaUsedUp, {}, false,
         "RATE_LIMITED"},
        {"a plan without a monthly quota", 429, Error(429, "RATE_LIMITED", Quota("0", "14")), AnswerOutcome::RateLimited, {}, false,
         "RATE_LIMITED"},
        {"quota counters as text", 429, Error(429, "RATE_LIMITED", Quota("\"2000\"", "\"2000\"")), AnswerOutcome::RateLimited, {}, false,
         "RATE_LIMITED"},
        {"the quota named by its code", 429, Error(429, "QUOTA_LIMITED", "{}"), AnswerOutcome::QuotaUsedUp, {}, false,
         "QUOTA_LIMITED"},
        {"429 without a body", 429, "", AnswerOutcome::RateLimited, {}, false, ""},
        {"a server fault", 503, "", AnswerOutcome::ServiceFault, {}, false, ""},
        {"HTML", 200, "<html><body>Just a moment...</body></html>", AnswerOutcome::Malformed, {}, false, ""},
        {"cut short", 200, Answer(kTwo).substr(0, 300), AnswerOutcome::Malformed, {}, false, ""},
        {"web an array", 200, R"({"web": [{"url": "http://a.example/"}]})", AnswerOutcome::Malformed, {}, false, ""},
        {"web null", 200, R"({"web": null})", AnswerOutcome::Malformed, {}, false, ""},
        {"results an object", 200, R"({"web": {"results": {"url": "http://a.example/"}}})", AnswerOutcome::Malformed, {}, false, ""},
        {"an array", 200, "[]", AnswerOutcome::Malformed, {}, false, ""},
        {"null", 200, "null", AnswerOutcome::Malformed, {}, false, ""},
    };
    for (const BraveCase& c : kCases) {
        const BraveResults results = ReadBraveResults(c.nStatus, c.body);
        EXPECT_EQ(results.eOutcome, c.eOutcome) << c.szName;
        EXPECT_EQ(results.urls, c.urls) << c.szName;
        EXPECT_EQ(results.bMoreResultsAvailable, c.bMore) << c.szName;
        EXPECT_EQ(results.szErrorCode, c.szErrorCode) << c.szName;
    }
}

}  // namespace
