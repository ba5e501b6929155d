// The Brave Search API's answer under any status.
#include "fuzz_input.h"
#include "harvest/brave_results.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    const FuzzedAnswer answer = SplitAnswer(lpData, nSize);
    const BraveResults results = ReadBraveResults(answer.nStatus, answer.body);
    if (!IsWebAddressList(results.urls, kMaxKeptResults)) __builtin_trap();
    if (results.eOutcome != AnswerOutcome::Ok && (!results.urls.empty() || results.bMoreResultsAvailable)) __builtin_trap();
    if (results.szErrorCode.size() > kMaxLoggedText) __builtin_trap();
    return 0;
}
