#pragma once
// The page text rules of the keyword search: the removal rule, the visible
// text of a page and the keyword expression. Portable.
#include <cstddef>
#include <string>

// The removal rule: repeatedly removes everything from the first szStart
// through the first szEnd at or after its end, both found without regard
// to letter case, until either is missing. One pass over the text (a span
// may start in text that an earlier removal brought together).
void AppendWithoutSpans(std::string& szOut, const char* lpText, std::size_t nLength, const char* szStart,
                        const char* szEnd);
std::string RemoveSpans(const std::string& szText, const char* szStart, const char* szEnd);

// Script elements removed, then the text between each ">" and the next "<"
// with character references removed, joined without separator.
std::string VisibleText(const std::string& szPage);

// "\bkw1\b|\bkw2\b..." for the non-empty lines of the keyword text (lines
// end with "\r\n"); empty when there is none.
std::string KeywordExpression(const std::string& szKeywords);
