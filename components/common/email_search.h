#pragma once
// E-mail addresses in a text, exactly as SearchExpression finds them with
// kEmailExpression, in time linear in the text: every match holds an "@",
// so only the text around each "@" is examined. The plain walk over the
// expression is quadratic on long runs of letters and digits (inline
// base64 images) and then gives up, losing the addresses after them.
// Portable.
#include <cstddef>
#include <string>
#include <vector>

extern const char kEmailExpression[];

// Appends every address found in the text to matches, at most nLimit.
void FindEmailAddresses(const char* lpText, std::size_t nLength, std::vector<std::string>& matches,
                        std::size_t nLimit = static_cast<std::size_t>(-1));
inline void FindEmailAddresses(const std::string& szText, std::vector<std::string>& matches,
                               std::size_t nLimit = static_cast<std::size_t>(-1)) {
    FindEmailAddresses(szText.data(), szText.size(), matches, nLimit);
}
