// A SearXNG instance's JSON answer under any status.
#include "fuzz_input.h"
#include "harvest/searxng_results.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    const FuzzedAnswer answer = SplitAnswer(lpData, nSize);
    const SearxngResults results = ReadSearxngResults(answer.nStatus, answer.body);
    if (!IsWebAddressList(results.urls, kMaxKeptResults)) __builtin_trap();
    if (results.eOutcome != AnswerOutcome::Ok && !results.urls.empty()) __builtin_trap();
    for (const auto& engine : results.unresponsiveEngines)
        if (engine.first.size() > kMaxLoggedText || engine.second.size() > kMaxLoggedText) __builtin_trap();
    if (results.szError.size() > kMaxLoggedText) __builtin_trap();
    return 0;
}
