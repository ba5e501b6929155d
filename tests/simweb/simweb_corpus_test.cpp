// The corpus: generation, loading, links both ways, PageRank and the
// toolbar scale, the word index.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>
#include <set>

#include "corpus.h"
#include "corpus_folder.h"
#include "corpus_generator.h"
#include "page_rank.h"
#include "sim_address.h"
#include "sim_text.h"
#include "simweb_options.h"
#include "simweb_scratch.h"

using namespace simweb;

namespace {

std::vector<std::string> Hosts(std::size_t n) {
    std::vector<std::string> hosts;
    std::string error;
    EXPECT_TRUE(PlanSiteHosts("127.0.22.2", n, {}, hosts, error)) << error;
    return hosts;
}

const CCorpus& Generated() {
    static CCorpus corpus;
    if (corpus.PageCount() == 0) GenerateCorpus(GenerateSpec{7, 20, 12}, Hosts(20), corpus);
    return corpus;
}

const CCorpus& Large() {
    static CCorpus corpus;
    if (corpus.PageCount() == 0) GenerateCorpus(GenerateSpec{3, 40, 25}, Hosts(40), corpus);
    return corpus;
}

std::vector<int> AllPages(const CCorpus& corpus) {
    std::vector<int> pages(corpus.PageCount());
    for (std::size_t i = 0; i < pages.size(); ++i) pages[i] = static_cast<int>(i);
    return pages;
}

}  // namespace

TEST(CorpusGenerator, SameSeedSameCorpusOtherSeedOther) {
    CCorpus again, other;
    GenerateCorpus(GenerateSpec{7, 20, 12}, Hosts(20), again);
    GenerateCorpus(GenerateSpec{8, 20, 12}, Hosts(20), other);
    ASSERT_EQ(Generated().PageCount(), 240u);
    ASSERT_EQ(again.PageCount(), 240u);
    std::size_t nDiffering = 0;
    for (int page : AllPages(again)) {
        EXPECT_EQ(again.Page(page).html, Generated().Page(page).html);
        EXPECT_EQ(again.Rank(page), Generated().Rank(page));
        nDiffering += other.Page(page).html != Generated().Page(page).html;
    }
    EXPECT_GT(nDiffering, 200u);
}

// Every kind of content a real page mixes in occurs somewhere in the corpus.
// A web of today: each kind of site, its pages' addresses in its scheme,
// most links https but some http ones left, every link still leading to a
// corpus page, and a front entry for every site that serves https.
TEST(CorpusGenerator, AWebOfTodayIsMostlyHttpsWithEveryKindOfSite) {
    CCorpus today;
    GenerateCorpus(GenerateSpec{7, 20, 12, true}, Hosts(20), today);
    ASSERT_EQ(today.PageCount(), Generated().PageCount());
    std::set<SiteScheme> kinds;
    std::size_t nSecureSites = 0, nHttp = 0, nHttps = 0;
    for (std::size_t s = 0; s < today.SiteCount(); ++s) {
        kinds.insert(today.Site(static_cast<int>(s)).scheme);
        nSecureSites += today.Site(static_cast<int>(s)).scheme != SiteScheme::Plain;
    }
    EXPECT_EQ(kinds.size(), 7u);
    for (int page : AllPages(today)) {
        const bool bPlain = today.Site(today.Page(page).site).scheme == SiteScheme::Plain;
        EXPECT_TRUE(StartsWith(today.Page(page).address, bPlain ? "http://" : "https://")) << today.Page(page).address;
        for (const std::string& href : today.OutboundLinks(page)) {
            nHttp += StartsWith(href, "http://");
            nHttps += StartsWith(href, "https://");
            if (StartsWith(href, "mailto:")) continue;
            EXPECT_GE(today.FindPage(ResolveHref(today.Page(page).address, href)), 0) << href;
        }
    }
    EXPECT_GT(nHttp, 0u);
    EXPECT_GT(nHttps, 2 * nHttp);
    const std::vector<std::string> fronts = TlsFrontEntries(SimWebOptions(), today);
    EXPECT_EQ(fronts.size(), nSecureSites);
    const std::map<SiteScheme, std::string> kExpected = {
        {SiteScheme::Both, ":good:80"},       {SiteScheme::Redirect, ":good:8080"},
        {SiteScheme::SecureOnly, ":good:8080"}, {SiteScheme::Expired, ":expired:80"},
        {SiteScheme::WrongName, ":wrong-name:80"}, {SiteScheme::SelfSigned, ":self-signed:80"}};
    for (std::size_t s = 0, nEntry = 0; s < today.SiteCount() && nEntry < fronts.size(); ++s) {
        const SimSite& site = today.Site(static_cast<int>(s));
        if (site.scheme == SiteScheme::Plain) continue;
        EXPECT_EQ(fronts[nEntry++], site.host + kExpected.at(site.scheme));
    }
}

TEST(CorpusGenerator, PagesMixWhatRealPagesHold) {
    const std::vector<std::pair<const char*, const char*>> kFeatures = {
        {"mailto link", "href=\"mailto:"},       {"upper-case link tag", "<A HREF=\""},
        {"single-quoted link", "href='"},        {"script element", "<script"},
        {"character reference", "&amp;"},         {"numeric reference", "&#8217;"},
        {"image", "<img src=\""},                 {"inline base64 data", "data:image/png;base64,"},
        {"relative link up", "href=\"../"},       {"relative link down", "href=\"articles/"},
        {"absolute link", "href=\"http://"},      {"contact link", ">Contact Us<"},
        {"about link", ">About us<"},             {"feedback link", ">Feedback<"},
        {"reference in link text", ">About&nbsp;us<"}, {"address in text", "Questions? Mail "}};
    for (const auto& feature : kFeatures) {
        bool bFound = false;
        for (int page : AllPages(Generated())) bFound = bFound || Generated().Page(page).html.find(feature.second) != std::string::npos;
        EXPECT_TRUE(bFound) << feature.first;
    }
}

TEST(CorpusGenerator, PagesHoldNoneOneOrTwoAddressesAndSitesNoneOneOrTwoWhoIs) {
    std::set<std::size_t> pageCounts, whoisCounts;
    for (int page : AllPages(Generated())) {
        std::set<std::string> distinct;
        for (const std::string& address : Generated().Emails(page)) distinct.insert(ToLower(address));
        pageCounts.insert(distinct.size());
    }
    for (std::size_t s = 0; s < Generated().SiteCount(); ++s) whoisCounts.insert(Generated().WhoIsEmails(static_cast<int>(s)).size());
    for (std::size_t n : {0u, 1u, 2u}) {
        EXPECT_TRUE(pageCounts.count(n)) << n << " addresses on a page";
        EXPECT_TRUE(whoisCounts.count(n)) << n << " WhoIs addresses";
    }
}

// Relative links must be joinable by the program's simple rule: it joins
// only on pages whose address holds ".com", takes anything with "www" as
// absolute, and handles "name", "dir/name" and "../name".
TEST(CorpusGenerator, AddressesAndRelativeLinksSuitTheProgramsJoinRule) {
    const std::regex kRelative("^(\\.\\./)?(articles/)?[a-z0-9-]+\\.html$");
    for (int page : AllPages(Generated())) {
        EXPECT_NE(Generated().Page(page).address.find(".com/"), std::string::npos);
        for (const std::string& href : Generated().OutboundLinks(page)) {
            if (StartsWith(href, "http://") || StartsWith(href, "mailto:")) continue;
            EXPECT_TRUE(std::regex_match(href, kRelative)) << href;
            EXPECT_EQ(href.find("www"), std::string::npos);
        }
    }
}

TEST(CorpusGenerator, EveryWebLinkLeadsToACorpusPage) {
    for (int page : AllPages(Generated()))
        for (const std::string& href : Generated().OutboundLinks(page)) {
            if (StartsWith(href, "mailto:")) continue;
            EXPECT_GE(Generated().FindPage(ResolveHref(Generated().Page(page).address, href)), 0)
                << Generated().Page(page).address << " -> " << href;
        }
}

TEST(CorpusGenerator, InDegreeFollowsAPowerLaw) {
    std::vector<int> inDegree;
    for (int page : AllPages(Large())) inDegree.push_back(Large().BacklinkCount(page));
    std::sort(inDegree.begin(), inDegree.end());
    int nMedian = inDegree[inDegree.size() / 2], nMax = inDegree.back();
    EXPECT_GE(nMax, 4 * std::max(nMedian, 1)) << "median " << nMedian << " max " << nMax;
}

TEST(CorpusLinks, BacklinksAreTheLinkTargetsTurnedRound) {
    const CCorpus& corpus = Generated();
    std::size_t nEdges = 0, nBack = 0;
    for (int page : AllPages(corpus)) {
        for (int target : corpus.LinkTargets(page)) {
            const std::vector<int>& back = corpus.Backlinks(target);
            EXPECT_NE(std::find(back.begin(), back.end(), page), back.end());
            EXPECT_NE(target, page);
        }
        nEdges += corpus.LinkTargets(page).size();
        nBack += corpus.Backlinks(page).size();
    }
    EXPECT_EQ(nEdges, nBack);
    EXPECT_GT(nEdges, corpus.PageCount());
}

TEST(PageRank, SumsToOneAndIsAFixedPoint) {
    const CCorpus& corpus = Generated();
    double dSum = 0;
    std::vector<double> expected(corpus.PageCount(), 0.0);
    double dDangling = 0;
    for (int page : AllPages(corpus)) {
        dSum += corpus.PageRankValue(page);
        if (corpus.LinkTargets(page).empty()) dDangling += corpus.PageRankValue(page);
        for (int target : corpus.LinkTargets(page))
            expected[target] += 0.85 * corpus.PageRankValue(page) / corpus.LinkTargets(page).size();
    }
    EXPECT_NEAR(dSum, 1.0, 1e-9);
    double n = static_cast<double>(corpus.PageCount());
    for (int page : AllPages(corpus))
        EXPECT_NEAR(corpus.PageRankValue(page), expected[page] + 0.15 / n + 0.85 * dDangling / n, 1e-10);
}

TEST(PageRank, HandMadeGraphs) {
    // A ring is uniform; a star's centre outranks its leaves.
    std::vector<double> ring = ComputePageRank({{1}, {2}, {0}});
    for (double d : ring) EXPECT_NEAR(d, 1.0 / 3, 1e-9);
    std::vector<double> star = ComputePageRank({{}, {0}, {0}, {0}});
    EXPECT_GT(star[0], star[1]);
    EXPECT_NEAR(star[1], star[2], 1e-12);
    EXPECT_TRUE(ComputePageRank({}).empty());
}

// The documented promises of the toolbar scale, checked on whole corpora.
TEST(ToolbarRank, MoreInLinksNeverRankLowerAndHigherPageRankNeverRanksLower) {
    for (const CCorpus* corpus : std::vector<const CCorpus*>{&Generated(), &Large()}) {
        std::vector<int> pages = AllPages(*corpus);
        std::set<int> distinct;
        for (int a : pages) {
            distinct.insert(corpus->Rank(a));
            EXPECT_GE(corpus->Rank(a), 0);
            EXPECT_LE(corpus->Rank(a), 10);
            for (int b : pages) {
                if (corpus->BacklinkCount(a) > corpus->BacklinkCount(b)) {
                    ASSERT_GE(corpus->Rank(a), corpus->Rank(b)) << corpus->Page(a).address << " / " << corpus->Page(b).address;
                }
                if (corpus->PageRankValue(a) > corpus->PageRankValue(b)) {
                    ASSERT_GE(corpus->Rank(a), corpus->Rank(b));
                }
            }
        }
        EXPECT_GE(distinct.size(), 4u) << "the scale collapsed";
    }
}

TEST(ToolbarRank, Cases) {
    struct Case {
        const char* szName;
        std::vector<double> pageRank;
        std::vector<int> inDegree;
        std::vector<int> expected;
    };
    const std::vector<Case> kCases = {
        {"agreeing orders spread over the scale", {0.01, 0.1, 1.0}, {0, 1, 2}, {0, 5, 10}},
        {"equal values share a step", {0.5, 0.5}, {1, 1}, {0, 0}},
        {"disagreeing pair shares a step", {0.01, 0.1, 1.0}, {0, 5, 2}, {0, 5, 5}},
        {"nothing at all", {}, {}, {}},
    };
    for (const Case& c : kCases) EXPECT_EQ(ToolbarRanks(c.pageRank, c.inDegree), c.expected) << c.szName;
}

class FolderCorpus : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder.Write({{"beta.com/index.html", "<html><head><title>Beta home</title></head><body>apple banana cherry "
                                            "<a href=\"news/one.html\">one</a> <a href=\"../beta.com/a b.html\">space</a>"
                                            "</body></html>"},
                    {"beta.com/news/one.html", "<body>apple <b>ban</b>ana <script>var hidden = 1;</script>"
                                               "<a href=\"/beta.com/index.html\">home</a> x&amp;y</body>"},
                    {"beta.com/a b.html", "<body>cherry <a title=\"tagword\" href=\"http://127.0.22.2/alpha.com/p.htm\">"
                                          "alpha</a></body>"},
                    {"beta.com/whois.txt", "# contacts\nowner@beta.com\n\n  admin@beta.com  \n"},
                    {"alpha.com/p.htm", "<body>banana <a href=\"http://127.0.22.3/beta.com/\">beta</a></body>"},
                    {"alpha.com/notes.txt", "not a page"}});
        std::string error;
        ASSERT_TRUE(LoadCorpusFolder(m_folder.Path(), Hosts(2), m_corpus, error)) << error;
    }
    std::string Address(const char* szPath) const { return "http://" + std::string(szPath); }
    std::vector<std::string> Found(const std::string& query) const {
        std::vector<std::string> addresses;
        for (int page : m_corpus.Search(query)) addresses.push_back(m_corpus.Page(page).address);
        std::sort(addresses.begin(), addresses.end());
        return addresses;
    }

    simweb_test::CScratchFolder m_folder;
    CCorpus m_corpus;
};

TEST_F(FolderCorpus, SitesInNameOrderPagesAtTheirPathsWhoIsFromItsFile) {
    ASSERT_EQ(m_corpus.SiteCount(), 2u);
    ASSERT_EQ(m_corpus.PageCount(), 4u);
    EXPECT_EQ(m_corpus.Site(0).name, "alpha.com");
    EXPECT_EQ(m_corpus.Site(1).host, "127.0.22.3");
    EXPECT_EQ(m_corpus.Page(m_corpus.Site(1).home).address, "http://127.0.22.3/beta.com/index.html");
    EXPECT_EQ(m_corpus.WhoIsEmails(1), (std::vector<std::string>{"owner@beta.com", "admin@beta.com"}));
    EXPECT_TRUE(m_corpus.WhoIsEmails(0).empty());
}

TEST_F(FolderCorpus, FindPageAcceptsTheUsualSpellings) {
    int home = m_corpus.Site(1).home;
    int spaced = m_corpus.FindPage("http://127.0.22.3/beta.com/a%20b.html");
    ASSERT_GE(spaced, 0);
    const std::vector<std::pair<std::string, int>> kCases = {
        {"http://127.0.22.3/beta.com/index.html", home},
        {"HTTP://127.0.22.3/beta.com/index.html", home},
        {"http://127.0.22.3:80/beta.com/index.html#top", home},
        {"http://127.0.22.3/beta.com/index.html?x=1&y=2", home},
        {"http://127.0.22.3", home},
        {"http://127.0.22.3/", home},
        {"http://127.0.22.3/beta.com/", home},
        {"http://127.0.22.3/beta.com/a b.html", spaced},
        {"http://127.0.22.3/beta.com/INDEX.html", -1},
        {"http://127.0.22.9/beta.com/index.html", -1},
        {"127.0.22.3/beta.com/index.html", -1},
        {"", -1},
    };
    for (const auto& c : kCases) EXPECT_EQ(m_corpus.FindPage(c.first), c.second) << c.first;
}

TEST_F(FolderCorpus, LinksResolveLikeABrowserAndCountBothWays) {
    int home = m_corpus.Site(1).home;
    int alpha = m_corpus.FindPage("http://127.0.22.2/alpha.com/p.htm");
    int one = m_corpus.FindPage("http://127.0.22.3/beta.com/news/one.html");
    int spaced = m_corpus.FindPage("http://127.0.22.3/beta.com/a%20b.html");
    EXPECT_EQ(m_corpus.OutboundLinks(home), (std::vector<std::string>{"news/one.html", "../beta.com/a b.html"}));
    std::vector<int> homeTargets = m_corpus.LinkTargets(home);
    std::sort(homeTargets.begin(), homeTargets.end());
    std::vector<int> expected = {one, spaced};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(homeTargets, expected);
    EXPECT_EQ(m_corpus.BacklinkCount(home), 2);  // from one.html ("/beta.com/...") and alpha ("/")
    EXPECT_EQ(m_corpus.BacklinkCount(alpha), 1);
}

TEST_F(FolderCorpus, SearchFindsPagesWithEveryWordOfTheQuery) {
    const std::string kHome = Address("127.0.22.3/beta.com/index.html"), kOne = Address("127.0.22.3/beta.com/news/one.html"),
                      kSpaced = Address("127.0.22.3/beta.com/a%20b.html"), kAlpha = Address("127.0.22.2/alpha.com/p.htm");
    const std::vector<std::pair<std::string, std::vector<std::string>>> kCases = {
        {"apple", {kHome, kOne}},
        {"apple banana", {kHome}},
        {"APPLE  Cherry", {kHome}},
        {"banana", {kAlpha, kHome}},
        {"cherry", {kSpaced, kHome}},
        {"banana-apple", {kHome}},  // words are letters and digits only
        {"hidden", {}},             // inside a script
        {"tagword", {}},            // inside a tag
        {"x", {kOne}},              // a character reference separates words
        {"amp", {}},
        {"home", {kHome, kOne}},    // title and link words count
        {"", {}},
        {"+ -", {}},
        {"apple durian", {}},
    };
    for (const auto& c : kCases) {
        std::vector<std::string> expected = c.second;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(Found(c.first), expected) << "query \"" << c.first << "\"";
    }
}

TEST_F(FolderCorpus, ResultsComeInRankOrderThenAddressOrder) {
    std::vector<int> results = m_corpus.Search("banana");
    ASSERT_EQ(results.size(), 2u);
    const SimPage& first = m_corpus.Page(results[0]);
    const SimPage& second = m_corpus.Page(results[1]);
    int r0 = m_corpus.Rank(results[0]), r1 = m_corpus.Rank(results[1]);
    EXPECT_TRUE(r0 > r1 || (r0 == r1 && first.address < second.address));
}

TEST(CorpusFolder, GeneratedCorpusWrittenAndLoadedComesBackTheSame) {
    simweb_test::CScratchFolder folder;
    std::string error;
    ASSERT_TRUE(WriteCorpusFolder(Generated(), folder.Path(), error)) << error;
    CCorpus loaded;
    ASSERT_TRUE(LoadCorpusFolder(folder.Path(), Hosts(Generated().SiteCount()), loaded, error)) << error;
    ASSERT_EQ(loaded.PageCount(), Generated().PageCount());
    for (std::size_t s = 0; s < loaded.SiteCount(); ++s)
        EXPECT_EQ(loaded.WhoIsEmails(static_cast<int>(s)), Generated().WhoIsEmails(loaded.FindSiteByHost(Generated().Site(static_cast<int>(s)).host)));
    for (int page : AllPages(Generated())) {
        int same = loaded.FindPage(Generated().Page(page).address);
        ASSERT_GE(same, 0) << Generated().Page(page).address;
        EXPECT_EQ(loaded.Page(same).html, Generated().Page(page).html);
        EXPECT_EQ(loaded.Rank(same), Generated().Rank(page));
        EXPECT_EQ(loaded.BacklinkCount(same), Generated().BacklinkCount(page));
    }
}

TEST(CorpusFolder, MissingFolderIsAnError) {
    CCorpus corpus;
    std::string error;
    EXPECT_FALSE(LoadCorpusFolder("Z:\\no\\such\\corpus", Hosts(1), corpus, error));
    EXPECT_FALSE(error.empty());
}

TEST(Addresses, ResolveHref) {
    const char* const kBase = "http://127.0.0.5/site.com/dir/page.html";
    const std::vector<std::pair<const char*, const char*>> kCases = {
        {"b.html", "http://127.0.0.5/site.com/dir/b.html"},
        {"../b.html", "http://127.0.0.5/site.com/b.html"},
        {"../../../b.html", "http://127.0.0.5/b.html"},
        {"/b.html", "http://127.0.0.5/b.html"},
        {"./sub/../c.html#part", "http://127.0.0.5/site.com/dir/c.html"},
        {"?q=1", "http://127.0.0.5/site.com/dir/page.html?q=1"},
        {"//127.0.0.6/x.html", "http://127.0.0.6/x.html"},
        {"HTTP://127.0.0.6:80/X.html", "http://127.0.0.6/X.html"},
        {"  spaced.html ", "http://127.0.0.5/site.com/dir/spaced.html"},
        {"mailto:a@b.com", ""},
        {"javascript:void(0)", ""},
        {"https://127.0.0.6/", "https://127.0.0.6/"},
        {"HTTPS://127.0.0.6:443/X.html", "https://127.0.0.6/X.html"},
        {"ftp://127.0.0.6/", ""},
        {"#top", ""},
        {"", ""},
    };
    for (const auto& c : kCases) EXPECT_EQ(ResolveHref(kBase, c.first), c.second) << c.first;
    EXPECT_EQ(ResolveHref("not an address", "b.html"), "");
    // On an https page, relative links and "//" links stay https.
    const char* const kSecureBase = "https://127.0.0.5/site.com/dir/page.html";
    const std::vector<std::pair<const char*, const char*>> kSecureCases = {
        {"../b.html", "https://127.0.0.5/site.com/b.html"},
        {"//127.0.0.6/x.html", "https://127.0.0.6/x.html"},
        {"http://127.0.0.6/x.html", "http://127.0.0.6/x.html"},
    };
    for (const auto& c : kSecureCases) EXPECT_EQ(ResolveHref(kSecureBase, c.first), c.second) << c.first;
}

TEST(Addresses, SiteHostsSkipReservedAndBroadcastAddresses) {
    std::vector<std::string> hosts;
    std::string error;
    ASSERT_TRUE(PlanSiteHosts("127.0.22.253", 4, {"127.0.23.1"}, hosts, error));
    EXPECT_EQ(hosts, (std::vector<std::string>{"127.0.22.253", "127.0.22.254", "127.0.23.2", "127.0.23.3"}));
    EXPECT_FALSE(PlanSiteHosts("10.0.0.1", 1, {}, hosts, error));
    EXPECT_FALSE(PlanSiteHosts("127.255.255.250", 10, {}, hosts, error));
    EXPECT_FALSE(PlanSiteHosts("127.0.0", 1, {}, hosts, error));
}

TEST(Text, NumbersAndEscapes) {
    EXPECT_EQ(ParseNumber("42abc", 7, 0, 100), 42);
    EXPECT_EQ(ParseNumber("", 7, 0, 100), 7);
    EXPECT_EQ(ParseNumber("x", 7, 0, 100), 7);
    EXPECT_EQ(ParseNumber("-5", 7, 0, 100), 0);
    EXPECT_EQ(ParseNumber("99999999999999999999999", 7, 0, 100), 100);
    EXPECT_EQ(PercentDecode("a%20b+c%2", true), "a b c%2");
    EXPECT_EQ(PercentDecode("a+b%zz", false), "a+b%zz");
    EXPECT_EQ(PercentEscapePath("/a b/\"q\"%"), "/a%20b/%22q%22%25");
    EXPECT_EQ(HtmlEscape("<a href=\"x\">&'"), "&lt;a href&#61;&quot;x&quot;&gt;&amp;&#39;");
}

TEST(CommandLine, OptionsAndMistakes) {
    SimWebOptions options;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--seed", "9", "--sites", "3", "--pages", "4", "--engine", "127.0.22.1", "--block",
                                  "5/2000", "--quiet", "--print-map"},
                                 options, error))
        << error;
    EXPECT_EQ(options.generate.nSeed, 9u);
    EXPECT_EQ(options.generate.nSites, 3);
    EXPECT_EQ(options.generate.nPagesPerSite, 4);
    EXPECT_EQ(options.engineHost, "127.0.22.1");
    EXPECT_EQ(options.nBlockQueries, 5);
    EXPECT_EQ(options.nBlockWindowMs, 2000);
    EXPECT_TRUE(options.bQuiet && options.bPrintMap);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--sites"}, {"--sites", "0"}, {"--sites", "x"}, {"--engine", "localhost"}, {"--block", "5"},
             {"--frobnicate"}, {"--pages", "-1"}, {"--help"}}) {
        SimWebOptions ignored;
        EXPECT_FALSE(ParseCommandLine(bad, ignored, error)) << bad[0];
        EXPECT_NE(error.find("usage"), std::string::npos);
    }
}

TEST(CommandLine, TodaysSourcesTheirKeysAndFaults) {
    SimWebOptions options;
    std::string error;
    for (const SourceService& source : options.sources) EXPECT_TRUE(source.host.empty()) << "none served unless asked";
    EXPECT_EQ(options.Source(SourceKind::Brave).key, kDefaultBraveToken);
    EXPECT_EQ(options.Source(SourceKind::OpenPageRank).key, kDefaultOpenPageRankKey);
    ASSERT_TRUE(ParseCommandLine({"--searxng", "127.0.22.251", "--brave", "127.0.22.252", "--openpagerank", "127.0.22.253",
                                  "--brave-token", "t1", "--openpagerank-key", "k1", "--fault", "searxng:json-off", "--fault",
                                  "brave:quota", "--fault", "brave:429-once", "--fault", "openpagerank:key-refused",
                                  "--fault", "openpagerank:malformed-once"},
                                 options, error))
        << error;
    const SourceService& searxng = options.Source(SourceKind::SearXng);
    const SourceService& brave = options.Source(SourceKind::Brave);
    const SourceService& ranks = options.Source(SourceKind::OpenPageRank);
    EXPECT_EQ(searxng.host + brave.host + ranks.host, "127.0.22.251127.0.22.252127.0.22.253");
    EXPECT_EQ(brave.key + ranks.key, "t1k1");
    EXPECT_TRUE(searxng.faults.bJsonOff && !searxng.faults.bRateLimitOnce);
    EXPECT_TRUE(brave.faults.bQuotaUsed && brave.faults.bRateLimitOnce && !brave.faults.bKeyRefused);
    EXPECT_TRUE(ranks.faults.bKeyRefused && ranks.faults.bMalformedOnce && !ranks.faults.bRateLimitOnce);
    EXPECT_TRUE(options.rdap.All().empty()) << "no RDAP unless asked";
    ASSERT_TRUE(ParseCommandLine({"--rdap-registrar", "127.0.22.243", "--rdap-bootstrap", "127.0.22.240", "--rdap-registry",
                                  "127.0.22.241", "--rdap-registrar", "127.0.22.242"},
                                 options, error))
        << error;
    EXPECT_EQ(options.rdap.All(),
              (std::vector<std::string>{"127.0.22.240", "127.0.22.241", "127.0.22.243", "127.0.22.242"}));
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"--searxng", "localhost"}, {"--brave-token", ""}, {"--fault", "searxng:key-refused"},
             {"--fault", "openpagerank:quota"}, {"--fault", "brave:json-off"}, {"--fault", "bing:429-once"},
             {"--fault", "brave"}, {"--fault", "brave:"}, {"--fault", "brave:quotas"}, {"--rdap-registrar", "localhost"},
             {"--rdap-bootstrap", ""}, {"--rdap-registry", "127.0.22"}, {"--fault", "rdap:429-once"}}) {
        SimWebOptions ignored;
        EXPECT_FALSE(ParseCommandLine(bad, ignored, error)) << bad[0] << " " << bad[1];
    }
}

TEST(Sources, TakeAddressesOfTheirOwnThatSitesSkipAndEachHasAFront) {
    SimWebOptions options;
    options.engineHost = options.whoisHost = "127.0.22.1";
    options.siteBase = "127.0.22.2";
    options.generate = GenerateSpec{3, 4, 2};
    options.Source(SourceKind::SearXng).host = "127.0.22.3";
    options.Source(SourceKind::OpenPageRank).host = "127.0.22.5";
    options.rdap.registry = "127.0.22.7";
    options.rdap.registrars = {"127.0.22.9"};
    CCorpus corpus;
    std::string error;
    ASSERT_TRUE(BuildCorpus(options, corpus, error)) << error;
    std::vector<std::string> hosts;
    for (std::size_t s = 0; s < corpus.SiteCount(); ++s) hosts.push_back(corpus.Site(static_cast<int>(s)).host);
    EXPECT_EQ(hosts, (std::vector<std::string>{"127.0.22.2", "127.0.22.4", "127.0.22.6", "127.0.22.8"}));
    EXPECT_EQ(SiteMapText(options, corpus).find("engine 127.0.22.1\nwhois 127.0.22.1\nsearxng 127.0.22.3\n"
                                                "openpagerank 127.0.22.5\nrdap-registry 127.0.22.7\n"
                                                "rdap-registrar 127.0.22.9\nsite 1 127.0.22.2 "),
              0u);
    EXPECT_EQ(TlsFrontEntries(options, corpus), (std::vector<std::string>{"127.0.22.3:good:8080", "127.0.22.5:good:8080",
                                                                          "127.0.22.7:good:8080", "127.0.22.9:good:8080"}));
    for (const char* szShared : {"127.0.22.1", "127.0.22.3", "127.0.22.9"}) {
        for (bool bRdap : {false, true}) {
            SimWebOptions shared = options;
            (bRdap ? shared.rdap.bootstrap : shared.Source(SourceKind::Brave).host) = szShared;
            CCorpus refused;
            EXPECT_FALSE(BuildCorpus(shared, refused, error)) << szShared << (bRdap ? " as the RDAP bootstrap" : "");
            EXPECT_NE(error.find("address of its own"), std::string::npos) << error;
        }
    }
}
