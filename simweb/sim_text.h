#pragma once
// Small text helpers of the local web: case-insensitive search, HTML and
// percent escaping, and the word rule shared by the index and the queries.
#include <cstddef>
#include <string>
#include <vector>

namespace simweb {

// ASCII only: the engine's words and markup are ASCII, and the C library's
// locale-aware calls cost more than the rest of the indexing together.
inline char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }
inline bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}
std::string ToLower(std::string text);
bool StartsWith(const std::string& text, const char* szPrefix);
bool StartsWithNoCase(const std::string& text, const char* szPrefix);
// Position of the first occurrence at or after nFrom, letters compared
// without regard to case; npos when absent.
std::size_t FindNoCase(const std::string& text, const char* szPattern, std::size_t nFrom = 0);

// Escapes the five characters that can end or open markup, and "=" so
// that no escaped text can ever read as an attribute.
std::string HtmlEscape(const std::string& text);
// %XX sequences decoded; with bPlusIsBlank a "+" reads as a blank.
std::string PercentDecode(const std::string& text, bool bPlusIsBlank);
// Escapes every byte that may not stand in a request path as written.
std::string PercentEscapePath(const std::string& text);

// Words as the engine indexes and matches them: runs of ASCII letters and
// digits, lower-cased; runs longer than kMaxWordLength are not words.
constexpr std::size_t kMaxWordLength = 40;
std::vector<std::string> SplitWords(const std::string& text);

// Leading decimal number clamped to [nMin, nMax]; nDefault when none.
long long ParseNumber(const std::string& text, long long nDefault, long long nMin, long long nMax);
// A value that is digits only and within [nMin, nMax] (nMin >= 0); false
// for anything else, the empty text included.
bool ReadCount(const std::string& text, long long nMin, long long nMax, long long& nValue);

}  // namespace simweb
