#pragma once
// The text report of the last run and the records it covers. Portable.
#include <string>
#include <vector>

#include "base/link_record.h"

extern std::string g_ReportText;   // empty with g_bReportExists false: no report
extern bool g_bReportExists;
extern bool g_ReportIsTop20;
extern std::vector<URLInfo> g_CurList;

void ClearTextResults();
void CreateTextResults(bool bIsTop20, const char* szKeywordText, const std::vector<URLInfo>* lpList, bool bAppend);
