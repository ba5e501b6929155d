#include "harvest/searxng_results.h"

#include <nlohmann/json.hpp>

#include "base/json_answer.h"

using nlohmann::json;

namespace {

// Failed engines one answer may add to the log.
constexpr std::size_t kMaxLoggedEngines = 100;

// An HTML page where JSON was asked for: past a byte-order mark and white
// space, its first byte opens a tag.
bool LooksLikeHtml(const std::string& body) {
    std::size_t i = body.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' || body[i] == '\n')) ++i;
    return i < body.size() && body[i] == '<';
}

void TakeEngines(const json& engines, std::vector<std::pair<std::string, std::string>>& taken) {
    if (!engines.is_array()) return;
    for (const json& entry : engines) {
        if (taken.size() >= kMaxLoggedEngines) return;
        if (!entry.is_array() || entry.size() < 2 || !entry[0].is_string() || !entry[1].is_string()) continue;
        taken.emplace_back(LoggedText(entry[0]), LoggedText(entry[1]));
    }
}

void Read(int nStatus, const std::string& body, SearxngResults& results) {
    if (nStatus == 403) {
        results.eOutcome = AnswerOutcome::JsonNotServed;
        return;
    }
    json answer;
    const AnswerOutcome eStatus = OutcomeOfStatus(nStatus);
    if (eStatus != AnswerOutcome::Ok) {
        if (nStatus == 400 && ParseBoundedJson(body, answer))
            if (const json* lpError = Member(answer, "error")) results.szError = LoggedText(*lpError);
        results.eOutcome = eStatus;
        return;
    }
    if (!ParseBoundedJson(body, answer)) {
        results.eOutcome = LooksLikeHtml(body) ? AnswerOutcome::JsonNotServed : AnswerOutcome::Malformed;
        return;
    }
    const json* lpResults = Member(answer, "results");
    if (!lpResults || !lpResults->is_array()) return;  // Malformed
    TakeResultUrls(*lpResults, results.urls);
    if (const json* lpEngines = Member(answer, "unresponsive_engines")) TakeEngines(*lpEngines, results.unresponsiveEngines);
    int64_t nCount = 0;
    if (const json* lpCount = Member(answer, "number_of_results"))
        if (ReadWholeNumber(*lpCount, nCount) && nCount >= 0) results.nNumberOfResults = nCount;
    results.eOutcome = AnswerOutcome::Ok;
}

}  // namespace

SearxngResults ReadSearxngResults(int nStatus, const std::string& body) noexcept {
    return ReadGuarded<SearxngResults>([&](SearxngResults& results) { Read(nStatus, body, results); });
}
