#include "end_to_end_runs/run_web.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <set>

#include "base/link_record.h"
#include "base/run_state.h"
#include "corpus_folder.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "sim_address.h"

namespace {

const char kPagedTail[] = "&num=10&hl=en&lr=&ie=UTF-8&newwindow=1&start=";

struct QuestionSearch {
    HWND hMain;
    HWND hFound;
};

BOOL CALLBACK MatchQuestion(HWND hWnd, LPARAM lParam) {
    auto* lpSearch = reinterpret_cast<QuestionSearch*>(lParam);
    DWORD dwProcess = 0;
    GetWindowThreadProcessId(hWnd, &dwProcess);
    if (dwProcess != GetCurrentProcessId() || hWnd == lpSearch->hMain || !IsWindowVisible(hWnd)) return TRUE;
    char szTitle[64] = "";
    GetWindowTextA(hWnd, szTitle, sizeof szTitle);
    if (std::string(szTitle) != "Pellmark") return TRUE;
    lpSearch->hFound = hWnd;
    return FALSE;
}

}  // namespace

bool StartRunWeb(simweb::CSimWeb& web, const char* szSiteBase, int nBlockQueries, std::string& error,
                 const std::string& corpusFolder, const char* szHostileBase, const simweb::GenerateSpec& spec,
                 const simweb::SourceServices& sources, const simweb::RdapHosts& rdap) {
    simweb::SimWebOptions options;
    options.sources = sources;
    options.rdap = rdap;
    options.corpusFolder = corpusFolder;
    options.engineHost = PELLMARK_SEARCH_HOST;
    options.whoisHost = PELLMARK_WHOIS_HOST;
    options.siteBase = szSiteBase;
    options.generate = spec;
    options.nBlockQueries = nBlockQueries;
    // A window far longer than any run: once blocked, every later query is.
    options.nBlockWindowMs = nBlockQueries ? 3600000 : 0;
    options.bQuiet = true;
    options.bHostile = szHostileBase != nullptr;
    if (szHostileBase) options.hostileBase = szHostileBase;
    return web.Start(options, error);
}

bool WriteSiteFolders(const std::string& folder, const std::vector<SiteFolder>& sites, std::string& error) {
    simweb::CCorpus corpus;
    for (const SiteFolder& site : sites) {
        int nSite = corpus.AddSite(site.name, "", site.whois);
        for (const auto& page : site.pages) corpus.AddPage(nSite, "/" + site.name + "/" + page.first, page.second);
    }
    return simweb::WriteCorpusFolder(corpus, folder, error);
}

CSourceSettings LocalWebSources(EResultsSource results, const std::string& searxng, const std::string& brave,
                                const std::string& openPageRank) {
    CSourceSettings sources;
    sources.results = results;
    sources.searxngInstance = "https://" + searxng + "/";
    sources.braveKey = simweb::kDefaultBraveToken;
    sources.braveEndpoint = "https://" + brave + "/res/v1/web/search";
    sources.rank = ERankSource::OpenPageRank;
    sources.openPageRankKey = simweb::kDefaultOpenPageRankKey;
    sources.openPageRankEndpoint = "https://" + openPageRank + "/api/v1.0/getPageRank";
    return sources;
}

std::vector<std::string> SiteHosts(const char* szSiteBase, std::size_t nSites) {
    std::vector<std::string> hosts;
    std::string error;
    if (!simweb::PlanSiteHosts(szSiteBase, nSites, {PELLMARK_SEARCH_HOST, PELLMARK_WHOIS_HOST}, hosts, error))
        ADD_FAILURE() << error;
    return hosts;
}

std::string Anchor(const std::string& href) { return "<a href=\"" + href + "\">link</a>\n"; }

namespace {

// What a row's e-mail column shows: the one address, "Multiple", or nothing.
std::string EmailText(const std::vector<std::string>& found) {
    if (found.size() > 1) return "Multiple";
    return found.empty() ? "" : found.front();
}

}  // namespace

int RankBoost(int nRank, int nOutbound) {
    // Reference: a link passes on the page's rank less one step for every
    // sixfold of the outbound count (1 link: none, 2 to 6: one, 7 to 36:
    // two, ...), never below 0.
    int nSteps = 0;
    for (long long nReach = 1; nReach < nOutbound; nReach *= 6) ++nSteps;
    return std::max(0, nRank - nSteps);
}

RowFacts FactsOf(const simweb::CCorpus& corpus, const std::string& address, int nOutbound) {
    RowFacts facts;
    facts.address = address;
    int nPage = corpus.FindPage(address);
    if (nPage < 0) {
        ADD_FAILURE() << "no corpus page at " << address;
        return facts;
    }
    facts.nRank = corpus.Rank(nPage);
    facts.nOutbound = nOutbound == kRecordedOutbound ? corpus.OutboundCount(nPage) : nOutbound;
    facts.nBackward = corpus.BacklinkCount(nPage);
    if (facts.nOutbound >= 0) facts.nBoost = RankBoost(facts.nRank, facts.nOutbound);
    facts.email = EmailText(corpus.Emails(nPage));
    const std::vector<std::string>& whois = corpus.WhoIsEmails(corpus.Page(nPage).site);
    facts.whois = whois.empty() ? "" : whois.front();
    return facts;
}

std::vector<RowFacts> FactsOf(const simweb::CCorpus& corpus, const std::vector<std::string>& addresses) {
    std::vector<RowFacts> rows;
    for (const std::string& address : addresses) rows.push_back(FactsOf(corpus, address));
    return rows;
}

namespace {

// The row shows the page's four figures.
void ExpectFigures(const CMainWindowHarness& window, int nRow, const RowFacts& row) {
    ASSERT_GE(row.nOutbound, 0) << "no outbound count recorded for " << row.address << ": the test must give it";
    EXPECT_EQ(window.Cell(nRow, 1), std::to_string(row.nRank)) << row.address;
    EXPECT_EQ(window.Cell(nRow, 2), std::to_string(row.nOutbound)) << row.address;
    EXPECT_EQ(window.Cell(nRow, 3), MeasureText(row.nBackward)) << row.address;
    EXPECT_EQ(window.Cell(nRow, 4), std::to_string(row.nBoost)) << row.address;
}

std::vector<std::string> AddressesOf(const std::vector<RowFacts>& rows) {
    std::vector<std::string> addresses;
    for (const RowFacts& row : rows) addresses.push_back(row.address);
    return addresses;
}

}  // namespace

void ExpectRowFacts(const CMainWindowHarness& window, const std::vector<RowFacts>& rows, bool bEmail, bool bWhoIs) {
    ASSERT_EQ(RowAddresses(window), AddressesOf(rows));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        int nRow = static_cast<int>(i);
        const RowFacts& row = rows[i];
        ExpectFigures(window, nRow, row);
        EXPECT_EQ(window.Cell(nRow, 5), bWhoIs ? row.whois : "") << row.address;
        EXPECT_EQ(window.Cell(nRow, 7), bEmail ? row.email : "") << row.address;
    }
}

namespace {

std::vector<std::string> WordsOf(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text + " ") {
        if (std::isalpha(static_cast<unsigned char>(c))) {
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!word.empty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

}  // namespace

std::string PickQuery(const simweb::CCorpus& corpus, std::size_t nLow, std::size_t nHigh,
                      const std::vector<std::string>& taken) {
    std::set<std::string> seen(taken.begin(), taken.end());
    for (std::size_t i = 0; i < corpus.PageCount(); ++i) {
        for (const std::string& word : WordsOf(corpus.Title(static_cast<int>(i)))) {
            if (!seen.insert(word).second) continue;
            std::size_t n = corpus.Search(word).size();
            if (n >= nLow && n <= nHigh) return word;
        }
    }
    return "";
}

std::string SmallQuery(const simweb::CCorpus& corpus, std::size_t nHigh, const std::vector<std::string>& taken) {
    for (std::size_t i = 0; i < corpus.PageCount(); ++i) {
        for (std::size_t nWords = 1; nWords <= 3; ++nWords) {
            std::string query = TitleWords(corpus, static_cast<int>(i), nWords);
            if (query.empty() || std::find(taken.begin(), taken.end(), query) != taken.end()) continue;
            std::vector<int> pages = corpus.Search(query);
            bool bOrdinary = std::none_of(pages.begin(), pages.end(),
                                          [&](int page) { return IsHostileAddress(corpus, corpus.Page(page).address); });
            if (!pages.empty() && pages.size() <= nHigh && bOrdinary) return query;
        }
    }
    return "";
}

std::string TitleWords(const simweb::CCorpus& corpus, int nPage, std::size_t nWords) {
    std::vector<std::string> words;
    for (const std::string& word : WordsOf(corpus.Title(nPage)))
        if (words.size() < nWords && std::find(words.begin(), words.end(), word) == words.end()) words.push_back(word);
    std::string joined;
    for (const std::string& word : words) joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

std::vector<std::string> Addresses(const simweb::CCorpus& corpus, const std::vector<int>& pages) {
    std::vector<std::string> addresses;
    for (int page : pages) addresses.push_back(corpus.Page(page).address);
    return addresses;
}

std::vector<std::string> Addresses(const std::vector<std::string>& keys, std::string (*lpAddressOf)(const std::string&)) {
    std::vector<std::string> addresses;
    for (const std::string& key : keys) addresses.push_back(lpAddressOf(key));
    return addresses;
}

std::vector<int> HostilePages(const simweb::CCorpus& corpus) {
    std::vector<int> pages(simweb::kHostileKinds, -1);
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s) {
        int nKind = simweb::HostileKindOfSite(corpus, static_cast<int>(s));
        if (nKind >= 0) pages[static_cast<std::size_t>(nKind)] = corpus.Site(static_cast<int>(s)).home;
    }
    pages.erase(std::remove(pages.begin(), pages.end(), -1), pages.end());
    return pages;
}

std::string HostileHost(const simweb::CCorpus& corpus, simweb::HostileKind kind) {
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s)
        if (simweb::HostileKindOfSite(corpus, static_cast<int>(s)) == static_cast<int>(kind))
            return corpus.Site(static_cast<int>(s)).host;
    return "";
}

bool IsHostileAddress(const simweb::CCorpus& corpus, const std::string& address) {
    for (int page : HostilePages(corpus)) {
        std::string prefix = "http://" + corpus.Site(corpus.Page(page).site).host + "/";
        if (address.compare(0, prefix.size(), prefix) == 0) return true;
    }
    return false;
}

std::vector<std::string> ResultPageRequests(const simweb::CSimWeb& web, std::size_t nFrom) {
    std::vector<simweb::RequestLogEntry> log = web.Requests();
    std::vector<std::string> targets;
    for (std::size_t i = nFrom; i < log.size(); ++i)
        if (log[i].host == PELLMARK_SEARCH_HOST && log[i].target.find("&num=") != std::string::npos)
            targets.push_back(log[i].target);
    return targets;
}

std::string PagedTarget(const std::string& wireQuery, int nStart) {
    return "/search?q=" + wireQuery + kPagedTail + std::to_string(nStart) + "&sa=N&filter=0";
}

std::vector<std::string> SiteRequests(const simweb::CSimWeb& web, std::size_t nFrom) {
    std::vector<simweb::RequestLogEntry> log = web.Requests();
    std::vector<std::string> addresses;
    for (std::size_t i = nFrom; i < log.size(); ++i)
        if (log[i].host != PELLMARK_SEARCH_HOST && log[i].host != PELLMARK_WHOIS_HOST)
            addresses.push_back("http://" + log[i].host + log[i].target);
    return addresses;
}

std::vector<std::string> AllPagesOf(const std::string& wireQuery, std::size_t nResults) {
    // The page past the last result is requested too: its answer repeats
    // the last page, which tells the run that it has ended.
    std::vector<std::string> targets;
    for (std::size_t nStart = 0; nStart <= (nResults + 9) / 10 * 10; nStart += 10)
        targets.push_back(PagedTarget(wireQuery, static_cast<int>(nStart)));
    return targets;
}

std::vector<std::string> RowAddresses(const CMainWindowHarness& window) {
    std::vector<std::string> rows;
    for (int i = 0; i < window.RowCount(); ++i) rows.push_back(window.Cell(i, 0));
    return rows;
}

void ExpectRows(const CMainWindowHarness& window, const simweb::CCorpus& corpus, const std::vector<int>& pages,
                RunEnd end) {
    ExpectRows(window, FactsOf(corpus, Addresses(corpus, pages)), end);
}

void ExpectRows(const CMainWindowHarness& window, std::vector<RowFacts> rows, RunEnd end) {
    ASSERT_EQ(RowAddresses(window), AddressesOf(rows));
    if (end == RunEnd::Stopped && !rows.empty()) {
        // A stop ends the scan for absolute addresses of the page being
        // evaluated: the last row may count fewer, and its boost follows.
        RowFacts& last = rows.back();
        int nShown = std::atoi(window.Cell(static_cast<int>(rows.size()) - 1, 2).c_str());
        EXPECT_LE(nShown, last.nOutbound) << last.address;
        last.nOutbound = nShown;
        last.nBoost = RankBoost(last.nRank, nShown);
    }
    for (std::size_t i = 0; i < rows.size(); ++i) ExpectFigures(window, static_cast<int>(i), rows[i]);
}

HWND WaitForProgramBox(const CMainWindowHarness& window, int nTimeoutMs) {
    QuestionSearch search{window.Main(), nullptr};
    WaitUntil(
        [&] {
            EnumWindows(MatchQuestion, reinterpret_cast<LPARAM>(&search));
            return search.hFound != nullptr;
        },
        nTimeoutMs);
    return search.hFound;
}

void AnswerFinished(const CMainWindowHarness& window, HWND hBox, int nAnswer) {
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(CMainWindowHarness::MessageText(hBox), "Trawled!\nClick OK to see/save report.");
    window.Click(hBox, nAnswer);
    ASSERT_TRUE(window.WaitForWindowGone(hBox));
    ASSERT_TRUE(window.WaitForIdle());
}

simweb::CSimWeb* RunWebTest::s_web = nullptr;
bool RunWebTest::s_bStarted = false;
COptionsSandbox* RunWebTest::s_options = nullptr;

void RunWebTest::StartWeb(const char* szSiteBase, int nBlockQueries, const std::string& corpusFolder,
                          const char* szHostileBase, const simweb::GenerateSpec& spec,
                          const simweb::SourceServices& sources, const simweb::RdapHosts& rdap) {
    // Whatever an earlier program left in the stored options (the demo
    // keeps the user's choices) must not decide which pages become rows.
    if (!s_options) StoreOptions(false, false);
    s_web = new simweb::CSimWeb;
    std::string error;
    s_bStarted = StartRunWeb(*s_web, szSiteBase, nBlockQueries, error, corpusFolder, szHostileBase, spec, sources, rdap);
    if (!s_bStarted) ADD_FAILURE() << error;
}

void RunWebTest::StoreOptions(bool bEmail, bool bWhoIs) {
    if (!s_options) s_options = new COptionsSandbox;
    s_options->CreateEmpty();
    s_options->SetDword("bEmail", bEmail ? 1 : 0);
    s_options->SetDword("bWhoIs", bWhoIs ? 1 : 0);
    s_options->SetDword("bContact", 0);
    s_options->SetDword("bKeyword", 0);
    s_options->SetDword("dQueryDelay", 0);
}

void RunWebTest::TearDownTestSuite() {
    delete s_web;
    s_web = nullptr;
    delete s_options;
    s_options = nullptr;
}

void RunWebTest::SetUp() {
    ASSERT_TRUE(s_bStarted);
    ASSERT_NE(m_window.Main(), nullptr);
    g_nQueryDelay = 0;
    m_nFrom = s_web->RequestCount();
    m_window.SetText(IDC_MINRANK, "0");
    m_window.SetText(IDC_MAXRESULTS, "100");
}

void RunWebTest::SetLimit(const char* szLimit) {
    m_window.SetChecked(m_window.Main(), IDC_LIMITQUERY, true);
    m_window.SetText(IDC_QUERYLIMIT, szLimit);
}

void RunWebTest::ChooseOptions(const PageOptions& options) {
    PostMessageA(m_window.Main(), WM_COMMAND, MAKEWPARAM(ID_SETTINGS_OPTIONS, 0), 0);
    HWND hOptions = m_window.WaitForWindow("Options");
    ASSERT_NE(hOptions, nullptr);
    m_window.SetChecked(hOptions, IDC_OPT_EMAIL, options.bEmail);
    m_window.SetChecked(hOptions, IDC_OPT_CONTACT, options.bContact);
    m_window.SetChecked(hOptions, IDC_OPT_KEYWORD, options.bKeyword);
    m_window.SetChecked(hOptions, IDC_OPT_WHOIS, options.bWhoIs);
    SetDlgItemTextA(hOptions, IDC_OPT_KEYWORDS, options.keywords.c_str());
    SetDlgItemTextA(hOptions, IDC_OPT_DELAY, "0");
    m_window.Click(hOptions, IDOK);
    ASSERT_TRUE(m_window.WaitForWindowGone(hOptions));
}

HWND RunWebTest::TrawlKeywords(const std::string& keywords) {
    m_window.SetText(IDC_KEYWORDS, keywords);
    m_window.Click(IDC_TRAWL);
    return m_window.WaitForWindow("Finished", 300000);
}

void RunWebTest::RunKeywords(const std::string& keywords) { AnswerFinished(m_window, TrawlKeywords(keywords)); }

HWND RunWebTest::TrawlUrls(const std::vector<std::string>& addresses, bool bFollowLinks, bool bDomainLinks) {
    std::string text;
    for (const std::string& address : addresses) text += (text.empty() ? "" : "\r\n") + address;
    return m_window.RunUrls(text, bFollowLinks, bDomainLinks);
}

void RunWebTest::RunUrls(const std::vector<std::string>& addresses, bool bFollowLinks, bool bDomainLinks) {
    AnswerFinished(m_window, TrawlUrls(addresses, bFollowLinks, bDomainLinks));
}

void RunWebTest::ExpectReportSection(std::size_t& nAt, const std::string& keyword, const std::vector<int>& pages) {
    std::string heading = keyword.empty() ? "Potential link partners based on URL trawl:\r\n\r\n"
                                          : "Potential link partners based on keyword(s) trawl:\"" + keyword + "\".\r\n\r\n";
    nAt = g_ReportText.find(heading, nAt);
    ASSERT_NE(nAt, std::string::npos) << heading;
    nAt += heading.size();
    for (int page : pages) {
        std::string head = Corpus().Page(page).address + "\r\nRank: " + std::to_string(Corpus().Rank(page)) + "\tEstimated: ";
        ASSERT_EQ(g_ReportText.compare(nAt, head.size(), head), 0) << head;
        std::string tail = "\tBackward: " + std::to_string(Corpus().BacklinkCount(page)) + "\r\n\r\n\r\n";
        std::size_t nTail = g_ReportText.find(tail, nAt);
        ASSERT_NE(nTail, std::string::npos) << tail;
        nAt = nTail + tail.size();
    }
    ASSERT_EQ(g_ReportText.compare(nAt, 4, "\r\n\r\n"), 0) << "end of the section of " << keyword;
    nAt += 4;
}

void RunWebTest::ExpectCurList(const std::vector<std::string>& keywords, const std::vector<std::vector<int>>& pages) {
    std::vector<std::string> expected, actual;
    for (std::size_t k = 0; k < keywords.size(); ++k) {
        expected.push_back(keywords[k] + " -1");
        for (int page : pages[k]) expected.push_back(Corpus().Page(page).address + " " + std::to_string(Corpus().Rank(page)));
    }
    for (const URLInfo& info : g_CurList) actual.push_back(std::string(info.Source) + " " + std::to_string(info.Rank));
    EXPECT_EQ(actual, expected);
}
