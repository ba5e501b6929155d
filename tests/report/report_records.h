#pragma once
// Records and option settings shared by the report tests.
#include <string>
#include <vector>

#include "base/link_record.h"
#include "base/run_state.h"
#include "report/text_report.h"

inline URLInfo Rec(const char* szSource, int nRank, int nPoint = 0, int nOut = 0, int nIn = 0,
                   const char* szContact = "", const char* szEmail = "", const char* szWhoIs = "") {
    URLInfo info = MakeRecord(szSource);
    info.Rank = nRank;
    info.lPoint = nPoint;
    info.Outcoming = nOut;
    info.Incoming = nIn;
    CopyField(info.ContactPage, szContact);
    CopyField(info.Email, szEmail);
    CopyField(info.WhoIs, szWhoIs);
    return info;
}

// A Top-20 keyword's group marker: the keyword as its address, rank -1.
inline URLInfo Marker(const char* szKeyword) { return Rec(szKeyword, -1); }

struct ReportOptions {
    bool bContact;
    bool bEmail;
    bool bWhoIs;
};

// Sets the run's option flags for one test and restores them after it.
class CReportOptions {
public:
    explicit CReportOptions(ReportOptions options) : m_saved{g_bContact, g_bEmail, g_bWhoIs} { Apply(options); }
    ~CReportOptions() { Apply(m_saved); }

private:
    static void Apply(ReportOptions options) {
        g_bContact = options.bContact;
        g_bEmail = options.bEmail;
        g_bWhoIs = options.bWhoIs;
    }
    ReportOptions m_saved;
};

inline std::vector<std::string> Sources(const std::vector<URLInfo>& records) {
    std::vector<std::string> sources;
    for (const URLInfo& info : records) sources.push_back(info.Source);
    return sources;
}
