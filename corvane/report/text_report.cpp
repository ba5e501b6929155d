#include "report/text_report.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_state.h"

std::string g_ReportText;
bool g_bReportExists = false;
bool g_ReportIsTop20 = false;
std::vector<URLInfo> g_CurList;

namespace {

// Appends printf-style text of any length: a record line can be longer
// than any fixed buffer would allow (a 2,047-byte address plus labels).
void AppendFormat(std::string& text, const char* szFormat, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

void AppendFormat(std::string& text, const char* szFormat, ...) {
    va_list args;
    va_start(args, szFormat);
    va_list copy;
    va_copy(copy, args);
    int nLen = std::vsnprintf(nullptr, 0, szFormat, copy);
    va_end(copy);
    if (nLen > 0) {
        std::size_t nOld = text.size();
        text.resize(nOld + static_cast<std::size_t>(nLen) + 1);
        std::vsnprintf(&text[nOld], static_cast<std::size_t>(nLen) + 1, szFormat, args);
        text.resize(nOld + static_cast<std::size_t>(nLen));
    }
    va_end(args);
}

void WipeCurList() {
    for (URLInfo& info : g_CurList) {
        volatile unsigned char* lpByte = reinterpret_cast<volatile unsigned char*>(&info);
        for (std::size_t i = 0; i < sizeof info; ++i) lpByte[i] = 0;
    }
}

// The records the report covers after this build, in report order.
std::vector<URLInfo> MergeRecords(const std::vector<URLInfo>& lpList, bool bAppend) {
    std::vector<URLInfo> merged;
    if (bAppend) {
        merged.reserve(g_CurList.size() + lpList.size());
        for (const URLInfo& info : g_CurList)
            if (info.Source[0]) merged.push_back(info);
    } else {
        merged.reserve(lpList.size());
    }
    for (const URLInfo& info : lpList) {
        if (info.Source[0])
            merged.push_back(info);
        else if (bAppend)
            g_Log.Write("Skipping Url from adding");
    }
    return merged;
}

void ReserveText(std::size_t nRecords, bool bAppend) {
    std::size_t nGrowth = nRecords * 4 * sizeof(URLInfo) + 256;
    if (!bAppend || !g_bReportExists) {
        g_ReportText.clear();
        g_ReportText.shrink_to_fit();
    }
    g_ReportText.reserve(g_ReportText.size() + nGrowth);
    g_bReportExists = true;
}

void AppendHeading(bool bIsTop20, const char* szKeywordText) {
    if (bIsTop20)
        AppendFormat(g_ReportText, "Google Top 20 Keyword: \"%s\".\r\n\r\n", szKeywordText);
    else if (szKeywordText[0])
        AppendFormat(g_ReportText, "Potential link partners based on keyword(s) trawl:\"%s\".\r\n\r\n", szKeywordText);
    else
        g_ReportText += "Potential link partners based on URL trawl:\r\n\r\n";
}

void AppendRecordBlock(const URLInfo& info) {
    AppendFormat(g_ReportText, "%s\r\n", info.Source);
    AppendFormat(g_ReportText, "Rank: %d\tEstimated: %d\tOutbound: %d\tBackward: %s\r\n",
                 info.Rank, info.lPoint, info.Outcoming, MeasureText(info.Incoming).c_str());
    if (g_bContact) AppendFormat(g_ReportText, "Contact Page Link: %s\r\n", info.ContactPage);
    if (g_bEmail) AppendFormat(g_ReportText, "Email-Ids Found on the Page: %s\t", info.Email);
    if (g_bWhoIs) AppendFormat(g_ReportText, "WhoIs Information: %s\t", info.WhoIs);
    g_ReportText += "\r\n\r\n";
}

void AppendRecords(bool bIsTop20, const std::vector<URLInfo>& lpList) {
    int nPosition = 0;
    for (const URLInfo& info : lpList) {
        if (info.Rank == -1) {
            // A group marker: the next record is numbered from 1 again.
            nPosition = 0;
            continue;
        }
        if (!info.Source[0])
            g_Log.Write("Skipping Invalid Urls");
        else if (bIsTop20)
            AppendFormat(g_ReportText, "Ranked #%d in Google - PR:%d Source:%s\r\n", nPosition + 1, info.Rank,
                         info.Source);
        else
            AppendRecordBlock(info);
        ++nPosition;
    }
}

}  // namespace

// Clearing and giving back memory cannot fail: no barrier is needed.
void ClearTextResults() {
    if (g_bReportExists) {
        WipeCurList();
        g_ReportText.clear();
        g_ReportText.shrink_to_fit();
        g_bReportExists = false;
    }
    g_CurList.clear();
    g_CurList.shrink_to_fit();
}

void CreateTextResults(bool bIsTop20, const char* szKeywordText, const std::vector<URLInfo>* lpList, bool bAppend) {
    if (!szKeywordText || !lpList) {
        g_Log.Write("Parameter passed contains NULL");
        return;
    }
    // Building the text allocates: a failure keeps what was appended so far.
    Guarded("Error catched in CreateTextResults", [&] {
        g_ReportIsTop20 = bIsTop20;
        std::vector<URLInfo> merged = MergeRecords(*lpList, bAppend);
        ReserveText(lpList->size(), bAppend);
        g_CurList.swap(merged);
        AppendHeading(bIsTop20, szKeywordText);
        AppendRecords(bIsTop20, *lpList);
        g_ReportText += "\r\n\r\n";
    });
}
