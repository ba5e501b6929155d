// Growth of the lists a run builds: the outbound scan's duplicate test, the
// crawl's duplicate test and the three report forms, each at 1x, 10x and
// 100x size. Prints the time per element, so a step from linear growth
// shows as a rising figure.
#include <memory>
#include <string>
#include <vector>

#include "base/run_state.h"
#include "bench_figures.h"
#include "evaluate/crawl_expansion.h"
#include "evaluate/outbound_links.h"
#include "report/report_export.h"
#include "report/text_report.h"
#include "web/tools_library_win.h"

namespace {

const char kGoal[] = "near-linear";

std::string SizeName(const char* szWhat, std::size_t nCount, const char* szElements) {
    std::string digits = std::to_string(nCount);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), ",");
    return std::string(szWhat) + ", " + digits + " " + szElements;
}

std::string SiteAddress(std::size_t n) {
    return "http://127.0.110." + std::to_string(2 + n % 100) + "/site" + std::to_string(n) + ".com/page" +
           std::to_string(n) + ".htm";
}

// A page whose links are all relative and distinct, every tenth written
// twice (once in capitals) so the duplicate test has work to refuse.
std::string PageOfRelativeLinks(std::size_t nLinks) {
    std::string page = "<html><body>\n";
    for (std::size_t i = 0; i < nLinks; ++i) {
        page += "<a href=\"/folder" + std::to_string(i % 97) + "/page" + std::to_string(i) + ".htm\">page</a>\n";
        if (i % 10 == 0) page += "<A HREF=\"/FOLDER" + std::to_string(i % 97) + "/PAGE" + std::to_string(i) + ".HTM\">again</A>\n";
    }
    return page + "</body></html>\n";
}

void MeasureOutboundScan(std::size_t nLinks, int nRounds) {
    const std::string page = PageOfRelativeLinks(nLinks);
    std::vector<double> perLink;
    for (int r = 0; r < nRounds; ++r) {
        std::vector<std::string> links;
        double dSeconds = SecondsOf([&] { GetPageOutcomingLinks(page.c_str(), &links); });
        Require(links.size() == nLinks, "outbound scan found " + std::to_string(links.size()) + " links");
        perLink.push_back(dSeconds * 1e6 / static_cast<double>(nLinks));
    }
    PrintFigure(SizeName("outbound scan duplicate test", nLinks, "links"), "us/link", kGoal, perLink);
}

// A run list of nRecords records, then a page offering as many links: every
// other one already listed, the rest new.
void MeasureCrawlTest(std::size_t nRecords, int nRounds) {
    std::vector<std::string> links;
    for (std::size_t i = 0; i < nRecords; ++i) links.push_back(SiteAddress(i % 2 ? i : nRecords + i));
    g_bFollowLinks = true;
    g_bDomainLinks = false;
    g_nMaxResults = static_cast<int>(4 * nRecords);
    std::vector<double> perRecord;
    for (int r = 0; r < nRounds; ++r) {
        g_RunList.Clear();
        for (std::size_t i = 0; i < nRecords; ++i)
            g_RunList.Append(std::make_unique<URLInfo>(MakeRecord(SiteAddress(i).c_str())));
        g_nFollowed = 0;
        double dSeconds = SecondsOf([&] { AddTrawledUrlsToList(&links, nullptr); });
        Require(g_RunList.Size() == nRecords + nRecords / 2 + nRecords % 2,
                "crawl added " + std::to_string(g_RunList.Size() - nRecords) + " records");
        perRecord.push_back(dSeconds * 1e6 / static_cast<double>(nRecords));
    }
    g_RunList.Clear();
    PrintFigure(SizeName("crawl duplicate test", nRecords, "records"), "us/record", kGoal, perRecord);
}

std::vector<URLInfo> ReportRecords(std::size_t nRecords) {
    std::vector<URLInfo> records;
    for (std::size_t i = 0; i < nRecords; ++i) {
        URLInfo info = MakeRecord(SiteAddress(i).c_str());
        info.Rank = static_cast<int>(i % 11);
        info.Outcoming = static_cast<int>(i % 300);
        info.Incoming = static_cast<int>(i % 1000);
        info.lPoint = static_cast<int>(i % 50);
        CopyField(info.Email, "webmaster" + std::to_string(i) + "@site" + std::to_string(i) + ".com");
        CopyField(info.WhoIs, "owner" + std::to_string(i) + "@registrar.com");
        CopyField(info.ContactPage, SiteAddress(i) + "/contact.htm");
        records.push_back(info);
    }
    return records;
}

void MeasureReports(std::size_t nRecords, int nRounds) {
    const std::vector<URLInfo> records = ReportRecords(nRecords);
    g_bContact = g_bEmail = g_bWhoIs = true;
    const CsvColumns columns{false, true, true, true};
    std::vector<double> text, csv, html;
    for (int r = 0; r < nRounds; ++r) {
        ClearTextResults();
        text.push_back(SecondsOf([&] { CreateTextResults(false, "", &records, false); }));
        Require(g_CurList.size() == nRecords, "the report covers " + std::to_string(g_CurList.size()) + " records");
        std::string csvText, htmlText;
        csv.push_back(SecondsOf([&] { csvText = BuildCsvReport(g_CurList, columns); }));
        html.push_back(SecondsOf([&] { htmlText = BuildHtmlReport(g_ReportText); }));
        Require(csvText.find(SiteAddress(nRecords - 1)) != std::string::npos, "the CSV lacks the last record");
        Require(htmlText.find(SiteAddress(nRecords - 1) + "</a>") != std::string::npos, "the HTML lacks the last link");
    }
    ClearTextResults();
    for (std::vector<double>* values : {&text, &csv, &html})
        for (double& value : *values) value = value * 1e6 / static_cast<double>(nRecords);
    PrintFigure(SizeName("report text", nRecords, "records"), "us/record", kGoal, text);
    PrintFigure(SizeName("report CSV", nRecords, "records"), "us/record", kGoal, csv);
    PrintFigure(SizeName("report HTML", nRecords, "records"), "us/record", kGoal, html);
}

}  // namespace

int main(int argc, char** argv) {
    const int nRounds = RoundsArgument(argc, argv, 5);
    // The address checks and case-insensitive searches come from the outside
    // libraries, as in the program.
    Require(BindOutsideLibraries(), "the outside libraries cannot be bound");
    for (std::size_t nLinks : {1000, 10000, 100000}) MeasureOutboundScan(nLinks, nRounds);
    for (std::size_t nRecords : {100, 1000, 10000}) MeasureCrawlTest(nRecords, nRounds);
    for (std::size_t nRecords : {100, 1000, 10000}) MeasureReports(nRecords, nRounds);
    return 0;
}
