#pragma once
// Reading the Brave Search API's web search answer
// (/res/v1/web/search?q=...&count=20&offset=N). Portable.
#include <string>
#include <vector>

#include "base/answer_outcome.h"

struct BraveResults {
    AnswerOutcome eOutcome = AnswerOutcome::Malformed;
    // web.results[].url in the service's order (see TakeResultUrls); an
    // answer without web results has none.
    std::vector<std::string> urls;
    // query.more_results_available; paging ends where it is false or absent.
    bool bMoreResultsAvailable = false;
    // error.code of a refused request, for the log.
    std::string szErrorCode;
};

// A refused key is 401 or 403, or 422 with the code
// SUBSCRIPTION_TOKEN_INVALID (any other 422 is a refused parameter). A 429
// carries the plan's counters in error.meta: quota_current at or past a
// quota_limit above 0 is the month's quota used up, anything else the
// per-second limit, which passes. The rest as OutcomeOfStatus says. Never
// throws.
BraveResults ReadBraveResults(int nStatus, const std::string& body) noexcept;
