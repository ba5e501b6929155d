// The outbound link scan over a page's raw text, read up to its NUL.
#include "fuzz_input.h"
#include "bound_tools.h"
#include "evaluate/outbound_links.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BindToolsRules();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    const std::string page = WholeText(lpData, nSize);
    std::vector<std::string> links;
    GetPageOutcomingLinks(page.c_str(), &links);
    return 0;
}
