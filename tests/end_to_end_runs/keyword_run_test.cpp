#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/run_state.h"
#include "end_to_end_runs/run_web.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "support/log_capture.h"

namespace {

// Sites of this program: 127.0.64.N.
class KeywordRunTest : public RunWebTest {
protected:
    static void SetUpTestSuite() { StartWeb("127.0.64.2", 0); }
};

TEST_F(KeywordRunTest, TwoKeywordsWalkAllTheirPages) {
    std::string first = PickQuery(Corpus(), 11, 40);
    std::string second = PickQuery(Corpus(), 11, 40, {first});
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    std::vector<int> firstPages = Corpus().Search(first), secondPages = Corpus().Search(second);
    RunKeywords(first + "\r\n" + second);

    std::vector<std::string> expected = AllPagesOf(first, firstPages.size());
    for (const std::string& target : AllPagesOf(second, secondPages.size())) expected.push_back(target);
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), expected);
    std::vector<int> all = firstPages;
    all.insert(all.end(), secondPages.begin(), secondPages.end());
    EXPECT_EQ(SiteRequests(*s_web, m_nFrom), Addresses(Corpus(), all));
    ExpectRows(m_window, Corpus(), all);
    EXPECT_EQ(g_nLinks, static_cast<int>(all.size()));
    EXPECT_EQ(std::string(g_szRunKeywords), first + "," + second);
    std::size_t nAt = 0;
    ExpectReportSection(nAt, first, firstPages);
    ExpectReportSection(nAt, second, secondPages);
    EXPECT_EQ(nAt, g_ReportText.size());
    ExpectCurList({first, second}, {firstPages, secondPages});
}

struct LimitCase {
    const char* szLimit;
    std::size_t nLimit;
};

TEST_F(KeywordRunTest, QueryLimitEndsTheKeyword) {
    // 15: ten of the first page, five of the second. 10: the second page is
    // requested, nothing of it is evaluated.
    const std::vector<LimitCase> cases = {{"15", 15}, {"10", 10}};
    std::string keyword = PickQuery(Corpus(), 21, 200);
    ASSERT_FALSE(keyword.empty());
    std::vector<int> pages = Corpus().Search(keyword);
    for (const LimitCase& c : cases) {
        m_nFrom = s_web->RequestCount();
        SetLimit(c.szLimit);
        RunKeywords(keyword);
        std::vector<std::string> expected = {PagedTarget(keyword, 0), PagedTarget(keyword, 10)};
        EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), expected) << c.szLimit;
        std::vector<int> taken = First(pages, c.nLimit);
        EXPECT_EQ(SiteRequests(*s_web, m_nFrom), Addresses(Corpus(), taken)) << c.szLimit;
        ExpectRows(m_window, Corpus(), taken);
        EXPECT_EQ(g_nLinks, static_cast<int>(c.nLimit));
        std::size_t nAt = 0;
        ExpectReportSection(nAt, keyword, taken);
        ExpectCurList({keyword}, {taken});
    }
}

TEST_F(KeywordRunTest, MaximumResultsEndsEachKeywordAfterItsPage) {
    std::string first = PickQuery(Corpus(), 21, 200);
    std::string second = PickQuery(Corpus(), 11, 200, {first});
    ASSERT_FALSE(second.empty());
    m_window.SetText(IDC_MAXRESULTS, "12");
    RunKeywords(first + "\r\n" + second);
    // The second keyword still gets its first page, but makes no more rows.
    std::vector<std::string> expected = {PagedTarget(first, 0), PagedTarget(first, 10), PagedTarget(second, 0)};
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), expected);
    std::vector<int> taken = First(Corpus().Search(first), 20);
    std::vector<int> secondTaken = First(Corpus().Search(second), 10);
    std::vector<int> loaded = taken;
    loaded.insert(loaded.end(), secondTaken.begin(), secondTaken.end());
    EXPECT_EQ(SiteRequests(*s_web, m_nFrom), Addresses(Corpus(), loaded));
    ExpectRows(m_window, Corpus(), First(taken, 12));
}

TEST_F(KeywordRunTest, BlanksGoOutEscaped) {
    // The first two words of a title: that page at least holds both.
    std::string keyword = TitleWords(Corpus(), 0, 2);
    ASSERT_NE(keyword.find(' '), std::string::npos) << keyword;
    std::vector<int> pages = Corpus().Search(keyword);
    ASSERT_FALSE(pages.empty()) << keyword;
    RunKeywords(keyword);
    std::string wire = keyword;
    wire.replace(wire.find(' '), 1, "%20");
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), AllPagesOf(wire, pages.size()));
    ExpectRows(m_window, Corpus(), pages);
    std::size_t nAt = 0;
    ExpectReportSection(nAt, keyword, pages);
}

TEST_F(KeywordRunTest, StopDuringAResultPageBuildsTheKeywordsReport) {
    std::string keyword = PickQuery(Corpus(), 21, 200);
    std::string later = PickQuery(Corpus(), 1, 200, {keyword});
    ASSERT_FALSE(later.empty());
    // Paced queries keep the evaluation of the first result page going
    // while the stop arrives.
    g_nQueryDelay = 2000;
    m_window.SetText(IDC_KEYWORDS, keyword + "\r\n" + later);
    m_window.Click(IDC_TRAWL);
    ASSERT_TRUE(WaitUntil([&] { return !SiteRequests(*s_web, m_nFrom).empty(); }, 60000));
    m_window.Click(IDC_TRAWL);
    HWND hBox = m_window.WaitForWindow("Finished", 120000);
    EXPECT_EQ(m_window.WaitForWindow("Working....", 0), nullptr) << "the stop routine closes the stop dialog";
    AnswerFinished(m_window, hBox);
    EXPECT_EQ(ResultPageRequests(*s_web, m_nFrom), std::vector<std::string>{PagedTarget(keyword, 0)});
    std::vector<std::string> loaded = SiteRequests(*s_web, m_nFrom);
    ASSERT_GE(loaded.size(), 1u);
    ASSERT_LT(loaded.size(), 10u) << "the page's evaluation stopped";
    std::vector<int> taken = First(Corpus().Search(keyword), loaded.size());
    EXPECT_EQ(loaded, Addresses(Corpus(), taken));
    ExpectRows(m_window, Corpus(), taken, RunEnd::Stopped);
    std::size_t nAt = 0;
    ExpectReportSection(nAt, keyword, taken);
    EXPECT_EQ(nAt, g_ReportText.size()) << "no section of the keyword that was never reached";
}

// A web of today: twelve sites from 127.0.64.101, most of them https
// behind the TLS front of tests/runs/CMakeLists.txt, three of those behind
// a broken certificate.
const char kTodayBase[] = "127.0.64.101";
constexpr simweb::GenerateSpec kTodayWeb{17, 12, 4, true};
const simweb::SiteScheme kBrokenSchemes[] = {simweb::SiteScheme::Expired, simweb::SiteScheme::WrongName,
                                             simweb::SiteScheme::SelfSigned};

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// The address the local web logs for a page: the front passes https
// requests on as plain ones.
std::string LoggedAddress(std::string address) {
    if (address.compare(0, 8, "https://") == 0) address.replace(0, 8, "http://");
    return address;
}

class KeywordRunTodayTest : public RunWebTest {
protected:
    static void SetUpTestSuite() {
        StartWeb(kTodayBase, 0, "", nullptr, kTodayWeb);
    }

    simweb::SiteScheme SchemeOf(int nPage) const { return Corpus().Site(Corpus().Page(nPage).site).scheme; }
    bool IsBroken(int nPage) const {
        return std::find(std::begin(kBrokenSchemes), std::end(kBrokenSchemes), SchemeOf(nPage)) !=
               std::end(kBrokenSchemes);
    }
    // For each broken kind, title words of one of its pages (one to three
    // of them) whose results list a page behind that certificate and as
    // few broken pages as any: each of those costs the loader its retries.
    std::vector<std::string> BrokenSiteKeywords() const {
        std::vector<std::string> keywords;
        for (simweb::SiteScheme scheme : kBrokenSchemes) {
            std::string best;
            std::size_t nBest = Corpus().PageCount() + 1;
            for (std::size_t p = 0; p < Corpus().PageCount(); ++p) {
                if (SchemeOf(static_cast<int>(p)) != scheme) continue;
                for (std::size_t nWords = 1; nWords <= 3; ++nWords) {
                    std::string query = TitleWords(Corpus(), static_cast<int>(p), nWords);
                    if (std::find(keywords.begin(), keywords.end(), query) != keywords.end()) continue;
                    std::vector<int> results = Corpus().Search(query);
                    auto nBroken = static_cast<std::size_t>(
                        std::count_if(results.begin(), results.end(), [&](int nPage) { return IsBroken(nPage); }));
                    bool bOfKind = std::any_of(results.begin(), results.end(),
                                               [&](int nPage) { return SchemeOf(nPage) == scheme; });
                    if (bOfKind && nBroken < nBest) {
                        best = query;
                        nBest = nBroken;
                    }
                }
            }
            if (!best.empty()) keywords.push_back(best);
        }
        return keywords;
    }
    // A refused certificate is a failed load, and a keyword run evaluates
    // the loader's failure text in the page's place: the engine's figures,
    // none of the page's links.
    RowFacts FailedLoadFacts(int nPage) const {
        RowFacts facts = FactsOf(Corpus(), Corpus().Page(nPage).address);
        facts.nOutbound = 0;  // the failure text holds no link
        facts.nBoost = RankBoost(facts.nRank, facts.nOutbound);
        return facts;
    }
};

TEST_F(KeywordRunTodayTest, RefusedCertificatesAreFailedLoadsAndTheRunGoesOn) {
    ASSERT_EQ(simweb::TlsFrontEntries(s_web->Options(), Corpus()), Words(KEYWORD_RUN_TLS_FRONTS))
        << "the TLS front serves this web's https side";
    std::vector<std::string> keywords = BrokenSiteKeywords();
    ASSERT_FALSE(keywords.empty());
    std::vector<std::vector<int>> results;
    std::vector<RowFacts> rows;
    std::vector<std::string> loads;
    std::map<std::string, std::size_t> refusals;
    std::map<simweb::SiteScheme, int> evaluated;
    std::string typed;
    for (const std::string& keyword : keywords) {
        results.push_back(Corpus().Search(keyword));
        typed += (typed.empty() ? "" : "\r\n") + keyword;
        for (int nPage : results.back()) {
            const std::string& address = Corpus().Page(nPage).address;
            ++evaluated[SchemeOf(nPage)];
            if (IsBroken(nPage)) {
                rows.push_back(FailedLoadFacts(nPage));
                ++refusals[address];
            } else {
                rows.push_back(FactsOf(Corpus(), address));
                loads.push_back(LoggedAddress(address));
            }
        }
    }
    for (simweb::SiteScheme scheme : kBrokenSchemes) ASSERT_GT(evaluated[scheme], 0) << static_cast<int>(scheme);
    ASSERT_GT(evaluated[simweb::SiteScheme::Plain], 0) << "an http result among them";
    ASSERT_GT(evaluated[simweb::SiteScheme::Both] + evaluated[simweb::SiteScheme::Redirect] +
                  evaluated[simweb::SiteScheme::SecureOnly],
              0)
        << "a good https result among them";

    CLogCapture log;
    m_window.SetText(IDC_MAXRESULTS, "1000");
    RunKeywords(typed);

    ExpectRowFacts(m_window, rows, false, false);
    EXPECT_EQ(g_nLinks, static_cast<int>(rows.size()));
    EXPECT_EQ(SiteRequests(*s_web, m_nFrom), loads) << "no request passes a refused certificate";
    std::size_t nRefused = 0;
    for (const auto& refusal : refusals) {
        EXPECT_EQ(log.Count("Certificate refused for " + refusal.first + ": ERROR_WINHTTP_SECURE_"), refusal.second)
            << refusal.first;
        nRefused += refusal.second;
    }
    EXPECT_EQ(log.Count("Certificate refused for "), nRefused) << log.Text();
    std::size_t nAt = 0;
    for (std::size_t k = 0; k < keywords.size(); ++k) ExpectReportSection(nAt, keywords[k], results[k]);
    EXPECT_EQ(nAt, g_ReportText.size());
    ExpectCurList(keywords, results);
}

}  // namespace
