#pragma once
// Reading a SearXNG instance's JSON search answer
// (/search?q=...&format=json&pageno=N). Portable.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/answer_outcome.h"

struct SearxngResults {
    AnswerOutcome eOutcome = AnswerOutcome::Malformed;
    // results[].url in the instance's order (see TakeResultUrls).
    std::vector<std::string> urls;
    // [engine, error] of each engine that failed this query, for the log.
    std::vector<std::pair<std::string, std::string>> unresponsiveEngines;
    // Recent instances leave the count out or send 0.
    std::optional<int64_t> nNumberOfResults;
    // The "error" text of a refused request (400), for the log.
    std::string szError;
};

// An instance serves JSON only when its settings.yml lists json under
// search formats; otherwise it answers 403 with an HTML page, and an HTML
// page in place of JSON means the same. 400 is a refused parameter, 429
// the instance's limiter; the rest as OutcomeOfStatus says. Never throws.
SearxngResults ReadSearxngResults(int nStatus, const std::string& body) noexcept;
