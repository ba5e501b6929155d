#include "evaluate/query_answers.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>

namespace {

constexpr std::size_t kMaxBoldSpan = 20;   // from the start of "<b>" to "</b>"
constexpr std::size_t kMaxCountChars = 10;

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Position of the sign or first digit, after leading white space.
const char* SkipSpace(const char* p) {
    while (*p && IsSpace(*p)) ++p;
    return p;
}

std::size_t DigitRun(const char* p) {
    p = SkipSpace(p);
    if (*p == '+' || *p == '-') ++p;
    std::size_t n = 0;
    while (IsDigit(p[n])) ++n;
    return n;
}

std::string WithoutCommasAndBlanks(const std::string& text) {
    std::string result;
    for (char c : text)
        if (c != ',' && c != ' ') result += c;
    return result;
}

}  // namespace

int32_t LeadingInteger(const char* szText) {
    if (!szText) return 0;
    const char* p = SkipSpace(szText);
    bool bNegative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const int64_t nLimit = bNegative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                     : std::numeric_limits<int32_t>::max();
    int64_t nValue = 0;
    for (; IsDigit(*p); ++p) {
        nValue = nValue * 10 + (*p - '0');
        if (nValue > nLimit) nValue = nLimit;
    }
    return static_cast<int32_t>(bNegative ? -nValue : nValue);
}

int32_t ParseRankAnswer(const std::string& response) {
    if (response.empty() || response == "fail") return 0;
    std::size_t nFirst = response.find(':');
    if (nFirst == std::string::npos) return 0;
    std::size_t nSecond = response.find(':', nFirst + 1);
    if (nSecond == std::string::npos) return 0;
    return LeadingInteger(response.c_str() + nSecond + 1);
}

int32_t ParseBackwardLinksAnswer(const std::string& response) {
    std::size_t nSummary = response.find("of about");
    if (nSummary == std::string::npos) nSummary = response.find("of");
    if (nSummary == std::string::npos) return 0;
    std::size_t nOpen = response.find("<b>", nSummary);
    std::size_t nClose = response.find("</b>", nSummary);
    if (nOpen == std::string::npos || nClose == std::string::npos) return 0;
    if (nClose <= nOpen || nClose - nOpen >= kMaxBoldSpan) return 0;
    std::string szNumber = WithoutCommasAndBlanks(response.substr(nOpen + 3, nClose - nOpen - 3));
    // Ten characters are read; a total whose digits run on past them does
    // not fit the result and is reported as the largest value.
    if (szNumber.size() > kMaxCountChars && DigitRun(szNumber.c_str()) > kMaxCountChars)
        return std::numeric_limits<int32_t>::max();
    szNumber.resize(std::min(szNumber.size(), kMaxCountChars));
    return LeadingInteger(szNumber.c_str());
}
