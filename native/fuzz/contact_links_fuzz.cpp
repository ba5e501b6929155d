// The anchors of a page and the choice of its contact link.
#include "fuzz_input.h"
#include "contact_links.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    FuzzedDataProvider input(lpData, nSize);
    const std::string words = input.ConsumeRandomLengthString(256);
    const std::vector<CPageLink> links = CollectLinks(input.ConsumeRemainingBytesAsString());
    ChooseContactLink(links, words);
    return 0;
}
