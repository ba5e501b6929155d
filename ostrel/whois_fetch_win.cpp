#include "whois_fetch_win.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>

#include "platform_owners_win.h"

namespace {

constexpr std::size_t kAddressSize = 512;
constexpr DWORD kChunkSize = 512;
const char kUserAgent[] = "Microsoft Internet Explorer";
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
    CInternetHandle internet(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet) return false;
    CInternetHandle request(InternetOpenUrlA(internet.Get(), szAddress, kHeaders, sizeof kHeaders - 1,
                                             INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    if (!request) return false;
    szPage.reserve(4000);
    char chunk[kChunkSize];
    DWORD nRead = 0;
    while (InternetReadFile(request.Get(), chunk, sizeof chunk, &nRead) && nRead > 0) szPage.append(chunk, nRead);
    return true;
}
