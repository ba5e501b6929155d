#pragma once
// The links of one page, taken from its raw text without an HTML parser:
// every absolute "http://" or "https://" address in text order, then every
// distinct double-quoted HREF value that holds neither. Portable.
#include <string>
#include <vector>

// Longest absolute address kept (a longer run of address characters is cut
// here) and longest HREF value taken.
constexpr std::size_t kMaxAbsoluteLink = 2047;
constexpr std::size_t kMaxHrefValue = 2048;

// Appends the page's links to lpLinks: first pass, then second pass, each
// in text order.
void GetPageOutcomingLinks(const char* szPage, std::vector<std::string>* lpLinks);
