#include "runs/run_web.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "report/text_report.h"
#include "resources/resource.h"
#include "run/run_state.h"

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

bool StartRunWeb(simweb::CSimWeb& web, const char* szSiteBase, int nBlockQueries, std::string& error) {
    simweb::SimWebOptions options;
    options.engineHost = PELLMARK_SEARCH_HOST;
    options.whoisHost = PELLMARK_WHOIS_HOST;
    options.siteBase = szSiteBase;
    options.generate = simweb::GenerateSpec{17, 24, 12};
    options.nBlockQueries = nBlockQueries;
    // A window far longer than any run: once blocked, every later query is.
    options.nBlockWindowMs = nBlockQueries ? 3600000 : 0;
    options.bQuiet = true;
    return web.Start(options, error);
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

void ExpectRows(const CMainWindowHarness& window, const simweb::CCorpus& corpus, const std::vector<int>& pages) {
    ASSERT_EQ(RowAddresses(window), Addresses(corpus, pages));
    for (std::size_t i = 0; i < pages.size(); ++i) {
        int nRow = static_cast<int>(i);
        EXPECT_EQ(window.Cell(nRow, 1), std::to_string(corpus.Rank(pages[i]))) << corpus.Page(pages[i]).address;
        EXPECT_EQ(window.Cell(nRow, 3), std::to_string(corpus.BacklinkCount(pages[i]))) << corpus.Page(pages[i]).address;
    }
}

HWND WaitForBlockedPageQuestion(const CMainWindowHarness& window, int nTimeoutMs) {
    QuestionSearch search{window.Main(), nullptr};
    WaitUntil(
        [&] {
            EnumWindows(MatchQuestion, reinterpret_cast<LPARAM>(&search));
            return search.hFound != nullptr;
        },
        nTimeoutMs);
    return search.hFound;
}

void AnswerFinished(const CMainWindowHarness& window, HWND hBox) {
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(CMainWindowHarness::MessageText(hBox), "Trawled!\nClick OK to see/save report.");
    window.Click(hBox, IDCANCEL);
    ASSERT_TRUE(window.WaitForWindowGone(hBox));
    ASSERT_TRUE(window.WaitForIdle());
}

simweb::CSimWeb* RunWebTest::s_web = nullptr;
bool RunWebTest::s_bStarted = false;

void RunWebTest::StartWeb(const char* szSiteBase, int nBlockQueries) {
    s_web = new simweb::CSimWeb;
    std::string error;
    s_bStarted = StartRunWeb(*s_web, szSiteBase, nBlockQueries, error);
    if (!s_bStarted) ADD_FAILURE() << error;
}

void RunWebTest::TearDownTestSuite() {
    delete s_web;
    s_web = nullptr;
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

void RunWebTest::RunKeywords(const std::string& keywords) {
    m_window.SetText(IDC_KEYWORDS, keywords);
    m_window.Click(IDC_TRAWL);
    AnswerFinished(m_window, m_window.WaitForWindow("Finished", 300000));
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

std::vector<int> RunWebTest::First(std::vector<int> pages, std::size_t n) {
    if (pages.size() > n) pages.resize(n);
    return pages;
}
