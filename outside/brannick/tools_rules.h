#pragma once
// Rules of the stand-in tools library ("brannick.dll"). Portable, so the
// native build and the tests use exactly what the DLL exports.
//
// CorrectAddress: trims blanks (space, tab, CR, LF) at both ends; adds
//   "http://" when the address names no scheme (a scheme is letters, digits,
//   "+", "-" or "." ended by "://" before any "/", or one of "mailto:",
//   "javascript:", "news:", "ftp:", "https:"); lower-cases the scheme and
//   the host (up to the first "/", "?" or "#"); drops a "#fragment". The
//   result never exceeds the buffer: a longer one is cut. An empty or blank
//   address stays empty.
// IsValidAddress: true for "http://" and "https://" addresses (scheme in
//   any case) with a non-empty host, unless the host (without a port) is
//   the search engine's own host, whose result, cache and redirect links
//   are not candidates. Refuses empty text and every other scheme.
// FindNoCase: first occurrence of the pattern, ASCII letters compared
//   without regard to case; an empty pattern is found at the start; null
//   when absent.
#include <cstddef>

void CorrectAddress(char* szAddress, std::size_t nSize);
bool IsValidAddress(const char* szAddress, const char* szSearchHost);
const char* FindNoCase(const char* szText, const char* szPattern);
