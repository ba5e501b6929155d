#include "tools_rules.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// ASCII letters only, without the C library's locale look-up: the outbound
// scan folds every byte of every page through here.
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t n = std::strlen(prefix);
    if (text.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (Lower(text[i]) != Lower(prefix[i])) return false;
    return true;
}

// Length of "scheme://" or "scheme:" at the start, 0 when there is none.
std::size_t SchemeLength(const std::string& text) {
    static const char* const kOpaque[] = {"mailto:", "javascript:", "news:", "ftp:", "https:"};
    std::size_t sep = text.find("://");
    if (sep != std::string::npos && sep > 0 && text.find('/') > sep) {
        bool bValid = std::isalpha(static_cast<unsigned char>(text[0])) != 0;
        for (std::size_t i = 1; i < sep && bValid; ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            bValid = std::isalnum(c) || c == '+' || c == '-' || c == '.';
        }
        if (bValid) return sep + 3;
    }
    for (const char* prefix : kOpaque)
        if (StartsWithNoCase(text, prefix)) return std::strlen(prefix);
    return 0;
}

}  // namespace

void CorrectAddress(char* szAddress, std::size_t nSize) {
    if (!szAddress || nSize == 0) return;
    szAddress[nSize - 1] = '\0';
    std::string text(szAddress);
    std::size_t first = 0, last = text.size();
    while (first < last && IsBlank(text[first])) ++first;
    while (last > first && IsBlank(text[last - 1])) --last;
    text = text.substr(first, last - first);
    if (!text.empty()) {
        std::size_t hash = text.find('#');
        if (hash != std::string::npos) text.erase(hash);
        std::size_t nScheme = SchemeLength(text);
        if (nScheme == 0 && !text.empty()) {
            text.insert(0, "http://");
            nScheme = 7;
        }
        std::size_t hostEnd = text.find_first_of("/?", nScheme);
        if (hostEnd == std::string::npos) hostEnd = text.size();
        for (std::size_t i = 0; i < hostEnd; ++i) text[i] = Lower(text[i]);
    }
    std::size_t n = text.size() < nSize - 1 ? text.size() : nSize - 1;
    std::memcpy(szAddress, text.data(), n);
    szAddress[n] = '\0';
}

bool IsValidAddress(const char* szAddress, const char* szSearchHost) {
    if (!szAddress) return false;
    std::string text(szAddress);
    std::size_t hostStart = 0;
    if (StartsWithNoCase(text, "http://"))
        hostStart = 7;
    else if (StartsWithNoCase(text, "https://"))
        hostStart = 8;
    else
        return false;
    std::size_t hostEnd = text.find_first_of("/?#", hostStart);
    std::string host =
        text.substr(hostStart, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostStart);
    std::size_t colon = host.find(':');
    if (colon != std::string::npos) host.erase(colon);
    if (host.empty()) return false;
    for (char& c : host) c = Lower(c);
    std::string search(szSearchHost ? szSearchHost : "");
    for (char& c : search) c = Lower(c);
    return host != search;
}

const char* FindNoCase(const char* szText, const char* szPattern) {
    if (!szText || !szPattern) return nullptr;
    if (!*szPattern) return szText;
    const char first = Lower(szPattern[0]);
    for (const char* p = szText; *p; ++p) {
        if (Lower(*p) != first) continue;
        std::size_t i = 1;
        while (szPattern[i] && p[i] && Lower(p[i]) == Lower(szPattern[i])) ++i;
        if (!szPattern[i]) return p;
        // The text ends inside the pattern: no later start can fit either.
        if (!p[i]) return nullptr;
    }
    return nullptr;
}
