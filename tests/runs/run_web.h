#pragma once
// What the run tests share: the local web started in the test program, the
// corpus facts a run must reproduce, and the request log split by kind.
// The local web's header first: it brings winsock2.h, which must come
// before windows.h.
#include "simweb_service_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/main_window_harness.h"

// Starts the local web on the build's engine host with sites from siteBase.
bool StartRunWeb(simweb::CSimWeb& web, const char* szSiteBase, int nBlockQueries, std::string& error);

// The first title word whose result count lies in [nLow, nHigh] and that is
// not in `taken`; empty when the corpus has none.
std::string PickQuery(const simweb::CCorpus& corpus, std::size_t nLow, std::size_t nHigh,
                      const std::vector<std::string>& taken = {});
// The first nWords distinct words of a page's title, lower case, joined by blanks.
std::string TitleWords(const simweb::CCorpus& corpus, int nPage, std::size_t nWords);
std::vector<std::string> Addresses(const simweb::CCorpus& corpus, const std::vector<int>& pages);

// Result-page requests ("&num=" in the query) since request nFrom, as targets.
std::vector<std::string> ResultPageRequests(const simweb::CSimWeb& web, std::size_t nFrom);
// The paged request target for a query text as it goes over the wire.
std::string PagedTarget(const std::string& wireQuery, int nStart);
// Pages of the sites requested since nFrom, as full addresses, in order.
std::vector<std::string> SiteRequests(const simweb::CSimWeb& web, std::size_t nFrom);
// The paged targets a query walks when it has nResults results and no limit.
std::vector<std::string> AllPagesOf(const std::string& wireQuery, std::size_t nResults);

// Every row's address, in row order.
std::vector<std::string> RowAddresses(const CMainWindowHarness& window);
// The rows hold these pages with the corpus's rank and backward-link count.
void ExpectRows(const CMainWindowHarness& window, const simweb::CCorpus& corpus, const std::vector<int>& pages);

// The question shown when the engine answers with a verification page (a
// box titled like the main window, but not the main window).
HWND WaitForBlockedPageQuestion(const CMainWindowHarness& window, int nTimeoutMs = 60000);
// Answers the end-of-run question with Cancel (no report dialog).
void AnswerFinished(const CMainWindowHarness& window, HWND hBox);

// A main window per test against one local web per test program.
class RunWebTest : public ::testing::Test {
protected:
    static void StartWeb(const char* szSiteBase, int nBlockQueries);
    static void TearDownTestSuite();
    void SetUp() override;

    const simweb::CCorpus& Corpus() const { return s_web->Corpus(); }
    void SetLimit(const char* szLimit);
    // Types the keywords, starts the run and answers the end-of-run question.
    void RunKeywords(const std::string& keywords);
    // The report section of one keyword (empty: a back-link part): its
    // heading, then a block per page with the corpus's rank and
    // backward-link count.
    void ExpectReportSection(std::size_t& nAt, const std::string& keyword, const std::vector<int>& pages);
    // g_CurList: each keyword's marker, then its pages.
    void ExpectCurList(const std::vector<std::string>& keywords, const std::vector<std::vector<int>>& pages);
    static std::vector<int> First(std::vector<int> pages, std::size_t n);

    static simweb::CSimWeb* s_web;
    static bool s_bStarted;
    CMainWindowHarness m_window;
    std::size_t m_nFrom = 0;
};
