#pragma once
// What the run tests share: the local web started in the test program, the
// corpus facts a run must reproduce, and the request log split by kind.
// The local web's header first: it brings winsock2.h, which must come
// before windows.h.
#include "simweb_service_win.h"

#include "hostile_sites.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/main_window_harness.h"
#include "ui/source_settings_win.h"
#include "support/options_sandbox.h"

// The corpus the run tests generate unless they ask for another.
constexpr simweb::GenerateSpec kRunWebCorpus{17, 24, 12};

// Starts the local web on the build's engine host with sites from siteBase:
// the generated corpus, or the corpus folder when one is named; and the
// hostile sites from hostileBase when one is given; today's sources and
// the RDAP servers at the addresses given them.
bool StartRunWeb(simweb::CSimWeb& web, const char* szSiteBase, int nBlockQueries, std::string& error,
                 const std::string& corpusFolder = "", const char* szHostileBase = nullptr,
                 const simweb::GenerateSpec& spec = kRunWebCorpus,
                 const simweb::SourceServices& sources = simweb::DefaultSourceServices(),
                 const simweb::RdapHosts& rdap = simweb::RdapHosts());

// One site of a corpus folder that a test writes: its pages (path inside
// the site, HTML) and its WhoIs addresses.
struct SiteFolder {
    std::string name;
    std::vector<std::string> whois;
    std::vector<std::pair<std::string, std::string>> pages;
};
bool WriteSiteFolders(const std::string& folder, const std::vector<SiteFolder>& sites, std::string& error);
// The addresses the local web gives nSites sites from szSiteBase, in site order.
std::vector<std::string> SiteHosts(const char* szSiteBase, std::size_t nSites);

// Today's sources as the Sources dialog stores them, pointed at the local
// web's services on those addresses (https, the local web's token and key),
// with Open PageRank for ranks.
CSourceSettings LocalWebSources(EResultsSource results, const std::string& searxng, const std::string& brave,
                                const std::string& openPageRank);
// A link as a page writes it: a double-quoted href.
std::string Anchor(const std::string& href);

// The first title word whose result count lies in [nLow, nHigh] and that is
// not in `taken`; empty when the corpus has none.
std::string PickQuery(const simweb::CCorpus& corpus, std::size_t nLow, std::size_t nHigh,
                      const std::vector<std::string>& taken = {});
// The first title words of an ordinary page (one, two or three of them)
// whose results are between 1 and nHigh ordinary pages and which are not
// in `taken`; empty when the corpus has none.
std::string SmallQuery(const simweb::CCorpus& corpus, std::size_t nHigh, const std::vector<std::string>& taken = {});
// The first nWords distinct words of a page's title, lower case, joined by blanks.
std::string TitleWords(const simweb::CCorpus& corpus, int nPage, std::size_t nWords);
std::vector<std::string> Addresses(const simweb::CCorpus& corpus, const std::vector<int>& pages);
// The addresses of a test's own pages, named by key.
std::vector<std::string> Addresses(const std::vector<std::string>& keys, std::string (*lpAddressOf)(const std::string&));
// The page the engine lists for each hostile site, in the order of their kinds.
std::vector<int> HostilePages(const simweb::CCorpus& corpus);
std::string HostileHost(const simweb::CCorpus& corpus, simweb::HostileKind kind);
// Whether the address is on a hostile site.
bool IsHostileAddress(const simweb::CCorpus& corpus, const std::string& address);

// Result-page requests ("&num=" in the query) since request nFrom, as targets.
std::vector<std::string> ResultPageRequests(const simweb::CSimWeb& web, std::size_t nFrom);
// The paged request target for a query text as it goes over the wire.
std::string PagedTarget(const std::string& wireQuery, int nStart);
// Pages of the sites requested since nFrom, as full addresses, in order.
std::vector<std::string> SiteRequests(const simweb::CSimWeb& web, std::size_t nFrom);
// The paged targets a query walks when it has nResults results and no limit.
std::vector<std::string> AllPagesOf(const std::string& wireQuery, std::size_t nResults);

// What a row of an accepted page shows, worked out from the corpus: the
// engine's rank and backward-link count, the outbound links the page's
// writer recorded (or a test gives for a page it wrote), the boost that
// rank and count give, the page's e-mail text and the first WhoIs address
// of its host.
struct RowFacts {
    std::string address;
    int nRank = 0;
    int nOutbound = 0;
    int nBackward = 0;
    int nBoost = 0;
    std::string email;
    std::string whois;
};
// The outbound count the corpus recorded for a generated page; a page a
// test wrote has none (-1), and the test gives it.
constexpr int kRecordedOutbound = -1;
RowFacts FactsOf(const simweb::CCorpus& corpus, const std::string& address, int nOutbound = kRecordedOutbound);
std::vector<RowFacts> FactsOf(const simweb::CCorpus& corpus, const std::vector<std::string>& addresses);
// The boost a link from a page of that rank and outbound count passes on.
int RankBoost(int nRank, int nOutbound);
// Each row against its facts, the e-mail and WhoIs columns filled only
// when their option is on.
void ExpectRowFacts(const CMainWindowHarness& window, const std::vector<RowFacts>& rows, bool bEmail, bool bWhoIs);

// Every row's address, in row order.
std::vector<std::string> RowAddresses(const CMainWindowHarness& window);
enum class RunEnd { Completed, Stopped };
// The rows hold these pages with the corpus's rank, outbound link count,
// backward-link count and boost.
void ExpectRows(const CMainWindowHarness& window, const simweb::CCorpus& corpus, const std::vector<int>& pages,
                RunEnd end = RunEnd::Completed);
// The same for rows worked out beforehand.
void ExpectRows(const CMainWindowHarness& window, std::vector<RowFacts> rows, RunEnd end = RunEnd::Completed);

// A box titled like the main window, but not the main window: the question
// shown when the engine answers with a verification page, the mailing
// list's messages.
HWND WaitForProgramBox(const CMainWindowHarness& window, int nTimeoutMs = 60000);
// Answers the end-of-run question: Cancel (no report dialog) or OK (the
// report dialog opens).
void AnswerFinished(const CMainWindowHarness& window, HWND hBox, int nAnswer = IDCANCEL);

// The page options a user sets in the options dialog.
struct PageOptions {
    bool bEmail = false;
    bool bContact = false;
    bool bKeyword = false;
    bool bWhoIs = false;
    std::string keywords;  // one per line
};

// A main window per test against one local web per test program.
class RunWebTest : public ::testing::Test {
protected:
    // Unless the suite has stored options already, also stores them as an
    // installer leaves them (StoreOptions with both checks off).
    static void StartWeb(const char* szSiteBase, int nBlockQueries, const std::string& corpusFolder = "",
                         const char* szHostileBase = nullptr, const simweb::GenerateSpec& spec = kRunWebCorpus,
                         const simweb::SourceServices& sources = simweb::DefaultSourceServices(),
                         const simweb::RdapHosts& rdap = simweb::RdapHosts());
    // Stores the options as an installer and the options dialog would,
    // before any window of the suite reads them: the e-mail and WhoIs
    // checks as given, the others off, no query delay. Put back when the
    // suite ends.
    static void StoreOptions(bool bEmail, bool bWhoIs);
    static void TearDownTestSuite();
    void SetUp() override;

    const simweb::CCorpus& Corpus() const { return s_web->Corpus(); }
    void SetLimit(const char* szLimit);
    // Sets the options through the options dialog, as a user does, with no
    // pause between queries. The dialog stores them: a test that calls
    // this keeps the stored options in a COptionsSandbox.
    void ChooseOptions(const PageOptions& options);
    // Types the keywords, starts the run and waits for the end-of-run question.
    HWND TrawlKeywords(const std::string& keywords);
    // The same, with the question answered "Cancel".
    void RunKeywords(const std::string& keywords);
    // Types the addresses into the URL dialog, runs and waits for the
    // end-of-run question.
    HWND TrawlUrls(const std::vector<std::string>& addresses, bool bFollowLinks, bool bDomainLinks);
    // The same, with the question answered "Cancel".
    void RunUrls(const std::vector<std::string>& addresses, bool bFollowLinks, bool bDomainLinks);
    // The report section of one keyword (empty: a back-link part): its
    // heading, then a block per page with the corpus's rank and
    // backward-link count.
    void ExpectReportSection(std::size_t& nAt, const std::string& keyword, const std::vector<int>& pages);
    // g_CurList: each keyword's marker, then its pages.
    void ExpectCurList(const std::vector<std::string>& keywords, const std::vector<std::vector<int>>& pages);
    template <typename T>
    static std::vector<T> First(std::vector<T> items, std::size_t n) {
        if (items.size() > n) items.resize(n);
        return items;
    }

    static simweb::CSimWeb* s_web;
    static bool s_bStarted;
    static COptionsSandbox* s_options;
    CMainWindowHarness m_window;
    std::size_t m_nFrom = 0;
};
