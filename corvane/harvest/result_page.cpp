#include "harvest/result_page.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "web/tools_library.h"

namespace {

std::atomic<PFN_AskBlockedPage> s_pfnAsk{nullptr};

bool AskBlockedPage() {
    PFN_AskBlockedPage pfn = s_pfnAsk;
    return pfn && pfn();
}

// The address of the result link that precedes the "Cached" link at
// nCached, or false when the page does not hold one. Nothing before nCut
// counts: the text up to the previous "Cached" has been worked through.
bool ResultAddressBefore(const std::string& work, std::size_t nCut, std::size_t nCached, std::string& address) {
    std::size_t nOwn = work.rfind("href=", nCached);
    if (nOwn == std::string::npos || nOwn <= nCut) return false;
    std::size_t nResult = work.rfind("href=", nOwn - 1);
    if (nResult == std::string::npos || nResult < nCut) return false;
    std::size_t nDelimiter = nResult + 5;
    if (nDelimiter >= work.size()) return false;
    std::size_t nClose = work.find(work[nDelimiter], nDelimiter + 1);
    if (nClose == std::string::npos) return false;
    address = work.substr(nDelimiter + 1, nClose - nDelimiter - 1);
    if (!address.empty() && address[0] == '/') {
        std::size_t nQuery = address.find("q=");
        if (nQuery != std::string::npos) {
            address = address.substr(nQuery + 2);
            g_Log.Printf("String converted to = %s", address.c_str());
        }
    }
    return true;
}

void TakeResultAddress(const std::string& address, std::vector<std::string>& links, bool& bFound) {
    if (!IsValidGURL(address.c_str())) return;
    if (address.empty()) {
        g_Log.Write("No Link Exist -- ExtractGoogleLinks");
        return;
    }
    links.push_back(address);
    g_Log.Printf("Link inserted to list = %s", address.c_str());
    bFound = true;
}

}  // namespace

std::string BuildQueryAddress(const char* szTemplate, const char* szQuery, int nPerPage, int nStart) {
    char szPath[kQueryAddressSize];
    std::snprintf(szPath, sizeof szPath, szTemplate, szQuery ? szQuery : "", nPerPage, nStart);
    char szAddress[kQueryAddressSize];
    std::snprintf(szAddress, sizeof szAddress, "%s%s", PELLMARK_SEARCH_ORIGIN, szPath);
    return szAddress;
}

void SetBlockedPageQuestion(PFN_AskBlockedPage pfnAsk) { s_pfnAsk = pfnAsk; }

bool IsLastPage(std::string szPage, int nStart) {
    std::size_t nResults = szPage.find("Results");
    if (nResults == std::string::npos) {
        g_Log.Write("Wrong google page");
        return !AskBlockedPage();
    }
    std::size_t nOpen = szPage.find("<b>", nResults);
    std::size_t nClose = szPage.find("</b>", nResults);
    if (nOpen == std::string::npos || nClose == std::string::npos) {
        g_Log.Write("No page index found");
        return true;
    }
    std::size_t nFrom = nOpen + 3;
    std::string number = nClose > nFrom ? szPage.substr(nFrom, nClose - nFrom) : std::string();
    g_Log.Printf("Page No = %s", number.c_str());
    if (std::atoi(number.c_str()) == nStart + 1) return false;
    g_Log.Write("End of Google Results");
    return true;
}

// The last-page test and the walk copy texts: a failure in one is logged and
// the next stage still runs, keeping the links found so far.
bool ExtractGoogleLinks(std::string szPage, std::vector<std::string>& links, int& nStart) {
    bool bFound = false;
    links.clear();
    bool bLastPage = false;
    Guarded("Exception checking google last page", [&] { bLastPage = IsLastPage(szPage, nStart); });
    if (bLastPage) {
        nStart = -1;
        return false;
    }
    std::size_t nCached = szPage.find("Cached");
    if (nCached == std::string::npos) g_Log.Write("No links found in google page");
    Guarded("Exception Extracting google links", [&] {
        // Searching on from behind each "Cached" stands for cutting the
        // page there, without copying the rest of the page each time.
        std::size_t nCut = 0;
        while (nCached != std::string::npos) {
            std::string address;
            if (ResultAddressBefore(szPage, nCut, nCached, address)) TakeResultAddress(address, links, bFound);
            nCut = nCached + 6;
            nCached = szPage.find("Cached", nCut);
        }
    });
    return bFound;
}

bool TakeServiceAddresses(const std::vector<std::string>& urls, std::vector<std::string>& links) {
    bool bFound = false;
    links.clear();
    for (const std::string& address : urls) TakeResultAddress(address, links, bFound);
    return bFound;
}
