#pragma once
// Splits an address into host and path the way the page loader requests
// it: the host starts behind the first "http://" or "https://" (anywhere
// in the text, whichever comes first) or at the first character, and runs
// to the first "/"; a port stays part of the host text; a path of only
// "/" is empty. Every part of the program that needs the host of an
// address takes it from HostSpan, so the two schemes are known in one place.
#include <cstddef>
#include <string>

// The first "http://" or "https://" at or after nFrom, letters as written.
struct SchemeMark {
    std::size_t nPos = std::string::npos;  // npos: none
    std::size_t nLength = 0;
    bool bSecure = false;
};
SchemeMark FindSchemeMark(const std::string& text, std::size_t nFrom = 0);

// Where the host of an address starts (behind the first scheme mark, else
// 0) and ends (its first "/" after that, else the end of the text).
struct HostRange {
    std::size_t nStart = 0;
    std::size_t nEnd = 0;
    bool bSecure = false;
};
HostRange HostSpan(const std::string& address);

bool CrackURL(std::string url, std::string& host, std::string& path);

// A host text's name and the port written after it ("localhost:8080");
// false, with the text as it is, when it names no port.
bool SplitHostPort(const std::string& host, std::string& name, unsigned& nPort);

// Bytes as a query parameter carries them: every byte but the unreserved
// letters, digits and "-._~" as "%XX".
std::string PercentEncoded(const std::string& bytes);
// The same; bSecure tells that the host came behind "https://".
bool CrackURL(std::string url, std::string& host, std::string& path, bool& bSecure);
