#include "report/report_export.h"

#include <cstdio>
#include <cstring>

#include "evaluate/url_chars.h"
#include "web/tools_library.h"

namespace {

const char kHtmlHeader[] = "<HTML><head><TITLE>Pellmark search results</TITLE></head><body>";
const char kHtmlFooter[] = "</body></HTML>";
const char kLineBreak[] = "<br>";

// A spreadsheet runs a cell that starts with one of these as a formula.
bool LooksLikeFormula(const char* szField) { return szField[0] && std::strchr("=+-@", szField[0]); }

std::string GuardedField(const char* szField) {
    return LooksLikeFormula(szField) ? std::string("'") + szField : std::string(szField);
}

// The address with every "," as "%2C", at most nMax bytes, never cutting
// an escape in half.
std::string CsvAddress(const char* szSource, std::size_t nMax) {
    std::string address = LooksLikeFormula(szSource) ? "'" : "";
    for (const char* lp = szSource; *lp; ++lp) {
        const char* szPiece = *lp == ',' ? "%2C" : nullptr;
        std::size_t nPiece = szPiece ? 3 : 1;
        if (address.size() + nPiece > nMax) break;
        if (szPiece)
            address += szPiece;
        else
            address += *lp;
    }
    return address.size() > nMax ? std::string() : address;
}

// Formats a row around the address; the address is cut so that the
// figures and the line end always fit the row buffer.
template <typename... Args>
std::string FormatRow(const char* szFormat, int nPosition, const URLInfo& info, Args... args) {
    int nFixed = std::snprintf(nullptr, 0, szFormat, nPosition, "", args...);
    std::size_t nRoom = nFixed >= 0 && static_cast<std::size_t>(nFixed) < kCsvRowSize
                            ? kCsvRowSize - 1 - static_cast<std::size_t>(nFixed)
                            : 0;
    std::string address = CsvAddress(info.Source, nRoom);
    char szRow[kCsvRowSize];
    std::snprintf(szRow, sizeof szRow, szFormat, nPosition, address.c_str(), args...);
    return szRow;
}

std::string MarkerRow(const URLInfo& info) {
    char szRow[kCsvRowSize];
    std::string address = CsvAddress(info.Source, kCsvRowSize - 2);
    std::snprintf(szRow, sizeof szRow, "%s\n", address.c_str());
    return szRow;
}

std::string CsvHeader(const CsvColumns& columns) {
    char szHeader[kCsvHeaderSize];
    std::snprintf(szHeader, sizeof szHeader, "%s%s%s%s\n",
                  columns.bTop20 ? "#,URL,Page rank\n" : "#,URL,Page rank,Estimated,Outbound,Backward",
                  columns.bContact ? ",Contact Page " : "", columns.bEmail ? ",EmailIds" : "",
                  columns.bWhoIs ? ",WhoIs Information" : "");
    return szHeader;
}

void AppendOptionFields(std::string& csv, const URLInfo& info, const CsvColumns& columns) {
    if (columns.bContact) csv += "," + GuardedField(info.ContactPage);
    if (columns.bEmail) csv += "," + GuardedField(info.Email);
    if (columns.bWhoIs) csv += "," + GuardedField(info.WhoIs);
    csv += "\n";
}

void AppendEscaped(std::string& html, const char* lpText, std::size_t nLen) {
    for (std::size_t i = 0; i < nLen; ++i) {
        switch (lpText[i]) {
            case '&': html += "&amp;"; break;
            case '<': html += "&lt;"; break;
            case '>': html += "&gt;"; break;
            case '"': html += "&quot;"; break;
            default: html += lpText[i];
        }
    }
}

std::string Escaped(const char* lpText, std::size_t nLen) {
    std::string text;
    AppendEscaped(text, lpText, nLen);
    return text;
}

// The line with its first "http://" or "https://" address made a link. A line or a link
// too long for its buffer is written whole as plain text, so nothing is
// lost and nothing is written past a buffer.
void AppendLinkedLine(std::string& html, const char* lpLine, std::size_t nLen) {
    if (nLen >= kHtmlLineSize) return AppendEscaped(html, lpLine, nLen);
    char szLine[kHtmlLineSize];
    std::memcpy(szLine, lpLine, nLen);
    szLine[nLen] = '\0';
    const char* lpFound = FindAbsoluteMark(szLine);
    if (!lpFound) return AppendEscaped(html, szLine, nLen);
    std::size_t nStart = static_cast<std::size_t>(lpFound - szLine);
    std::size_t nEnd = nStart;
    while (nEnd < nLen && IsURLChar(szLine[nEnd])) ++nEnd;
    std::string address = Escaped(szLine + nStart, nEnd - nStart);
    char szLink[kHtmlLinkSize];
    int nLink = std::snprintf(szLink, sizeof szLink, "<a href=\"%s\">%s</a>", address.c_str(), address.c_str());
    if (nLink < 0 || static_cast<std::size_t>(nLink) >= sizeof szLink) return AppendEscaped(html, szLine, nLen);
    AppendEscaped(html, szLine, nStart);
    html += szLink;
    AppendEscaped(html, szLine + nEnd, nLen - nEnd);
}

}  // namespace

std::string BuildCsvReport(const std::vector<URLInfo>& lpList, const CsvColumns& columns) {
    std::string csv = CsvHeader(columns);
    int nCounter = 0;
    for (const URLInfo& info : lpList) {
        if (info.Rank == -1) {
            csv += MarkerRow(info);
            nCounter = -1;
        } else if (columns.bTop20) {
            csv += FormatRow("%d,%s,%d\n", nCounter + 1, info, info.Rank);
        } else {
            csv += FormatRow("%d,%s,%d,%d,%d,%s", nCounter + 1, info, info.Rank, info.lPoint, info.Outcoming,
                             MeasureText(info.Incoming).c_str());
        }
        AppendOptionFields(csv, info, columns);
        ++nCounter;
    }
    return csv;
}

std::string BuildHtmlReport(const std::string& szReportText) {
    std::string html = kHtmlHeader;
    html += kLineBreak;
    std::size_t nPos = 0;
    for (std::size_t nEnd; (nEnd = szReportText.find("\r\n", nPos)) != std::string::npos; nPos = nEnd + 2) {
        AppendLinkedLine(html, szReportText.data() + nPos, nEnd - nPos);
        html += kLineBreak;
    }
    AppendEscaped(html, szReportText.data() + nPos, szReportText.size() - nPos);
    html += kLineBreak;
    html += kHtmlFooter;
    return html;
}

std::string WithReportExtension(const char* szPath, bool bHtml) {
    const char* szExtension = bHtml ? ".htm" : ".csv";
    std::string path = szPath ? szPath : "";
    if (path.find(szExtension) == std::string::npos) path += szExtension;
    return path;
}
