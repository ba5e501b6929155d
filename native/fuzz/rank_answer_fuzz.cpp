// The rank service's reply and the leading integer it is read with.
#include "fuzz_input.h"
#include "evaluate/query_answers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    const std::string reply = WholeText(lpData, nSize);
    ParseRankAnswer(reply);
    LeadingInteger(reply.c_str());
    return 0;
}
