// The summary line of a "link:" result page.
#include "fuzz_input.h"
#include "evaluate/query_answers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    ParseBackwardLinksAnswer(WholeText(lpData, nSize));
    return 0;
}
