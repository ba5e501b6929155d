#include "whois_fetch_win.h"

#include <cstdio>

#include "web_fetch_win.h"
// After WinINet's header, for the owner of its handles.
#include "platform_owners_win.h"

namespace {

constexpr std::size_t kAddressSize = 512;
const char kHeaders[] = "Accept: */*\r\n\r\n";

}  // namespace

bool FormatWhoIsAddress(const char* szOrigin, const std::string& szDomain, char* szAddress, std::size_t nSize) {
    const int nWritten =
        std::snprintf(szAddress, nSize, "%s/cgi-bin/checkdomain.pl?domain=%s", szOrigin, szDomain.c_str());
    return nWritten > 0 && static_cast<std::size_t>(nWritten) < nSize;
}

bool FetchWhoIsPage(const std::string& szDomain, std::string& szPage) {
    szPage.clear();
    char szAddress[kAddressSize];
    if (!FormatWhoIsAddress(PELLMARK_WHOIS_ORIGIN, szDomain, szAddress, sizeof szAddress)) return false;
    CInternetHandle internet(OpenFetchSession());
    if (!internet) return false;
    CFetchedAnswer answer;
    if (!FetchPage(internet.Get(), szAddress, kHeaders, answer)) return false;
    szPage = std::move(answer.body);
    return true;
}
