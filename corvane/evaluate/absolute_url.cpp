#include "evaluate/absolute_url.h"

#include <algorithm>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_state.h"
#include "web/url_crack.h"

namespace {

std::size_t CountSlashes(const std::string& text, std::size_t nEnd) {
    return static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nEnd), '/'));
}

// Ordinal of the "/" that ends the host: the third in "http://host/...".
std::size_t HostEndOrdinal(const std::string& base) {
    std::size_t nScheme = base.find("//");
    return nScheme == std::string::npos ? 1 : CountSlashes(base, nScheme + 2) + 1;
}

// Without ".." the last segment of the base goes when it names a file or
// a query; a bare segment counts as a directory.
std::string DirectoryOf(const std::string& base) {
    if (CountSlashes(base, base.size()) <= 2) return base;
    std::size_t q = base.rfind('/');
    if (q + 1 == base.size()) return base.substr(0, q);
    if (base.find_first_of(".?", q) != std::string::npos) return base.substr(0, q);
    return base;
}

// With ".." the base is cut before its keep-th "/"; a link that climbs
// above the host stops at the host.
std::string AncestorOf(const std::string& base, int nDots) {
    std::size_t nSlashes = CountSlashes(base, base.size());
    std::size_t nKeep = nSlashes > static_cast<std::size_t>(nDots) ? nSlashes - static_cast<std::size_t>(nDots) : 0;
    nKeep = std::max(nKeep, HostEndOrdinal(base));
    std::size_t nSeen = 0;
    for (std::size_t i = 0; i < base.size(); ++i)
        if (base[i] == '/' && ++nSeen == nKeep) return base.substr(0, i);
    return base;
}

bool IsAbsoluteLink(const std::string& link) {
    return link.find("www") != std::string::npos || link.find("http:") != std::string::npos ||
           link.find("https:") != std::string::npos;
}

// A copy that cannot be made leaves the entry as it is.
std::string CopyOfEntry(const std::string& entry) {
    return GuardedValue("error in OutLinks.source", std::string(), [&] { return entry; });
}

// Makes one entry absolute when it is relative and the page is a ".com"
// page; joining allocates, so the caller guards it.
void MakeEntryAbsolute(std::string& entry, const std::string& szPageAddress, bool bComPage) {
    std::string szLink = CopyOfEntry(entry);
    if (szLink.empty()) {
        g_Log.Write("pstr.length() == 0");
        return;
    }
    if (IsAbsoluteLink(szLink)) return;
    if (!bComPage) {
        g_Log.Write(".com absent");
        return;
    }
    std::string szFull = CFullURL().MakeFullURL(szPageAddress, szLink);
    if (szFull.empty()) return;
    g_Log.Printf("copying %s", szFull.c_str());
    entry = std::move(szFull);
}

}  // namespace

CFullURL::~CFullURL() = default;

int CFullURL::CountAndStrip(const std::string& text, const std::string& pattern, std::string& rest) {
    rest = text;
    if (pattern.empty()) return 0;
    int nCount = 0;
    for (std::size_t pos = text.find(pattern); pos != std::string::npos; pos = text.find(pattern, pos + pattern.size())) {
        ++nCount;
        rest = text.substr(pos + pattern.size());
    }
    return nCount;
}

std::string CFullURL::MakeFullURL(std::string base, std::string relative) {
    m_szBase = std::move(base);
    m_szRelative = std::move(relative);
    m_szResult.clear();
    if (m_szBase.empty() || m_szRelative.empty()) return m_szResult;
    std::string szTail;
    int nDots = CountAndStrip(m_szRelative, "..", szTail);
    m_szResult = nDots == 0 ? DirectoryOf(m_szBase) : AncestorOf(m_szBase, nDots);
    if (szTail.empty() || szTail[0] != '/') m_szResult += '/';
    m_szResult += szTail;
    g_Log.Printf("Exiting from MakeFullURL with value %s", m_szResult.c_str());
    return m_szResult;
}

bool ConvertToAbsoluteAddress(std::vector<std::string>* lpLinks, std::string szPageAddress) {
    if (!lpLinks) return true;
    bool bComPage = szPageAddress.find(".com") != std::string::npos;
    for (std::string& entry : *lpLinks) {
        if (g_Stopped) return true;
        if (!Guarded("Exception while making absolute url", [&] { MakeEntryAbsolute(entry, szPageAddress, bComPage); }))
            return false;
    }
    return true;
}

// Its one caller, crawl expansion's duplicate test, guards the copies.
std::string GetDomainFromURL(const char* szAddress) {
    if (!szAddress) return std::string();
    const std::string text(szAddress);
    const HostRange range = HostSpan(text);
    return text.substr(range.nStart, range.nEnd - range.nStart);
}
