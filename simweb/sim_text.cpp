#include "sim_text.h"

#include <cctype>
#include <cstring>

namespace simweb {

namespace {

constexpr long long kNumberCeiling = 1000000000000000LL;

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool IsPathSafe(unsigned char c) {
    return std::isalnum(c) || std::strchr("-._~/!$&'()*+,;=:@%", c) != nullptr;
}

}  // namespace

std::string ToLower(std::string text) {
    for (char& c : text) c = LowerChar(c);
    return text;
}

bool StartsWith(const std::string& text, const char* szPrefix) {
    return text.compare(0, std::strlen(szPrefix), szPrefix) == 0;
}

bool StartsWithNoCase(const std::string& text, const char* szPrefix) {
    std::size_t n = std::strlen(szPrefix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (LowerChar(text[i]) != LowerChar(szPrefix[i])) return false;
    return true;
}

std::size_t FindNoCase(const std::string& text, const char* szPattern, std::size_t nFrom) {
    std::size_t n = std::strlen(szPattern);
    if (n == 0) return nFrom <= text.size() ? nFrom : std::string::npos;
    char first = LowerChar(szPattern[0]);
    char firstUpper = first >= 'a' && first <= 'z' ? static_cast<char>(first - ('a' - 'A')) : first;
    const char* pText = text.data();
    for (std::size_t i = nFrom; i + n <= text.size(); ++i) {
        if (pText[i] != first && pText[i] != firstUpper) continue;
        std::size_t k = 1;
        while (k < n && LowerChar(text[i + k]) == LowerChar(szPattern[k])) ++k;
        if (k == n) return i;
    }
    return std::string::npos;
}

std::string HtmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            case '=': out += "&#61;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string PercentDecode(const std::string& text, bool bPlusIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            int hi = HexValue(text[i + 1]), lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += (bPlusIsBlank && c == '+') ? ' ' : c;
    }
    return out;
}

std::string PercentEscapePath(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (IsPathSafe(u) && u != '%') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::vector<std::string> SplitWords(const std::string& text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && !IsWordChar(text[i])) ++i;
        std::size_t start = i;
        while (i < text.size() && IsWordChar(text[i])) ++i;
        if (i > start && i - start <= kMaxWordLength) words.push_back(ToLower(text.substr(start, i - start)));
    }
    return words;
}

long long ParseNumber(const std::string& text, long long nDefault, long long nMin, long long nMax) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool bNegative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i]))) return nDefault;
    long long nValue = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        // Past any sane value the number only needs to stay above the cap.
        if (nValue < kNumberCeiling) nValue = nValue * 10 + (text[i] - '0');
    }
    if (bNegative) nValue = -nValue;
    if (nValue < nMin) return nMin;
    if (nValue > nMax) return nMax;
    return nValue;
}

bool ReadCount(const std::string& text, long long nMin, long long nMax, long long& nValue) {
    nValue = ParseNumber(text, -1, -1, nMax + 1);
    return text.find_first_not_of("0123456789") == std::string::npos && nValue >= nMin && nValue <= nMax;
}

}  // namespace simweb
