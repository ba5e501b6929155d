// A result page from anybody: the last-page test and the result links.
#include "fuzz_input.h"
#include "bound_tools.h"
#include "harvest/result_page.h"

namespace {
bool s_bGoOn = false;
bool AskBlockedPage() { return s_bGoOn; }
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BindToolsRules();
    SetBlockedPageQuestion(&AskBlockedPage);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    FuzzedDataProvider input(lpData, nSize);
    s_bGoOn = input.ConsumeBool();
    int nStart = input.ConsumeIntegralInRange(0, kResultsPerPage * kMaxResultPages);
    const std::string page = input.ConsumeRemainingBytesAsString();
    IsLastPage(page, nStart);
    std::vector<std::string> links;
    ExtractGoogleLinks(page, links, nStart);
    return 0;
}
