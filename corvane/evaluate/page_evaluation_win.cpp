#include "evaluate/page_evaluation.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/result_list.h"
#include "clients/kestrine_client_win.h"
#include "evaluate/absolute_url.h"
#include "evaluate/crawl_expansion.h"
#include "evaluate/outbound_links.h"
#include "evaluate/rank_boost.h"
#include "evaluate/rank_query_win.h"
#include "report/mailing_list.h"
#include "ui/settings_win.h"
#include "ui/status.h"

namespace {

void Trace(TRACEPROC TraceProc, const char* szFormat, const char* szSource) {
    char szStatus[kStatusTextSize];
    std::snprintf(szStatus, sizeof szStatus, szFormat, szSource);
    if (TraceProc) TraceProc(szStatus, g_nLinks);
}

bool BelowMinimumRank(const URLInfo& info, TRACEPROC TraceProc) {
    if (info.Rank >= iMinPR) return false;
    Trace(TraceProc, "Skipping %s.... ", info.Source);
    g_Log.Printf("Skipping %s....  with Rank = %d", info.Source, info.Rank);
    return true;
}

bool CheckEmail(URLInfo& info, const char* szPage) {
    std::unique_ptr<char[]> found(CKestrine().GetEmailAddress(szPage, info.Source));
    CopyField(info.Email, found.get());
    if (found) return true;
    g_Log.Write("URL skipped because email-address not found on the page");
    return false;
}

bool CheckContactPage(URLInfo& info, const char* szPage) {
    std::string szContact = CKestrine().FindContactPage(szPage, info.Source);
    CopyField(info.ContactPage, szContact);
    if (!szContact.empty()) return true;
    g_Log.Write("URL skipped because contact page not found");
    return false;
}

// A refresh replaces the evaluation's whole set of options, never a part.
bool CheckKeywords(const char* szPage, PageOptionSet& options) {
    // The keyword option without keywords: the stored settings may hold them.
    if (options.szKeywords.empty()) {
        RefreshRunStateFromStore();
        options = TakePageOptions();
    }
    if (options.szKeywords.empty()) {
        g_Log.Write("Exception keywords are Missing !!");
        return true;
    }
    if (CKestrine().FoundKeywords(szPage, options.szKeywords.c_str())) return true;
    g_Log.Write("URL skipped because no any keyword found on the page");
    return false;
}

void LookUpWhoIs(URLInfo& info) {
    CKestrine client;
    const char* szWhoIs = client.GetWhoIs(info.Source);
    if (!szWhoIs) g_Log.Write("GetWhoIs Failed");
    CopyField(info.WhoIs, szWhoIs);
}

// Every enabled check runs, also after an earlier one has rejected the page.
// The options are taken once, so that the options dialog cannot change them
// halfway through the page.
bool PassesContentChecks(URLInfo& info, const char* szPage) {
    PageOptionSet options = TakePageOptions();
    bool bAccepted = true;
    // The component clients keep every failure of theirs inside the call.
    if (options.bEmail) bAccepted &= CheckEmail(info, szPage);
    if (options.bContact) bAccepted &= CheckContactPage(info, szPage);
    if (options.bKeyword)
        Guarded("Exception while checking for keywords", [&] { bAccepted &= CheckKeywords(szPage, options); });
    if (options.bWhoIs) Guarded("Exception while checking for WhoIs", [&] { LookUpWhoIs(info); });
    return bAccepted;
}

void ForgetRejectedPage(const URLInfo& info) {
    g_Log.Printf("URL skipped %s", info.Source);
    if (g_MailSender.RemoveEntry(info.Source)) g_Log.Printf("deleted from map: %s", info.Source);
}

void Measure(URLInfo& info, const char* szPage, std::vector<std::string>& links) {
    Guarded("Exception while Getting Page Outcoming links", [&] { GetPageOutcomingLinks(szPage, &links); });
    // Counted before the conversion, which never changes the number.
    info.Outcoming = static_cast<int32_t>(links.size());
    Guarded("Exception in ConvertToAbsoluteAddress", [&] {
        if (!ConvertToAbsoluteAddress(&links, info.Source)) g_Log.Write("ConvertToAbsoluteAddress returns FALSE");
    });
    if (!GetPRBoost(&info)) g_Log.Write("GetPRBoost returns FALSE");
    Guarded("Exception while Getting BackwardLinks", [&] { info.Incoming = GetBackwardLinks(&info); });
}

void FollowLinks(const std::vector<std::string>& links, TRACEPROC TraceProc) {
    if (!g_bUrlRun) {
        g_Log.Write("Not a URL run: the page's links are not followed");
        return;
    }
    Guarded("Exception in AddTrawledUrlsToList", [&] { AddTrawledUrlsToList(&links, TraceProc); });
}

}  // namespace

bool ParsePage(URLInfo* lpInfo, const char* szPage, TRACEPROC TraceProc) {
    if (!lpInfo) return false;
    if (!szPage) szPage = "";
    URLInfo& info = *lpInfo;
    Trace(TraceProc, "Checking %s....", info.Source);
    if (info.Rank <= 0) Guarded("Exception in ParsePage-GetCorvane", [&] { info.Rank = GetCorvane(info.Source, -1); });
    if (BelowMinimumRank(info, TraceProc)) return false;
    if (!PassesContentChecks(info, szPage)) {
        // A rejected page stays rejected even when forgetting it fails.
        Guarded("Exception while checking for bValidURL", [&] { ForgetRejectedPage(info); });
        return false;
    }
    std::vector<std::string> links;
    Measure(info, szPage, links);
    UpdateList(&info);
    FollowLinks(links, TraceProc);
    return true;
}
