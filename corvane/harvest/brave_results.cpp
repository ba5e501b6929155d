#include "harvest/brave_results.h"

#include <cstdint>

#include <nlohmann/json.hpp>

#include "base/json_answer.h"

using nlohmann::json;

namespace {

// {"type":"ErrorResponse","error":{"status":429,"code":"RATE_LIMITED",
//  "meta":{"plan":"Free","rate_limit":1,"quota_limit":2000,"quota_current":2000,...}}}
// A plan without a monthly quota sends quota_limit 0. The error code may
// name the quota itself (QUOTA_LIMITED); either tells it.
bool QuotaUsedUp(const json& error, const std::string& code) {
    if (code == "QUOTA_LIMITED") return true;
    const json* lpMeta = Member(error, "meta");
    const json* lpLimit = lpMeta ? Member(*lpMeta, "quota_limit") : nullptr;
    const json* lpCurrent = lpMeta ? Member(*lpMeta, "quota_current") : nullptr;
    int64_t nLimit = 0;
    int64_t nCurrent = 0;
    return lpLimit && lpCurrent && ReadWholeNumber(*lpLimit, nLimit) && ReadWholeNumber(*lpCurrent, nCurrent) &&
           nLimit > 0 && nCurrent >= nLimit;
}

void ReadRefusal(int nStatus, const std::string& body, BraveResults& results) {
    results.eOutcome = nStatus == 401 || nStatus == 403 ? AnswerOutcome::KeyRefused : OutcomeOfStatus(nStatus);
    json answer;
    if (!ParseBoundedJson(body, answer)) return;
    const json* lpError = Member(answer, "error");
    if (!lpError) return;
    if (const json* lpCode = Member(*lpError, "code")) results.szErrorCode = LoggedText(*lpCode);
    if (nStatus == 422 && results.szErrorCode == "SUBSCRIPTION_TOKEN_INVALID")
        results.eOutcome = AnswerOutcome::KeyRefused;
    else if (nStatus == 429 && QuotaUsedUp(*lpError, results.szErrorCode))
        results.eOutcome = AnswerOutcome::QuotaUsedUp;
}

void Read(int nStatus, const std::string& body, BraveResults& results) {
    if (OutcomeOfStatus(nStatus) != AnswerOutcome::Ok) {
        ReadRefusal(nStatus, body, results);
        return;
    }
    json answer;
    if (!ParseBoundedJson(body, answer) || !answer.is_object()) return;  // Malformed
    if (const json* lpWeb = Member(answer, "web")) {
        const json* lpResults = Member(*lpWeb, "results");
        if (!lpWeb->is_object() || (lpResults && !lpResults->is_array())) return;  // Malformed
        if (lpResults) TakeResultUrls(*lpResults, results.urls);
    }
    const json* lpQuery = Member(answer, "query");
    const json* lpMore = lpQuery ? Member(*lpQuery, "more_results_available") : nullptr;
    results.bMoreResultsAvailable = lpMore && lpMore->is_boolean() && lpMore->get<bool>();
    results.eOutcome = AnswerOutcome::Ok;
}

}  // namespace

BraveResults ReadBraveResults(int nStatus, const std::string& body) noexcept {
    return ReadGuarded<BraveResults>([&](BraveResults& results) { Read(nStatus, body, results); });
}
