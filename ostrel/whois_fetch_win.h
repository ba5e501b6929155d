#pragma once
// The WhoIs service's answer page for a domain, fetched with WinINet.
#include <string>

// "<origin>/cgi-bin/checkdomain.pl?domain=<domain>" (origin: "http://" or
// "https://" and the service's host), the domain sent as given. False when the address would not fit its 512-byte buffer: such
// a domain is refused without a request.
bool FormatWhoIsAddress(const char* szOrigin, const std::string& szDomain, char* szAddress, std::size_t nSize);

// The bytes the service answers; false (and no page) when the request
// cannot be made.
bool FetchWhoIsPage(const std::string& szDomain, std::string& szPage);
