// Relative links joined to a page address, and the host of an address.
#include "fuzz_input.h"
#include "bound_tools.h"
#include "evaluate/absolute_url.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    BindToolsRules();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    FuzzedDataProvider input(lpData, nSize);
    const std::string page = input.ConsumeRandomLengthString(4096);
    std::vector<std::string> links;
    while (input.remaining_bytes() > 0 && links.size() < 32) links.push_back(input.ConsumeRandomLengthString(4096));
    CFullURL joiner;
    for (const std::string& link : links) joiner.MakeFullURL(page, link);
    ConvertToAbsoluteAddress(&links, page);
    GetDomainFromURL(page.c_str());
    return 0;
}
