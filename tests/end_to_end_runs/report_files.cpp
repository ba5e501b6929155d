#include "end_to_end_runs/report_files.h"

#include <gtest/gtest.h>

#include "report/report_export.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "support/temp_folder.h"
#include "support/window_watch.h"

namespace {

enum Column { kAddress, kRank, kOutbound, kBackward, kEstimated, kWhoIs, kContact, kEmail, kColumnCount };

constexpr int kReportWaitMs = 60000;

// The optional fields of a record, in the order the report writes them.
struct OptionalFields {
    std::string contact;
    std::string email;
    std::string whois;
};

OptionalFields FieldsOf(const ListRow& row) { return {row[kContact], row[kEmail], row[kWhoIs]}; }

std::string CsvOptionalFields(const OptionalFields& fields, const PageOptions& columns) {
    std::string text;
    if (columns.bContact) text += "," + fields.contact;
    if (columns.bEmail) text += "," + fields.email;
    if (columns.bWhoIs) text += "," + fields.whois;
    return text + "\n";
}

std::string CsvRow(int nPosition, const ListRow& row, const PageOptions& columns) {
    return std::to_string(nPosition) + "," + row[kAddress] + "," + row[kRank] + "," + row[kEstimated] + "," +
           row[kOutbound] + "," + row[kBackward] + CsvOptionalFields(FieldsOf(row), columns);
}

std::string ReportHeading(const std::string& keyword) {
    if (keyword.empty()) return "Potential link partners based on URL trawl:\r\n\r\n";
    return "Potential link partners based on keyword(s) trawl:\"" + keyword + "\".\r\n\r\n";
}

std::string ReportBlock(const ListRow& row, const PageOptions& columns) {
    std::string block = row[kAddress] + "\r\n" + "Rank: " + row[kRank] + "\tEstimated: " + row[kEstimated] +
                        "\tOutbound: " + row[kOutbound] + "\tBackward: " + row[kBackward] + "\r\n";
    if (columns.bContact) block += "Contact Page Link: " + row[kContact] + "\r\n";
    if (columns.bEmail) block += "Email-Ids Found on the Page: " + row[kEmail] + "\t";
    if (columns.bWhoIs) block += "WhoIs Information: " + row[kWhoIs] + "\t";
    return block + "\r\n\r\n";
}

// A text the exports would write other than it is: a comma, a character
// HTML escapes, or a first character a spreadsheet takes for a formula.
// The expected CSV and links here hold the rows' texts unchanged; what the
// exports make of such texts is held to literal rows by their unit test.
bool IsRewritten(const std::string& text) {
    return text.find_first_of(",&<>\"") != std::string::npos ||
           (!text.empty() && std::string("=+-@").find(text[0]) != std::string::npos);
}

// The first address, optional field or keyword the exports would rewrite;
// empty when there is none.
std::string FirstRewritten(const std::vector<ListRow>& rows, const std::vector<ReportSection>& sections) {
    for (const ListRow& row : rows)
        for (int nColumn : {kAddress, kContact, kEmail, kWhoIs})
            if (IsRewritten(row[nColumn])) return row[nColumn];
    for (const ReportSection& section : sections)
        if (IsRewritten(section.keyword)) return section.keyword;
    return "";
}

// The sections cover the whole list, in order.
bool SectionsCover(const std::vector<ListRow>& rows, const std::vector<ReportSection>& sections) {
    std::size_t nCovered = 0;
    for (const ReportSection& section : sections) nCovered += static_cast<std::size_t>(section.nRows);
    return nCovered == rows.size();
}

std::string EditText(HWND hEdit) {
    DWORD_PTR dwLength = 0;
    SendMessageTimeoutA(hEdit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &dwLength);
    std::string text(dwLength + 1, '\0');
    SendMessageTimeoutA(hEdit, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    text.resize(dwLength);
    return text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Saves through one of the dialog's buttons and waits for the file.
void SaveAs(DWORD dwThread, HWND hReport, int nButton, const std::string& typed, const std::string& written) {
    ASSERT_TRUE(SaveThroughFileDialog(dwThread, hReport, nButton, typed, kReportWaitMs)) << typed;
    ASSERT_TRUE(WaitUntil([&] { return Exists(written); }, kReportWaitMs)) << written;
}

}  // namespace

std::vector<ListRow> ListRows(const CMainWindowHarness& window) {
    std::vector<ListRow> rows;
    for (int i = 0; i < window.RowCount(); ++i) {
        ListRow row;
        for (int nColumn = 0; nColumn < kColumnCount; ++nColumn) row.push_back(window.Cell(i, nColumn));
        rows.push_back(row);
    }
    return rows;
}

std::string ExpectedReportText(const std::vector<ListRow>& rows, const std::vector<ReportSection>& sections,
                               const PageOptions& columns) {
    std::string text;
    std::size_t nRow = 0;
    for (const ReportSection& section : sections) {
        text += ReportHeading(section.keyword);
        for (int i = 0; i < section.nRows && nRow < rows.size(); ++i) text += ReportBlock(rows[nRow++], columns);
        text += "\r\n\r\n";
    }
    return text;
}

std::string ExpectedCsv(const std::vector<ListRow>& rows, const std::vector<ReportSection>& sections,
                        const PageOptions& columns) {
    std::string csv = "#,URL,Page rank,Estimated,Outbound,Backward";
    if (columns.bContact) csv += ",Contact Page ";
    if (columns.bEmail) csv += ",EmailIds";
    if (columns.bWhoIs) csv += ",WhoIs Information";
    csv += "\n";
    std::size_t nRow = 0;
    int nPosition = 0;
    for (const ReportSection& section : sections) {
        // A keyword's line comes first and its results count from 1 again.
        if (!section.keyword.empty()) {
            csv += section.keyword + "\n" + CsvOptionalFields({}, columns);
            nPosition = 0;
        }
        for (int i = 0; i < section.nRows && nRow < rows.size(); ++i) csv += CsvRow(++nPosition, rows[nRow++], columns);
    }
    return csv;
}

std::string UrlRunReport(const std::vector<RowFacts>& rows, bool bEmail, bool bWhoIs) {
    std::vector<ListRow> listRows;
    for (const RowFacts& row : rows) {
        ListRow listRow(kColumnCount);
        listRow[kAddress] = row.address;
        listRow[kRank] = std::to_string(row.nRank);
        listRow[kOutbound] = std::to_string(row.nOutbound);
        listRow[kBackward] = std::to_string(row.nBackward);
        listRow[kEstimated] = std::to_string(row.nBoost);
        listRow[kEmail] = row.email;
        listRow[kWhoIs] = row.whois;
        listRows.push_back(listRow);
    }
    PageOptions columns;
    columns.bEmail = bEmail;
    columns.bWhoIs = bWhoIs;
    return ExpectedReportText(listRows, {{"", static_cast<int>(rows.size())}}, columns);
}

void SaveReportFiles(const CMainWindowHarness& window, HWND hFinished, SavedReport& saved) {
    AnswerFinished(window, hFinished, IDOK);
    DWORD dwUiThread = GetWindowThreadProcessId(window.Main(), nullptr);
    HWND hReport = WaitForDialog(dwUiThread, "Report", kReportWaitMs);
    ASSERT_NE(hReport, nullptr) << "the report dialog did not open";
    saved.shownText = EditText(GetDlgItem(hReport, IDC_REPORTTEXT));
    CTempFolder folder;
    SaveAs(dwUiThread, hReport, IDC_SAVECSV, folder.File("report"), folder.File("report.csv"));
    SaveAs(dwUiThread, hReport, IDC_SAVEHTML, folder.File("report.html"), folder.File("report.html"));
    PressButton(hReport, IDCANCEL);
    ASSERT_TRUE(window.WaitForWindowGone(hReport));
    saved.csv = ReadWholeFile(folder.File("report.csv"));
    saved.html = ReadWholeFile(folder.File("report.html"));
}

void ExpectReportFiles(const CMainWindowHarness& window, const SavedReport& saved,
                       const std::vector<ReportSection>& sections, const PageOptions& columns) {
    std::vector<ListRow> rows = ListRows(window);
    ASSERT_TRUE(SectionsCover(rows, sections)) << "the sections must cover the list's " << rows.size() << " rows";
    ASSERT_EQ(FirstRewritten(rows, sections), "") << "the web of the test must give plain texts";
    std::string text = ExpectedReportText(rows, sections, columns);
    EXPECT_EQ(saved.shownText, text);
    EXPECT_EQ(g_ReportText, text);
    EXPECT_EQ(saved.csv, ExpectedCsv(rows, sections, columns));
    // The page saved is the export of the text the dialog showed ...
    EXPECT_EQ(saved.html, BuildHtmlReport(saved.shownText));
    // ... and in the running program that export links every row's address.
    for (const ListRow& row : rows) {
        std::string link = "<a href=\"" + row[kAddress] + "\">" + row[kAddress] + "</a>";
        EXPECT_NE(saved.html.find(link), std::string::npos) << link;
    }
}
