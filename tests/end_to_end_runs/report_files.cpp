#include "end_to_end_runs/report_files.h"

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "report/text_report.h"
#include "resources/resource.h"
#include "sim_text.h"
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

std::string Replaced(const std::string& text, char c, const std::string& by) {
    std::string out;
    for (char ch : text) out += ch == c ? by : std::string(1, ch);
    return out;
}

// A field a spreadsheet would run as a formula is written with a leading "'".
std::string CsvField(const std::string& field) {
    bool bFormula = !field.empty() && std::string("=+-@").find(field[0]) != std::string::npos;
    return bFormula ? "'" + field : field;
}

std::string CsvOptionalFields(const OptionalFields& fields, const PageOptions& columns) {
    std::string text;
    if (columns.bContact) text += "," + CsvField(fields.contact);
    if (columns.bEmail) text += "," + CsvField(fields.email);
    if (columns.bWhoIs) text += "," + CsvField(fields.whois);
    return text + "\n";
}

std::string CsvRow(int nPosition, const ListRow& row, const PageOptions& columns) {
    return std::to_string(nPosition) + "," + Replaced(row[kAddress], ',', "%2C") + "," + row[kRank] + "," +
           row[kEstimated] + "," + row[kOutbound] + "," + row[kBackward] + CsvOptionalFields(FieldsOf(row), columns);
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

std::string HtmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// The characters a web address in the report runs over.
bool IsAddressChar(char c) {
    return simweb::IsWordChar(c) || (c != '\0' && std::strchr(":/.,?&+-=", c) != nullptr);
}

// The line with its first web address ("http://" or "https://", whichever
// comes first) made a link.
std::string HtmlLine(const std::string& line) {
    std::size_t nStart = std::min(simweb::FindNoCase(line, "http://"), simweb::FindNoCase(line, "https://"));
    if (nStart == std::string::npos) return HtmlEscaped(line);
    std::size_t nEnd = nStart;
    while (nEnd < line.size() && IsAddressChar(line[nEnd])) ++nEnd;
    std::string address = HtmlEscaped(line.substr(nStart, nEnd - nStart));
    return HtmlEscaped(line.substr(0, nStart)) + "<a href=\"" + address + "\">" + address + "</a>" +
           HtmlEscaped(line.substr(nEnd));
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
            csv += Replaced(section.keyword, ',', "%2C") + "\n" + CsvOptionalFields({}, columns);
            nPosition = 0;
        }
        for (int i = 0; i < section.nRows && nRow < rows.size(); ++i) csv += CsvRow(++nPosition, rows[nRow++], columns);
    }
    return csv;
}

std::string ExpectedHtml(const std::string& reportText) {
    std::string html = "<HTML><head><TITLE>Pellmark search results</TITLE></head><body><br>";
    std::size_t nAt = 0;
    for (std::size_t nEnd; (nEnd = reportText.find("\r\n", nAt)) != std::string::npos; nAt = nEnd + 2)
        html += HtmlLine(reportText.substr(nAt, nEnd - nAt)) + "<br>";
    return html + HtmlEscaped(reportText.substr(nAt)) + "<br></body></HTML>";
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
    std::string text = ExpectedReportText(rows, sections, columns);
    EXPECT_EQ(saved.shownText, text);
    EXPECT_EQ(g_ReportText, text);
    EXPECT_EQ(saved.csv, ExpectedCsv(rows, sections, columns));
    EXPECT_EQ(saved.html, ExpectedHtml(text));
}
