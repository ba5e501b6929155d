#include "ostrel_win.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "email_search.h"
#include "platform_owners_win.h"
#include "rdap_lookup_win.h"
#include "server_object_win.h"
#include "whois_fetch_win.h"

namespace {

// What the component's e-mail expression finds in each value RDAP gives,
// each address once: what reaches the caller has the lookup page's shape.
void KeepAddresses(const std::vector<std::string>& values, std::size_t nLimit, std::vector<std::string>& addresses) {
    for (const std::string& value : values) {
        std::vector<std::string> found;
        FindEmailAddresses(value, found);
        for (std::string& address : found)
            if (addresses.size() < nLimit && std::find(addresses.begin(), addresses.end(), address) == addresses.end())
                addresses.push_back(std::move(address));
    }
}

// The addresses the chosen source gives for the domain, at most nLimit;
// false when the domain is missing or empty.
bool LookUp(BSTR bstrDomainName, std::size_t nLimit, std::vector<std::string>& addresses) {
    if (!bstrDomainName) return false;
    const std::string szDomain = BstrToAnsi(bstrDomainName);
    if (szDomain.empty()) return false;
    const CWhoIsSource source = ReadWhoIsSource();
    if (source.bRdap) {
        KeepAddresses(LookUpRdap(bstrDomainName, source.bootstrap), nLimit, addresses);
        return true;
    }
    std::string szPage;
    // The page is searched as a text: up to its first NUL byte.
    if (FetchWhoIsPage(szDomain, szPage)) FindEmailAddresses(szPage.c_str(), std::strlen(szPage.c_str()), addresses, nLimit);
    return true;
}

}  // namespace

STDMETHODIMP COstrel::GetEMail(BSTR bstrDomainName, BSTR* bstrEmailId) {
    if (!bstrEmailId) return S_OK;
    *bstrEmailId = nullptr;
    try {
        std::vector<std::string> addresses;
        if (LookUp(bstrDomainName, 1, addresses) && !addresses.empty()) *bstrEmailId = AnsiToBstr(addresses.front());
    } catch (...) {
        // Out of memory: nothing found.
    }
    return S_OK;
}

STDMETHODIMP COstrel::GetEMails(BSTR bstrDomainName, BSTR* bstrEmailId) {
    if (!bstrEmailId) return S_OK;
    *bstrEmailId = nullptr;
    try {
        std::vector<std::string> addresses;
        if (!LookUp(bstrDomainName, static_cast<std::size_t>(-1), addresses)) return S_OK;
        std::string szList;
        for (const std::string& szAddress : addresses) szList.append(szAddress).append(",");
        *bstrEmailId = AnsiToBstr(szList);
    } catch (...) {
        // Out of memory: nothing found.
    }
    return S_OK;
}

HRESULT CreateOstrel(IUnknown* lpOuter, REFIID riid, void** ppv) {
    return CServerObject<COstrel>::Create(lpOuter, riid, ppv);
}
