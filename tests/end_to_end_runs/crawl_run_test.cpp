#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <future>
#include <map>
#include <string>
#include <vector>

#include "base/run_state.h"
#include "end_to_end_runs/report_files.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "support/temp_folder.h"

namespace {

// Sites a.com to j.com and k.org of this program: 127.0.70.1 to
// 127.0.70.11, so the first site's host lies inside the last two's. A TLS
// front (tests/end_to_end_runs/CMakeLists.txt) serves a.com, b.com and h.com over
// https as well.
const char kSiteBase[] = "127.0.70.1";
const std::vector<std::string> kSiteNames = {"a.com", "b.com", "c.com", "d.com", "e.com", "f.com",
                                             "g.com", "h.com", "i.com", "j.com", "k.org"};

// A place of the crawl's web: a page (site and path), a site folder (empty
// path), or a page written in capitals after its host.
struct Place {
    const char* szKey;
    int nSite;
    const char* szPath;
    bool bCapitals;
};

const std::vector<Place> kPlaces = {
    {"A0", 0, "index.html", false}, {"A1", 0, "more.html", false},   {"A2", 0, "next.html", false},
    {"B0", 1, "index.html", false}, {"B1", 1, "extra.html", false},  {"C0", 2, "index.html", false},
    {"D0", 3, "index.html", false}, {"E0", 4, "index.html", false},  {"F0", 5, "index.html", false},
    {"G0", 6, "index.html", false}, {"H0", 7, "index.html", false},  {"I0", 8, "index.html", false},
    {"J0", 9, "index.html", false}, {"K0", 10, "index.html", false}, {"K1", 10, "other.html", false},
    {"Bdir", 1, "", false},         {"Ddir", 3, "", false},          {"Acaps", 0, "index.html", true},
    {"M0", 0, "mixed.html", false},
};

// Each page's links in page order: places by key ("s:" before it: over
// https), anything else as written (a relative link). "Bdir" lies inside
// B0's address, "Acaps" inside A0's.
const std::map<std::string, std::vector<std::string>> kLinks = {
    {"A0", {"B0", "C0", "A1", "B1", "Bdir", "Acaps", "next.html"}},
    {"A1", {"H0"}},
    {"A2", {"J0"}},
    {"B0", {"D0"}},
    {"B1", {"I0"}},
    {"C0", {"E0", "D0"}},
    {"D0", {"F0"}},
    {"E0", {"G0"}},
    {"F0", {}},
    {"G0", {}},
    {"H0", {}},
    {"I0", {}},
    {"J0", {"A0", "B0"}},
    // Relative links of a page whose address has no ".com" stay relative.
    {"K0", {"other.html", "/k.org/other.html"}},
    {"K1", {}},
    // Both schemes: B0 and C0 each way round, H0 over https only.
    {"M0", {"s:B0", "C0", "B0", "s:C0", "s:H0"}},
};

const std::vector<std::string>& Hosts() {
    static const std::vector<std::string> hosts = SiteHosts(kSiteBase, kSiteNames.size());
    return hosts;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string Address(const std::string& key) {
    if (key.compare(0, 2, "s:") == 0) return "https://" + Address(key.substr(2)).substr(7);
    for (const Place& place : kPlaces) {
        if (key != place.szKey) continue;
        std::string path = kSiteNames[place.nSite] + "/" + place.szPath;
        return "http://" + Hosts()[place.nSite] + "/" + (place.bCapitals ? Upper(path) : path);
    }
    return key;
}

std::vector<SiteFolder> CrawlSites() {
    std::vector<SiteFolder> sites;
    for (const std::string& name : kSiteNames) sites.push_back({name, {}, {}});
    for (const auto& page : kLinks) {
        const Place& place =
            *std::find_if(kPlaces.begin(), kPlaces.end(), [&](const Place& p) { return page.first == p.szKey; });
        std::string html = "<html><head><title>Page " + page.first + "</title></head><body>\n";
        for (const std::string& link : page.second) html += Anchor(Address(link));
        sites[place.nSite].pages.push_back({place.szPath, html + "</body></html>\n"});
    }
    return sites;
}

// What rows show for these pages: CrawlSites writes each link of kLinks
// once, in double quotes and no two alike, so every one counts.
std::vector<RowFacts> RowsOf(const simweb::CCorpus& corpus, const std::vector<std::string>& addresses) {
    std::vector<RowFacts> rows;
    for (const std::string& address : addresses) {
        int nPage = corpus.FindPage(address);
        auto page = std::find_if(kLinks.begin(), kLinks.end(),
                                 [&](const auto& links) { return corpus.FindPage(Address(links.first)) == nPage; });
        EXPECT_NE(page, kLinks.end()) << address;
        rows.push_back(FactsOf(corpus, address, page == kLinks.end() ? 0 : static_cast<int>(page->second.size())));
    }
    return rows;
}

// The page as the local web's log shows it: the front passes https
// requests on as plain ones.
std::string AsRequested(const std::string& address) {
    return address.compare(0, 8, "https://") == 0 ? "http://" + address.substr(8) : address;
}

class CrawlRunTest : public RunWebTest {
protected:
    static void SetUpTestSuite() {
        CTempFolder folder;
        std::string error;
        if (!WriteSiteFolders(folder.Path(), CrawlSites(), error)) ADD_FAILURE() << error;
        StartWeb(kSiteBase, 0, folder.Path());
    }
};

// Breadth first from A0 by address, as far as the links reach.
const std::vector<std::string> kWholeCrawl = {"A0", "B0", "C0", "A1", "B1", "A2", "D0",
                                              "E0", "H0", "I0", "J0", "F0", "G0"};

struct CrawlCase {
    const char* szName;
    std::vector<std::string> typed;
    bool bFollowLinks;
    bool bDomainLinks;
    int nMaxResults;
    // In the order the rules put them: the typed addresses, then each
    // accepted page's new links, the first page's before the second's.
    std::vector<std::string> loads;
};

TEST_F(CrawlRunTest, FollowedLinksAreLoadedBreadthFirst) {
    const std::vector<CrawlCase> cases = {
        // Bdir and Acaps lie inside addresses already listed; next.html
        // comes last, as relative links follow the absolute ones.
        {"by address", {"A0"}, true, false, 100, kWholeCrawl},
        // One page per new host: A1, A2 and B1 share a listed host.
        {"by host", {"A0"}, true, true, 100, {"A0", "B0", "C0", "D0", "E0", "F0", "G0"}},
        // A0's host 127.0.70.1 lies inside J0's 127.0.70.10.
        {"host inside a longer host", {"J0"}, true, true, 100, {"J0", "B0", "D0", "F0"}},
        // D0's address is longer than the listed folder address, which
        // does not contain it: the same page is loaded twice.
        {"longer address", {"Ddir", "C0"}, true, false, 100, {"Ddir", "C0", "F0", "E0", "D0", "G0"}},
        // Records are added while no more than the maximum were: three.
        {"maximum two", {"A0"}, true, false, 2, {"A0", "B0", "C0", "A1"}},
        // The rows are full before A0 is evaluated; its links still count.
        {"rows full first", {"F0", "G0", "H0", "A0"}, true, false, 2, {"F0", "G0", "H0", "A0", "B0", "C0", "A1"}},
        {"no following", {"A0", "B0"}, false, false, 100, {"A0", "B0"}},
        {"domain links alone", {"A0"}, false, true, 100, {"A0"}},
        {"relative links left relative", {"K0"}, true, false, 100, {"K0"}},
        // An https page's https links are followed; a page met over both
        // schemes is loaded once, over the scheme it was first met with.
        {"both schemes", {"s:M0"}, true, false, 100, {"s:M0", "s:B0", "C0", "s:H0", "D0", "E0", "F0", "G0"}},
        {"both schemes, no following", {"s:M0"}, false, false, 100, {"s:M0"}},
    };
    for (const CrawlCase& c : cases) {
        SCOPED_TRACE(c.szName);
        m_nFrom = s_web->RequestCount();
        m_window.SetText(IDC_MAXRESULTS, std::to_string(c.nMaxResults));
        RunUrls(Addresses(c.typed, Address), c.bFollowLinks, c.bDomainLinks);
        std::vector<std::string> loads = Addresses(c.loads, Address);
        const std::vector<std::string> requests = SiteRequests(*s_web, m_nFrom);
        std::vector<std::string> requested(loads.size());
        std::transform(loads.begin(), loads.end(), requested.begin(), AsRequested);
        EXPECT_EQ(requests, requested);
        // No address was joined onto another (".../https://...").
        for (const std::string& request : requests) EXPECT_EQ(request.find("://", 7), std::string::npos) << request;
        // Every loaded page is accepted; rows stop at the maximum.
        std::vector<RowFacts> rows = RowsOf(Corpus(), First(loads, static_cast<std::size_t>(c.nMaxResults)));
        ExpectRowFacts(m_window, rows, false, false);
        EXPECT_EQ(g_ReportText, UrlRunReport(rows, false, false));
    }
}

TEST_F(CrawlRunTest, StopEndsTheCrawlWithTheRowsItHas) {
    // Paced queries keep each evaluation going for seconds.
    g_nQueryDelay = 2000;
    auto run = std::async(std::launch::async, [&] { return m_window.RunUrls(Address("A0"), true, false); });
    ASSERT_TRUE(WaitUntil([&] { return SiteRequests(*s_web, m_nFrom).size() >= 3; }, 120000));
    m_window.Click(IDC_TRAWL);
    AnswerFinished(m_window, run.get());
    std::vector<std::string> loads = SiteRequests(*s_web, m_nFrom);
    ASSERT_LT(loads.size(), kWholeCrawl.size()) << "the crawl stopped";
    EXPECT_EQ(loads, Addresses(First(kWholeCrawl, loads.size()), Address));
    // The page loaded when the stop came may have been left unevaluated.
    std::size_t nRows = static_cast<std::size_t>(m_window.RowCount());
    ASSERT_TRUE(nRows == loads.size() || nRows + 1 == loads.size()) << nRows << " rows";
    std::vector<std::string> shown;
    for (const std::string& address : First(loads, nRows)) shown.push_back(Corpus().Page(Corpus().FindPage(address)).address);
    ExpectRows(m_window, RowsOf(Corpus(), shown), RunEnd::Stopped);
    EXPECT_EQ(g_ReportText, ExpectedReportText(ListRows(m_window), {{"", static_cast<int>(nRows)}}, PageOptions()));
}

}  // namespace
