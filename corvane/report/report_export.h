#pragma once
// The CSV and HTML forms of the report, as the bytes of the file the user
// saves. Portable, so they can be tested and fuzzed without a window.
#include <string>
#include <vector>

#include "base/link_record.h"

constexpr std::size_t kCsvRowSize = 2048;
constexpr std::size_t kCsvHeaderSize = 128;
constexpr std::size_t kHtmlLineSize = 2048;
constexpr std::size_t kHtmlLinkSize = 1024;

struct CsvColumns {
    bool bTop20;
    bool bContact;
    bool bEmail;
    bool bWhoIs;
};

// Header and one row per record. Commas in an address become "%2C"; a text
// field that a spreadsheet would run as a formula gets a leading "'".
std::string BuildCsvReport(const std::vector<URLInfo>& lpList, const CsvColumns& columns);

// One physical line: every report line with its first "http://" or
// "https://" address made a link, all text HTML-escaped.
std::string BuildHtmlReport(const std::string& szReportText);

// The chosen file name with ".csv" / ".htm" appended unless it already
// holds that text somewhere (letter case counts).
std::string WithReportExtension(const char* szPath, bool bHtml);
