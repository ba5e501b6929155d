#include "clients/script_removal.h"

#include <cctype>

namespace {
const char kStartMarker[] = "<SCRIPT";
const char kEndMarker[] = "</SCRIPT>";

std::string UpperCased(const std::string& text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}
}  // namespace

std::string RemoveScriptElements(const std::string& szPage) {
    const std::string upper = UpperCased(szPage);
    const std::size_t nEndLength = sizeof kEndMarker - 1;
    std::string result;
    result.reserve(szPage.size());
    std::size_t nRest = 0;
    while (nRest < szPage.size()) {
        const std::size_t nEnd = upper.find(kEndMarker, nRest);
        if (nEnd == std::string::npos) break;
        // The last start marker that lies in the rest up to the end marker.
        const std::size_t nStart = upper.rfind(kStartMarker, nEnd);
        if (nStart == std::string::npos || nStart < nRest) break;
        result.append(szPage, nRest, nStart - nRest);
        nRest = nEnd + nEndLength;
    }
    if (nRest < szPage.size()) result.append(szPage, nRest, std::string::npos);
    return result;
}
