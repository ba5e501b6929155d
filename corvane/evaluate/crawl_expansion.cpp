#include "evaluate/crawl_expansion.h"

#include <cctype>
#include <cstdio>
#include <new>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_fence.h"
#include "evaluate/absolute_url.h"
#include "ui/status.h"
#include "web/tools_library.h"

namespace {

enum class Walk { Next, End };

bool StartsWithNoCase(const char* szText, const char* szPrefix) {
    for (; *szPrefix; ++szText, ++szPrefix)
        if (std::tolower(static_cast<unsigned char>(*szText)) != static_cast<unsigned char>(*szPrefix)) return false;
    return true;
}

// The address under the other scheme when it starts with "http://" or
// "https://" (letters in any case, as the duplicate test compares them);
// empty otherwise. A page reached both ways is evaluated once.
std::string OtherSchemeAddress(const char* szAddress) {
    if (StartsWithNoCase(szAddress, "https://")) return std::string("http://") + (szAddress + 8);
    if (StartsWithNoCase(szAddress, "http://")) return std::string("https://") + (szAddress + 7);
    return std::string();
}

URLInfo* FindListedAddress(const char* szAddress) {
    URLInfo* lpMatch = g_RunList.FindContaining(szAddress);
    if (lpMatch) return lpMatch;
    const std::string szOther = OtherSchemeAddress(szAddress);
    return szOther.empty() ? nullptr : g_RunList.FindContaining(szOther.c_str());
}

void Report(const char* szFormat, const char* szAddress, TRACEPROC TraceProc) {
    char szText[kStatusTextSize];
    std::snprintf(szText, sizeof szText, szFormat, szAddress);
    g_Log.Write(szText);
    if (TraceProc) TraceProc(szText, g_nLinks);
}

// Makes, checks and files one new record.
Walk FollowLink(const char* szAddress, TRACEPROC TraceProc) {
    std::unique_ptr<URLInfo> record(new (std::nothrow) URLInfo);
    if (!record) {
        g_Log.Write("*** Insufficient Memory (ParsePage())");
        return Walk::End;
    }
    *record = MakeRecord(szAddress);
    if (!IsValidGURL(record->Source)) {
        Report("URL Skipped = %s", record->Source, nullptr);
        return Walk::Next;
    }
    record->Item = -1;
    const std::string szSource = record->Source;
    // An evaluation that comes back after its run has ended adds nothing
    // to the next run's list.
    bool bFiled = WithinOwnRun([&] {
        ++g_nFollowed;
        g_RunList.Append(std::move(record));
    });
    if (!bFiled) return Walk::End;
    Report("%s quered", szSource.c_str(), TraceProc);
    return Walk::Next;
}

Walk OfferLink(const std::string& entry, TRACEPROC TraceProc) {
    // Cut to what a record can hold before the duplicate test, so that a
    // long link is recognised again the next time it is offered.
    std::string szAddress = entry.substr(0, kSourceSize - 1);
    bool bNew = false;
    URLInfo* lpKnown = nullptr;
    Guarded("Exception while calling IsURLExists", [&] { lpKnown = IsURLExists(szAddress.c_str(), &bNew); });
    if (lpKnown) {
        g_Log.Write("lpExist != NULL");
        return Walk::Next;
    }
    if (!bNew || !g_bFollowLinks || g_nFollowed > g_nMaxResults) return Walk::Next;
    return GuardedValue("Exception while checking for follow-links", Walk::Next,
                        [&] { return FollowLink(szAddress.c_str(), TraceProc); });
}

}  // namespace

void AddTrawledUrlsToList(const std::vector<std::string>* lpLinks, TRACEPROC TraceProc) {
    if (!lpLinks) return;
    for (const std::string& entry : *lpLinks) {
        if (!RunGoesOn()) break;
        if (OfferLink(entry, TraceProc) == Walk::End) break;
    }
}

URLInfo* IsURLExists(const char* szAddress, bool* lpbNew) {
    if (!szAddress) szAddress = "";
    char szText[kStatusTextSize];
    std::snprintf(szText, sizeof szText, "Sending request to %s", szAddress);
    ShowStatus(szText, g_nLinks);
    g_Log.Write(szText);
    std::string szHost = GetDomainFromURL(szAddress);
    if (szHost.empty()) {
        g_Log.Write("GetDomainFromURL returned blank");
        if (lpbNew) *lpbNew = false;
        return nullptr;
    }
    g_Log.Printf("GetDomainFromURL returned = %s", szHost.c_str());
    URLInfo* lpMatch = nullptr;
    bool bOwnRun = WithinOwnRun([&] {
        lpMatch = g_bDomainLinks ? g_RunList.FindContaining(szHost.c_str()) : FindListedAddress(szAddress);
    });
    if (lpbNew) *lpbNew = bOwnRun && lpMatch == nullptr;
    return lpMatch;
}
