// The linear e-mail search against the plain expression walk: the same
// addresses wherever the plain walk gets to the end of the text.
#include <cstdlib>

#include "fuzz_input.h"
#include "email_search.h"
#include "expression_search.h"

// The plain walk is quadratic on long runs: past this it would dominate.
constexpr std::size_t kMaxText = 2048;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* lpData, std::size_t nSize) {
    if (nSize > kMaxText) return -1;
    const std::string text = WholeText(lpData, nSize);
    std::vector<std::string> plain;
    if (!SearchExpression(kEmailExpression, text, plain)) return 0;
    std::vector<std::string> fast;
    FindEmailAddresses(text, fast);
    if (fast != plain) std::abort();
    return 0;
}
