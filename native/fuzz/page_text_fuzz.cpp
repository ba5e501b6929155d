// Visible text of a page, the keyword expression of a keyword text, and
// the keyword search of one over the other.
#include "fuzz_input.h"
#include "expression_search.h"
#include "page_text.h"

// Keywords become a regular expression; long ones only slow the engine.
constexpr std::size_t kMaxText = 8192;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    if (nSize > kMaxText) return -1;
    FuzzedDataProvider input(lpData, nSize);
    const std::string keywords = input.ConsumeRandomLengthString(256);
    const std::string page = input.ConsumeRemainingBytesAsString();
    const std::string expression = KeywordExpression(keywords);
    const std::string visible = VisibleText(page);
    std::vector<std::string> matches;
    if (!expression.empty()) SearchExpression(expression, visible, matches);
    return 0;
}
