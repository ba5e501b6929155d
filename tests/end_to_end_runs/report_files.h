#pragma once
// The end of a run as a user finishes it: "OK" to the end-of-run question,
// the report saved as CSV and as HTML through the save-file dialog, and
// both files checked against the rows of the result list. The expected
// report text and CSV are the rows' texts joined by plain loops with the
// formats' fixed texts; the HTML page must be the export of the text the
// dialog showed, with every row's address a link. So a fault in the
// report, the saving or the rows' texts shows up as a difference, while
// the exports' rules for texts they rewrite keep their own literal tests.
// The local web's header (through run_web.h) must come before windows.h.
#include "end_to_end_runs/run_web.h"

#include <string>
#include <vector>

// A part of the report: the keyword of its heading (empty in a URL or
// back-link run) and how many rows of the list, in list order, it holds.
struct ReportSection {
    std::string keyword;
    int nRows;
};

// The texts of one result-list row, by column (0 address ... 7 e-mail).
using ListRow = std::vector<std::string>;
std::vector<ListRow> ListRows(const CMainWindowHarness& window);

// What the files and the report text must hold for these rows; the
// contact-page, e-mail and WhoIs options add their columns.
std::string ExpectedReportText(const std::vector<ListRow>& rows, const std::vector<ReportSection>& sections,
                               const PageOptions& columns);
std::string ExpectedCsv(const std::vector<ListRow>& rows, const std::vector<ReportSection>& sections,
                        const PageOptions& columns);
// The text report a URL run ends with, for rows of these facts.
std::string UrlRunReport(const std::vector<RowFacts>& rows, bool bEmail, bool bWhoIs);

struct SavedReport {
    std::string shownText;
    std::string csv;
    std::string html;
};

// Answers the end-of-run question with "OK", saves the report that opens
// as "report" (".csv" added by the program) and "report.html" in a fresh
// folder, closes the dialog and reads both files back. Fails the test when
// a window does not come or a file is not written.
void SaveReportFiles(const CMainWindowHarness& window, HWND hFinished, SavedReport& saved);

// The saved files and the report text against the rows of the list.
void ExpectReportFiles(const CMainWindowHarness& window, const SavedReport& saved,
                       const std::vector<ReportSection>& sections, const PageOptions& columns);
