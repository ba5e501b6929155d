// The engine's answers, read the way the program reads them: result
// paging, "link:" results and counts, toolbar ranks and the checksum,
// WhoIs pages, the verification rule, and the sites' own pages; and
// today's sources' answers and RDAP's, read as their documentation
// describes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iterator>
#include <map>
#include <set>

#include <nlohmann/json.hpp>

#include "checksum.h"
#include "corpus_folder.h"
#include "corpus_generator.h"
#include "engine_pages.h"
#include "query_limiter.h"
#include "rdap_services.h"
#include "request_router.h"
#include "sim_address.h"
#include "sim_text.h"
#include "simweb_reader.h"
#include "simweb_scratch.h"
#include "source_services.h"

using namespace simweb;
using namespace simweb_test;

namespace {

const char kEngine[] = "127.0.23.1";
const char kPaged[] = "&num=10&hl=en&lr=&ie=UTF-8&newwindow=1&start=%d&sa=N&filter=0";

std::vector<std::string> Hosts(std::size_t n) {
    std::vector<std::string> hosts;
    std::string error;
    EXPECT_TRUE(PlanSiteHosts("127.0.23.2", n, {kEngine}, hosts, error));
    return hosts;
}

std::string PagedTarget(const std::string& q, int nStart) {
    char szTail[128];
    std::snprintf(szTail, sizeof szTail, kPaged, nStart);
    return "/search?q=" + q + szTail;
}

std::string RankTarget(const std::string& address, const std::string& checksum) {
    return "/search?client=navclient-auto&ch=" + checksum + "&ie=UTF-8&oe=UTF-8&features=Rank&q=info:" + address;
}

std::vector<std::string> Addresses(const CCorpus& corpus, const std::vector<int>& pages) {
    std::vector<std::string> addresses;
    for (int page : pages) addresses.push_back(corpus.Page(page).address);
    return addresses;
}

class EngineTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_generated = new CCorpus;
        GenerateCorpus(GenerateSpec{5, 12, 10}, Hosts(12), *s_generated);
    }
    static void TearDownTestSuite() { delete s_generated; }

    HttpAnswer Engine(const std::string& target, CRequestRouter& router) {
        ListenerRole role;
        role.bEngine = role.bWhoIs = true;
        return router.Answer(role, target, ++m_nNow);
    }

    // Pages through a query as the program does: until the first result
    // number is not start + 1; returns the links and the pages fetched.
    std::vector<std::string> Walk(const std::string& q, CRequestRouter& router, int& nPages) {
        std::vector<std::string> links;
        for (nPages = 1; nPages <= 100; ++nPages) {
            int nStart = (nPages - 1) * 10;
            std::string page = Engine(PagedTarget(q, nStart), router).body;
            EXPECT_GE(ReaderFirstResult(page), 0) << "not a result page";
            if (ReaderFirstResult(page) != nStart + 1) break;
            std::vector<std::string> found = ReaderResultLinks(page);
            links.insert(links.end(), found.begin(), found.end());
        }
        return links;
    }

    static CCorpus* s_generated;
    int64_t m_nNow = 0;
};

CCorpus* EngineTest::s_generated = nullptr;

// A folder corpus with result counts around the page boundaries.
class CountedCorpus {
public:
    CountedCorpus() {
        std::map<std::string, std::string> files;
        for (int i = 0; i < 25; ++i) {
            std::string words = "every";
            if (i < 10) words += " ten";
            if (i < 11) words += " eleven";
            if (i < 20) words += " twenty";
            if (i == 7) words += " single";
            char szName[64];
            std::snprintf(szName, sizeof szName, "many.com/p%02d.html", i);
            files[szName] = "<html><body>" + words + " <a href=\"p" + std::to_string((i + 1) % 25 / 10) +
                            std::to_string((i + 1) % 25 % 10) + ".html\">next</a></body></html>";
        }
        files["many.com/a&b.html"] = "<html><body>odd <a href=\"p00.html\">first</a></body></html>";
        files["many.com/index.html"] =
            "<html><head><title><script>x</script> Cached Results \"quoted\"</title></head><body>"
            "trap href= Cached Results <a href=\"a&b.html\">odd one</a></body></html>";
        files["other.com/index.html"] = "<html><body>trap <a href=\"http://127.0.23.2/many.com/a&b.html\">x</a></body></html>";
        files["other.com/whois.txt"] = "owner@other.com\n";
        m_folder.Write(files);
        std::string error;
        EXPECT_TRUE(LoadCorpusFolder(m_folder.Path(), Hosts(2), m_corpus, error)) << error;
    }
    const CCorpus& Corpus() const { return m_corpus; }

private:
    CScratchFolder m_folder;
    CCorpus m_corpus;
};

}  // namespace

TEST(ResultWindow, PagesAndThePastTheEndAnswer) {
    struct Case {
        long long nTotal, nStart, nNum, nFirst, nLast;
    };
    const Case kCases[] = {
        {0, 0, 10, 0, 0},    {5, 0, 10, 1, 5},     {10, 0, 10, 1, 10},  {10, 10, 10, 1, 10}, {11, 10, 10, 11, 11},
        {11, 20, 10, 11, 11}, {57, 990, 10, 51, 57}, {57, 20, 10, 21, 30}, {57, 0, 25, 1, 25}, {3, 0, 25, 1, 3},
        {57, 5, 10, 6, 15},
    };
    for (const Case& c : kCases) {
        ResultWindow window = PlaceWindow(c.nTotal, c.nStart, c.nNum);
        EXPECT_EQ(window.nFirst, c.nFirst) << c.nTotal << "/" << c.nStart;
        EXPECT_EQ(window.nLast, c.nLast) << c.nTotal << "/" << c.nStart;
    }
}

TEST(SearchQuery, RawQueryTextEndsWhereTheEngineExpects) {
    const std::vector<std::vector<std::string>> kCases = {
        // query, q, a parameter of the rest, its value
        {"q=red+fish&num=10&start=20", "red+fish", "start", "20"},
        {"q=a&b&num=10&start=0", "a", "num", "10"},
        {"q=link:http://h/p?x=1&y=2:3&num=10&hl=en&start=10&sa=N", "link:http://h/p?x=1&y=2:3", "start", "10"},
        {"q=link:http://h/a&num=5&b&num=10&start=30", "link:http://h/a&num=5&b", "start", "30"},
        {"q=link:http://h/p?x=1&y=2", "link:http://h/p?x=1&y=2", "num", ""},
        {"client=navclient-auto&ch=61&features=Rank&q=info:http://h/p?a=1&num=2", "info:http://h/p?a=1&num=2", "ch", "61"},
        {"num=10&start=0", "", "start", "0"},
        {"aq=x&q=real", "real", "aq", "x"},
    };
    for (const auto& c : kCases) {
        SearchQuery split = SplitSearchQuery(c[0]);
        EXPECT_EQ(split.q, c[1]) << c[0];
        std::string value;
        FindParameter(split.rest, c[2].c_str(), value);
        EXPECT_EQ(value, c[3]) << c[0];
    }
}

TEST_F(EngineTest, KeywordPagingYieldsEveryResultOnceInOrder) {
    CountedCorpus counted;
    CRequestRouter router(counted.Corpus(), kEngine, 0, 0);
    const std::vector<std::pair<std::string, int>> kCases = {
        {"every", 25}, {"ten", 10}, {"eleven", 11}, {"twenty", 20}, {"single", 1}, {"nothing", 0}, {"every+ten", 10},
        {"EVERY%20eleven", 11}};
    for (const auto& c : kCases) {
        int nPages = 0;
        std::vector<std::string> links = Walk(c.first, router, nPages);
        std::string words = PercentDecode(c.first, true);
        EXPECT_EQ(links, Addresses(counted.Corpus(), counted.Corpus().Search(words))) << c.first;
        EXPECT_EQ(static_cast<int>(links.size()), c.second) << c.first;
        // Full pages, then the one that shows the end.
        EXPECT_EQ(nPages, (c.second + 9) / 10 + 1) << c.first;
    }
}

TEST_F(EngineTest, GeneratedCorpusQueriesPageLikeTheProgramExpects) {
    CRequestRouter router(*s_generated, kEngine, 0, 0);
    for (const char* szQuery : {"the", "and", "guide", "information", "best+tips"}) {
        int nPages = 0;
        std::vector<std::string> links = Walk(szQuery, router, nPages);
        std::vector<int> expected = s_generated->Search(PercentDecode(szQuery, true));
        EXPECT_EQ(links, Addresses(*s_generated, expected)) << szQuery;
        std::string first = Engine(PagedTarget(szQuery, 0), router).body;
        EXPECT_EQ(ReaderBacklinks(first), static_cast<long>(expected.size())) << "total in the header";
        for (std::size_t i = 1; i < expected.size(); ++i)
            EXPECT_TRUE(s_generated->ComesBefore(expected[i - 1], expected[i])) << "rank, then address";
    }
}

TEST_F(EngineTest, TopTwentyRequestGetsTheFirstTwentyFive) {
    CountedCorpus counted;
    CRequestRouter router(counted.Corpus(), kEngine, 0, 0);
    std::string page = Engine("/search?q=every&num=25&hl=en&lr=&ie=UTF-8&newwindow=1&start=0&sa=N", router).body;
    EXPECT_EQ(ReaderFirstResult(page), 1);
    EXPECT_EQ(ReaderResultLinks(page).size(), 25u);
}

TEST_F(EngineTest, LinkCountOfEveryPageIsItsBacklinkCount) {
    CRequestRouter router(*s_generated, kEngine, 0, 0);
    for (std::size_t p = 0; p < s_generated->PageCount(); ++p) {
        const std::string& address = s_generated->Page(static_cast<int>(p)).address;
        std::string page = Engine("/search?q=link:" + address, router).body;
        EXPECT_EQ(ReaderBacklinks(page), s_generated->BacklinkCount(static_cast<int>(p))) << address;
    }
}

TEST_F(EngineTest, PagedLinkResultsListTheLinkingPages) {
    CRequestRouter router(*s_generated, kEngine, 0, 0);
    int mostLinked = 0;
    for (std::size_t p = 0; p < s_generated->PageCount(); ++p)
        if (s_generated->BacklinkCount(static_cast<int>(p)) > s_generated->BacklinkCount(mostLinked)) mostLinked = static_cast<int>(p);
    ASSERT_GT(s_generated->BacklinkCount(mostLinked), 10) << "needs more than one page of results";
    int nPages = 0;
    std::vector<std::string> links = Walk("link:" + s_generated->Page(mostLinked).address, router, nPages);
    EXPECT_EQ(links, Addresses(*s_generated, s_generated->Backlinks(mostLinked)));
}

TEST_F(EngineTest, LinkAddressIsTakenRawWithAmpersandsQuestionMarksAndColons) {
    CountedCorpus counted;
    CRequestRouter router(counted.Corpus(), kEngine, 0, 0);
    const std::string kOdd = "http://127.0.23.2/many.com/a&b.html";
    int odd = counted.Corpus().FindPage(kOdd);
    ASSERT_GE(odd, 0);
    ASSERT_EQ(counted.Corpus().BacklinkCount(odd), 2);
    for (const std::string& address : {kOdd, kOdd + "?x=1:2&y=3", kOdd + "#part"}) {
        EXPECT_EQ(ReaderBacklinks(Engine("/search?q=link:" + address, router).body), 2) << address;
        int nPages = 0;
        EXPECT_EQ(Walk("link:" + address, router, nPages).size(), 2u) << address;
    }
    EXPECT_EQ(ReaderBacklinks(Engine("/search?q=link:http://127.0.23.2/many.com/none.html", router).body), 0);
    EXPECT_EQ(ReaderFirstResult(Engine("/search?q=link:", router).body), 0);
}

TEST_F(EngineTest, RankAnswersCarryTheToolbarRankBehindTheChecksum) {
    CRequestRouter router(*s_generated, kEngine, 0, 0);
    for (std::size_t p = 0; p < s_generated->PageCount(); ++p) {
        const std::string& address = s_generated->Page(static_cast<int>(p)).address;
        int nRank = s_generated->Rank(static_cast<int>(p));
        HttpAnswer answer = Engine(RankTarget(address, RankChecksum(address.c_str())), router);
        EXPECT_EQ(answer.body, "Rank_1:1:" + std::to_string(nRank));
        EXPECT_EQ(ReaderRank(answer.body), nRank);
    }
}

TEST_F(EngineTest, RankChecksumMustFitTheAddress) {
    CountedCorpus counted;
    CRequestRouter router(counted.Corpus(), kEngine, 0, 0);
    const std::string kOdd = "http://127.0.23.2/many.com/a&b.html";
    const std::string kUnknown = "http://127.0.23.2/many.com/none.html";
    const std::string kSpaced = "http://127.0.23.2/many.com/a b.html";
    struct Case {
        std::string address, checksum, expected;
    };
    const std::vector<Case> kCases = {
        {kOdd, RankChecksum(kOdd.c_str()), "Rank_1:1:" + std::to_string(counted.Corpus().Rank(counted.Corpus().FindPage(kOdd)))},
        {kOdd, RankChecksum("http://127.0.23.2/many.com/p00.html"), ""},
        {kOdd, "", ""},
        {kOdd, RankChecksum(kOdd.c_str()) + "0", ""},
        {kUnknown, RankChecksum(kUnknown.c_str()), "Rank_1:1:0"},
        // The client escapes the blank; the checksum is of the address as the program had it.
        {"http://127.0.23.2/many.com/a%20b.html", RankChecksum(kSpaced.c_str()), "Rank_1:1:0"},
    };
    for (const Case& c : kCases) EXPECT_EQ(Engine(RankTarget(c.address, c.checksum), router).body, c.expected) << c.address;
}

TEST_F(EngineTest, WhoIsPagesShowEachSitesAddressesAsPlainText) {
    CRequestRouter router(*s_generated, kEngine, 0, 0);
    for (std::size_t s = 0; s < s_generated->SiteCount(); ++s) {
        const SimSite& site = s_generated->Site(static_cast<int>(s));
        for (const std::string& domain : {site.host, site.host + ":80"}) {
            std::string page = Engine("/cgi-bin/checkdomain.pl?domain=" + domain, router).body;
            EXPECT_EQ(ReaderEmails(page), site.whois) << domain;
        }
    }
    for (const char* szDomain : {"127.0.23.250", "", "a@b.com", "<script>"}) {
        std::string page = Engine(std::string("/cgi-bin/checkdomain.pl?domain=") + szDomain, router).body;
        EXPECT_TRUE(ReaderEmails(page).empty()) << szDomain;
        EXPECT_EQ(page.find("<script>"), std::string::npos);
    }
}

TEST(QueryLimiter, RefusesTheNthQueryInsideTheWindow) {
    struct Case {
        const char* szName;
        int nQueries;
        int64_t nWindow;
        std::vector<int64_t> times;
        std::vector<bool> admitted;
    };
    const std::vector<Case> kCases = {
        {"off", 0, 1000, {0, 0, 0, 0}, {true, true, true, true}},
        {"third close query refused", 3, 1000, {0, 10, 20, 30}, {true, true, false, false}},
        {"spaced queries pass", 3, 1000, {0, 600, 1200, 1800}, {true, true, true, true}},
        {"slowing down lets through again", 2, 100, {0, 50, 100, 300}, {true, false, false, true}},
        {"one query alone is refused", 1, 1000, {0, 5000}, {false, false}},
    };
    for (const Case& c : kCases) {
        CQueryLimiter limiter(c.nQueries, c.nWindow);
        for (std::size_t i = 0; i < c.times.size(); ++i)
            EXPECT_EQ(limiter.Admit(c.times[i]), c.admitted[i]) << c.szName << " query " << i;
    }
}

TEST_F(EngineTest, VerificationPageReplacesEveryKindOfQueryOnceTheRuleTrips) {
    const std::string& address = s_generated->Page(0).address;
    const std::vector<std::string> kTargets = {PagedTarget("the", 0), "/search?q=link:" + address,
                                               RankTarget(address, RankChecksum(address.c_str()))};
    for (const std::string& target : kTargets) {
        CRequestRouter router(*s_generated, kEngine, 2, 1000000);
        EXPECT_GE(ReaderFirstResult(Engine(PagedTarget("the", 0), router).body), 0);
        std::string page = Engine(target, router).body;
        EXPECT_EQ(ReaderFirstResult(page), -1) << target;
        EXPECT_TRUE(ReaderResultLinks(page).empty());
        EXPECT_EQ(ReaderBacklinks(page), 0);
        EXPECT_EQ(ReaderRank(page), 0);
        EXPECT_EQ(page, VerificationPage());
    }
    EXPECT_EQ(VerificationPage().find(':'), std::string::npos);
    EXPECT_EQ(VerificationPage().find("<b>"), std::string::npos);
}

TEST_F(EngineTest, PageTextCannotBreakTheResultLayout) {
    CountedCorpus counted;
    CRequestRouter router(counted.Corpus(), kEngine, 0, 0);
    std::string page = Engine(PagedTarget("trap", 0), router).body;
    std::vector<int> expected = counted.Corpus().Search("trap");
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_EQ(ReaderResultLinks(page), Addresses(counted.Corpus(), expected));
    std::size_t header = page.find("Results <b>");
    EXPECT_EQ(page.find("Results"), header);
    std::size_t nCached = 0;
    for (std::size_t p = page.find("Cached"); p != std::string::npos; p = page.find("Cached", p + 1)) ++nCached;
    EXPECT_EQ(nCached, expected.size());
    EXPECT_EQ(page.find("<script>"), std::string::npos);
    EXPECT_EQ(page.find("\"quoted\""), std::string::npos);
}

TEST_F(EngineTest, SitesServeTheirPagesAndOnlyThem) {
    CountedCorpus counted;
    CRequestRouter router(counted.Corpus(), kEngine, 0, 0);
    const CCorpus& corpus = counted.Corpus();
    int many = corpus.FindSiteByHost("127.0.23.2");
    ASSERT_GE(many, 0);
    ListenerRole site;
    site.nSite = many;
    HttpAnswer root = router.Answer(site, "/", 1);
    EXPECT_EQ(root.nStatus, 302);
    EXPECT_EQ(root.location, "http://127.0.23.2/many.com/index.html");
    struct Case {
        std::string target;
        int nStatus;
        int page;
    };
    const std::vector<Case> kCases = {
        {"/many.com/p03.html", 200, corpus.FindPage("http://127.0.23.2/many.com/p03.html")},
        {"/many.com/p03.html?session=1", 200, corpus.FindPage("http://127.0.23.2/many.com/p03.html")},
        {"/many.com/", 200, corpus.Site(many).home},
        {"/many.com/a&b.html", 200, corpus.FindPage("http://127.0.23.2/many.com/a&b.html")},
        {"/many.com/a%26b.html", 200, corpus.FindPage("http://127.0.23.2/many.com/a&b.html")},
        {"/other.com/index.html", 404, -1},
        {"/search?q=every", 404, -1},
        {"/cgi-bin/checkdomain.pl?domain=127.0.23.2", 404, -1},
        {"/../../etc/passwd", 404, -1},
    };
    for (const Case& c : kCases) {
        HttpAnswer answer = router.Answer(site, c.target, 1);
        EXPECT_EQ(answer.nStatus, c.nStatus) << c.target;
        if (c.page >= 0) {
            EXPECT_EQ(answer.body, corpus.Page(c.page).html) << c.target;
        }
    }
    ListenerRole engine;
    engine.bEngine = true;
    EXPECT_EQ(router.Answer(engine, "/cgi-bin/checkdomain.pl?domain=127.0.23.2", 1).nStatus, 404);
    EXPECT_EQ(router.Answer(engine, "/", 1).nStatus, 200);
    EXPECT_EQ(router.Answer(engine, "/nothing", 1).nStatus, 404);
}

TEST(EnginePages, TotalsAreGroupedLikeTheEngines) {
    EXPECT_EQ(GroupDigits(0), "0");
    EXPECT_EQ(GroupDigits(999), "999");
    EXPECT_EQ(GroupDigits(1234), "1,234");
    EXPECT_EQ(GroupDigits(1234567), "1,234,567");
}

namespace {

using Json = nlohmann::json;

const char kToken[] = "brave-test-token";
const char kKey[] = "opr-test-key";

class SourcesTest : public EngineTest {
protected:
    static SourceServices Keyed() {
        SourceServices services = DefaultSourceServices();
        services[static_cast<std::size_t>(SourceKind::Brave)].key = kToken;
        services[static_cast<std::size_t>(SourceKind::OpenPageRank)].key = kKey;
        return services;
    }
    HttpAnswer Ask(SourceKind kind, const std::string& target, const HeaderFields& fields = {}) {
        return m_sources.Answer(kind, target, fields);
    }
    HttpAnswer Brave(const std::string& query, const std::string& token = kToken) {
        return Ask(SourceKind::Brave, "/res/v1/web/search?" + query,
                   {{"x-subscription-token", token}, {"accept", "application/json"}});
    }
    HttpAnswer Ranks(const std::string& query, const std::string& key = kKey) {
        return Ask(SourceKind::OpenPageRank, "/api/v1.0/getPageRank?" + query, {{"api-opr", key}});
    }
    // The JSON body of an answer with the status; discarded when it is no JSON.
    static Json Body(const HttpAnswer& answer, int nStatus) {
        EXPECT_EQ(answer.nStatus, nStatus) << answer.body;
        EXPECT_EQ(answer.contentType, "application/json");
        return Json::parse(answer.body, nullptr, false);
    }

    CSourceServices m_sources{*s_generated, Keyed()};
};

}  // namespace

TEST_F(SourcesTest, SearXngPagesEveryResultInTheEnginesOrderThenAnEmptyPage) {
    for (const char* szQuery : {"the", "guide", "best+tips", "nothingatall"}) {
        std::vector<int> expected = s_generated->Search(PercentDecode(szQuery, true));
        std::vector<std::string> urls;
        std::size_t nPage = 1;
        for (; nPage <= 100; ++nPage) {
            Json page = Body(Ask(SourceKind::SearXng, std::string("/search?q=") + szQuery + "&format=json&pageno=" +
                                                          std::to_string(nPage)),
                             200);
            ASSERT_TRUE(page.is_object()) << szQuery;
            EXPECT_EQ(page["query"], PercentDecode(szQuery, true));
            EXPECT_EQ(page["number_of_results"], expected.size());
            for (const char* szList : {"answers", "corrections", "infoboxes", "suggestions", "unresponsive_engines"})
                EXPECT_TRUE(page[szList].is_array() && page[szList].empty()) << szList;
            if (page["results"].empty()) break;
            EXPECT_LE(page["results"].size(), static_cast<std::size_t>(kSearXngPageSize));
            for (const Json& result : page["results"]) {
                int found = s_generated->FindPage(result["url"]);
                ASSERT_GE(found, 0) << result;
                EXPECT_EQ(result["title"], s_generated->Title(found));
                EXPECT_EQ(result["content"], s_generated->Snippet(found));
                EXPECT_EQ(result["engine"], "simweb");
                urls.push_back(result["url"]);
            }
        }
        EXPECT_EQ(urls, Addresses(*s_generated, expected)) << szQuery;
        EXPECT_EQ(nPage, (expected.size() + 9) / 10 + 1) << szQuery;
    }
    // The HTML page lists the same first page.
    std::vector<int> expected = s_generated->Search("the");
    ASSERT_GT(expected.size(), 10u);
    for (const char* szTarget : {"/search?q=the", "/?q=the&format=html&pageno=1"}) {
        HttpAnswer html = Ask(SourceKind::SearXng, szTarget);
        EXPECT_EQ(html.nStatus, 200);
        EXPECT_EQ(html.contentType, "text/html");
        for (std::size_t i = 0; i < 11; ++i)
            EXPECT_EQ(html.body.find("href=\"" + s_generated->Page(expected[i]).address + "\"") != std::string::npos, i < 10)
                << szTarget << " result " << i;
    }
}

TEST_F(SourcesTest, SearXngRefusesBadRequestsAndUnservedFormats) {
    struct Case {
        const char* szTarget;
        int nStatus;
        const char* szError;  // the JSON error, or a text of the HTML page
    };
    const Case kCases[] = {
        {"/search?q=the&format=json&pageno=0", 400, "Invalid value \"0\" for parameter pageno"},
        {"/search?q=the&format=json&pageno=two", 400, "Invalid value \"two\" for parameter pageno"},
        {"/search?format=json", 400, "No query"},
        {"/search?q=&format=json", 400, "No query"},
        {"/search?q=the&pageno=-1", 400, "for parameter pageno"},
        {"/search?q=the&format=csv", 403, "Forbidden"},
        {"/search?q=the&format=rss", 403, "Forbidden"},
        {"/preferences", 404, "Not Found"},
    };
    for (const Case& c : kCases) {
        HttpAnswer answer = Ask(SourceKind::SearXng, c.szTarget);
        EXPECT_EQ(answer.nStatus, c.nStatus) << c.szTarget;
        Json body = Json::parse(answer.body, nullptr, false);
        if (answer.contentType == "application/json")
            EXPECT_EQ(body["error"], c.szError) << c.szTarget;
        else
            EXPECT_NE(answer.body.find(c.szError), std::string::npos) << c.szTarget << answer.body;
    }
}

TEST_F(SourcesTest, BravePagesByOffsetUpToItsLastOffset) {
    const std::vector<int> expected = s_generated->Search("the");
    ASSERT_GT(expected.size(), 70u) << "needs more results than ten pages of seven";
    for (long long nCount : {20LL, 7LL}) {
        std::vector<std::string> urls;
        long long nOffset = 0;
        for (;; ++nOffset) {
            Json page = Body(Brave("q=the&count=" + std::to_string(nCount) + "&offset=" + std::to_string(nOffset)), 200);
            ASSERT_TRUE(page.is_object());
            EXPECT_EQ(page["type"], "search");
            EXPECT_EQ(page["query"]["original"], "the");
            ASSERT_EQ(page["web"]["type"], "search");
            EXPECT_LE(page["web"]["results"].size(), static_cast<std::size_t>(nCount));
            for (const Json& result : page["web"]["results"]) {
                EXPECT_EQ(result["title"], s_generated->Title(s_generated->FindPage(result["url"])));
                urls.push_back(result["url"]);
            }
            if (!page["query"]["more_results_available"].get<bool>()) break;
        }
        std::size_t nShown = std::min<std::size_t>(expected.size(), static_cast<std::size_t>(nCount * 10));
        EXPECT_EQ(urls, Addresses(*s_generated, std::vector<int>(expected.begin(), expected.begin() + nShown))) << nCount;
        EXPECT_EQ(nOffset, std::min<long long>((static_cast<long long>(expected.size()) - 1) / nCount, kBraveMaxOffset));
    }
    // Past the results, and for a query without any, a page has no "web".
    Json past = Body(Brave("q=the&count=20&offset=9"), 200);
    EXPECT_FALSE(past["query"]["more_results_available"].get<bool>());
    EXPECT_EQ(past.contains("web"), expected.size() > 180);
    Json none = Body(Brave("q=nothingatall"), 200);
    EXPECT_FALSE(none.contains("web"));
    EXPECT_FALSE(none["query"]["more_results_available"].get<bool>());
}

TEST_F(SourcesTest, BraveChecksTheTokenAndItsParameters) {
    struct Case {
        std::string query, token;
        int nStatus;
        const char* szCode;
    };
    const std::string kLong(401, 'a');
    const std::vector<Case> kCases = {
        {"q=the", kToken, 200, ""},
        {"q=the", "", 422, "SUBSCRIPTION_TOKEN_INVALID"},
        {"q=the", std::string(kToken) + "x", 422, "SUBSCRIPTION_TOKEN_INVALID"},
        {"q=the", kDefaultBraveToken, 422, "SUBSCRIPTION_TOKEN_INVALID"},
        {"q=the&count=21", kToken, 422, "VALIDATION"},
        {"q=the&count=0", kToken, 422, "VALIDATION"},
        {"q=the&offset=10", kToken, 422, "VALIDATION"},
        {"q=the&offset=x", kToken, 422, "VALIDATION"},
        {"count=20", kToken, 422, "VALIDATION"},
        {"q=" + kLong, kToken, 422, "VALIDATION"},
    };
    for (const Case& c : kCases) {
        Json body = Body(Brave(c.query, c.token), c.nStatus);
        if (c.nStatus == 200) continue;
        EXPECT_EQ(body["type"], "ErrorResponse") << c.query;
        EXPECT_EQ(body["error"]["code"], c.szCode) << c.query << " " << c.token;
        EXPECT_EQ(body["error"]["status"], c.nStatus);
        EXPECT_TRUE(body["error"]["id"].is_string() && body["error"]["detail"].is_string() && body["error"]["meta"].is_object());
    }
    EXPECT_EQ(Ask(SourceKind::Brave, "/res/v1/web/search?q=the").nStatus, 422) << "no token at all";
}

TEST_F(SourcesTest, OpenPageRankRanksEachSiteByItsHomePage) {
    std::string query;
    for (std::size_t s = 0; s < s_generated->SiteCount(); ++s) {
        // Encoded as the documentation writes it, unencoded, and numbered, in turn.
        const char* const kNames[] = {"domains%5B%5D=", "domains[]=", "domains%5B7%5D="};
        query += (s ? "&" : "") + std::string(kNames[s % 3]) + s_generated->Site(static_cast<int>(s)).host;
    }
    Json answer = Body(Ranks(query + "&domains[]=unknown.com"), 200);
    ASSERT_TRUE(answer.is_object());
    EXPECT_EQ(answer["status_code"], 200);
    EXPECT_TRUE(answer["last_updated"].is_string());
    const Json& items = answer["response"];
    ASSERT_EQ(items.size(), s_generated->SiteCount() + 1);
    std::vector<int> places;
    for (std::size_t s = 0; s < s_generated->SiteCount(); ++s) {
        const Json& item = items[s];
        const SimSite& site = s_generated->Site(static_cast<int>(s));
        EXPECT_EQ(item["domain"], site.host);
        EXPECT_EQ(item["status_code"], 200);
        EXPECT_EQ(item["error"], "");
        EXPECT_EQ(item["page_rank_integer"], s_generated->Rank(site.home)) << site.host;
        double dDecimal = item["page_rank_decimal"];
        EXPECT_EQ(std::lround(dDecimal), s_generated->Rank(site.home)) << item;
        EXPECT_EQ(item["page_rank_decimal"].is_number_integer(), dDecimal == std::floor(dDecimal)) << item;
        places.push_back(std::stoi(item["rank"].get<std::string>()));
    }
    // Places 1..n, a higher home PageRank first.
    std::vector<int> sorted = places;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < sorted.size(); ++i) EXPECT_EQ(sorted[i], static_cast<int>(i + 1));
    for (std::size_t a = 0; a < places.size(); ++a) {
        for (std::size_t b = 0; b < places.size(); ++b) {
            if (places[a] < places[b]) {
                EXPECT_GE(s_generated->PageRankValue(s_generated->Site(static_cast<int>(a)).home),
                          s_generated->PageRankValue(s_generated->Site(static_cast<int>(b)).home));
            }
        }
    }
    const Json& unknown = items.back();
    EXPECT_EQ(unknown, Json::parse(R"({"status_code":404,"error":"Domain not found","page_rank_integer":0,)"
                                   R"("page_rank_decimal":0,"rank":null,"domain":"unknown.com"})"));
    // A site reached by its name is known by it too.
    const SimSite& named = s_generated->Site(1);
    const Json byName = Body(Ranks("domains[]=" + named.name), 200)["response"][0];
    EXPECT_EQ(byName["domain"], named.name);
    EXPECT_EQ(byName["page_rank_integer"], s_generated->Rank(named.home));
}

TEST_F(SourcesTest, OpenPageRankRefusesAWrongKeyAndMoreThanAHundredDomains) {
    const std::string kDomain = "domains[]=" + s_generated->Site(0).host;
    std::string hundred, more;
    for (std::size_t i = 0; i < kMaxRankDomains; ++i) hundred += (i ? "&" : "") + kDomain;
    more = hundred + "&" + kDomain;
    struct Case {
        std::string query, key;
        int nStatus;
        std::size_t nItems;
    };
    const std::vector<Case> kCases = {
        {kDomain, kKey, 200, 1},          {hundred, kKey, 200, kMaxRankDomains}, {more, kKey, 401, 0},
        {kDomain, "", 401, 0},            {kDomain, "opr-test-ke", 401, 0},      {"", kKey, 200, 0},
    };
    for (const Case& c : kCases) {
        Json body = Body(Ranks(c.query, c.key), c.nStatus);
        EXPECT_EQ(body["status_code"], c.nStatus) << c.key;
        if (c.nStatus == 200) {
            EXPECT_EQ(body["response"].size(), c.nItems);
        } else {
            EXPECT_EQ(body["message"], "Invalid API Key or Domain limit reached");
        }
    }
    EXPECT_EQ(Ask(SourceKind::OpenPageRank, "/api/v1.0/getPageRank?" + kDomain).nStatus, 401) << "no key at all";
}

TEST_F(SourcesTest, EachFaultFailsAsTheServiceFailsAndOnceMeansOnce) {
    auto ask = [this](SourceKind kind) {
        return kind == SourceKind::SearXng ? Ask(kind, "/search?q=the&format=json")
               : kind == SourceKind::Brave ? Brave("q=the")
                                           : Ranks("domains[]=" + s_generated->Site(0).host);
    };
    auto only = [](bool SourceFaults::*pFlag) {
        SourceFaults faults;
        faults.*pFlag = true;
        return faults;
    };
    struct Case {
        SourceKind kind;
        bool SourceFaults::*pFlag;
        int nStatus;
        const char* szText;  // in the refusal's body
        bool bLasting;
    };
    const Case kCases[] = {
        {SourceKind::SearXng, &SourceFaults::bJsonOff, 403, "<h1>Forbidden</h1>", true},
        {SourceKind::SearXng, &SourceFaults::bRateLimitOnce, 429, "Too Many Requests", false},
        {SourceKind::Brave, &SourceFaults::bKeyRefused, 422, "\"SUBSCRIPTION_TOKEN_INVALID\"", true},
        {SourceKind::Brave, &SourceFaults::bQuotaUsed, 429, "\"QUOTA_LIMITED\"", true},
        {SourceKind::Brave, &SourceFaults::bRateLimitOnce, 429, "\"RATE_LIMITED\"", false},
        {SourceKind::OpenPageRank, &SourceFaults::bKeyRefused, 401, "Invalid API Key", true},
        {SourceKind::OpenPageRank, &SourceFaults::bRateLimitOnce, 429, "Rate limit exceeded", false},
    };
    for (const Case& c : kCases) {
        const char* szName = SourceName(c.kind);
        m_sources.SetFaults(c.kind, only(c.pFlag));
        HttpAnswer first = ask(c.kind);
        EXPECT_EQ(first.nStatus, c.nStatus) << szName;
        EXPECT_NE(first.body.find(c.szText), std::string::npos) << szName << first.body;
        EXPECT_EQ(ask(c.kind).nStatus, c.bLasting ? c.nStatus : 200) << szName;
        m_sources.SetFaults(c.kind, SourceFaults());
        EXPECT_EQ(ask(c.kind).nStatus, 200) << szName;
    }
    for (SourceKind kind : {SourceKind::SearXng, SourceKind::Brave, SourceKind::OpenPageRank}) {
        HttpAnswer whole = ask(kind);
        m_sources.SetFaults(kind, only(&SourceFaults::bMalformedOnce));
        HttpAnswer cut = ask(kind);
        EXPECT_EQ(cut.nStatus, 200) << SourceName(kind);
        EXPECT_FALSE(Json::accept(cut.body)) << SourceName(kind);
        EXPECT_TRUE(Json::accept(ask(kind).body)) << SourceName(kind);
        EXPECT_TRUE(Json::accept(whole.body));
        // A 429 and a cut-off answer set together spoil one answer each.
        SourceFaults both = only(&SourceFaults::bMalformedOnce);
        both.bRateLimitOnce = true;
        m_sources.SetFaults(kind, both);
        EXPECT_EQ(ask(kind).nStatus, 429);
        EXPECT_FALSE(Json::accept(ask(kind).body));
        EXPECT_TRUE(Json::accept(ask(kind).body));
    }
}

namespace {

const char kRdapBootstrap[] = "127.0.23.50";
const char kRdapRegistry[] = "127.0.23.51";
const char* const kRdapRegistrars[] = {"127.0.23.52", "127.0.23.53"};

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool HasValue(const Json& list, const std::string& value) {
    return list.is_array() && std::find(list.begin(), list.end(), Json(value)) != list.end();
}

// Every entity of an RDAP object, the nested ones after the one holding them.
void CollectEntities(const Json& object, std::vector<Json>& entities) {
    if (!object.contains("entities")) return;
    for (const Json& entity : object["entities"]) {
        entities.push_back(entity);
        CollectEntities(entity, entities);
    }
}

// The values of one vCard property of the entities in that role, nested
// ones included, in order.
std::vector<std::string> CardValues(const Json& domain, const char* szRole, const char* szProperty) {
    std::vector<Json> entities;
    CollectEntities(domain, entities);
    std::vector<std::string> values;
    for (const Json& entity : entities) {
        if (!HasValue(entity["roles"], szRole)) continue;
        for (const Json& property : entity["vcardArray"][1])
            if (property[0] == szProperty) values.push_back(property[3].get<std::string>());
    }
    return values;
}

// A jCard: "vcard", then properties of name, parameters, type and value,
// the version first.
void ExpectJCard(const Json& entity) {
    const Json& card = entity["vcardArray"];
    ASSERT_TRUE(card.is_array() && card.size() == 2 && card[0] == "vcard") << entity.dump();
    ASSERT_TRUE(card[1].is_array() && !card[1].empty());
    EXPECT_EQ(card[1][0], Json::parse(R"(["version",{},"text","4.0"])"));
    for (const Json& property : card[1])
        EXPECT_TRUE(property.is_array() && property.size() == 4 && property[0].is_string() && property[1].is_object() &&
                    property[2].is_string())
            << property.dump();
}

std::vector<std::string> TopRoles(const Json& domain) {
    std::vector<std::string> roles;
    for (const Json& entity : domain["entities"])
        for (const Json& role : entity["roles"]) roles.push_back(role.get<std::string>());
    return roles;
}

const Json* FindLink(const Json& object, const char* szRel) {
    for (const Json& link : object["links"])
        if (link["rel"] == szRel) return &link;
    return nullptr;
}

}  // namespace

class RdapTest : public EngineTest {
protected:
    static RdapHosts Servers() {
        RdapHosts hosts;
        hosts.bootstrap = kRdapBootstrap;
        hosts.registry = kRdapRegistry;
        hosts.registrars.assign(std::begin(kRdapRegistrars), std::end(kRdapRegistrars));
        return hosts;
    }
    static std::string Name(int site) { return s_generated->Site(site).name; }
    static std::size_t RegistrarOf(int site) { return RdapRegistrarOf(site, std::size(kRdapRegistrars)); }
    static std::string DomainUrl(const std::string& host, const std::string& base, int site) {
        return "https://" + host + base + "domain/" + Name(site);
    }
    HttpAnswer Registrar(int site) {
        return m_rdap.Answer(kRdapRegistrars[RegistrarOf(site)], "/rdap/domain/" + Name(site));
    }
    // The RDAP body of an answer with the status; discarded when it is no JSON.
    static Json Body(const HttpAnswer& answer, int nStatus) {
        EXPECT_EQ(answer.nStatus, nStatus) << answer.body;
        EXPECT_EQ(answer.contentType, "application/rdap+json");
        return Json::parse(answer.body, nullptr, false);
    }
    // The registrar's entity as the registry and every registrar show it,
    // and no contact of the site's own where none belongs.
    static void ExpectRegistrar(const Json& domain, int site) {
        const RdapRegistrar registrar = RdapRegistrarInfo(RegistrarOf(site));
        const Json& entity = domain["entities"][0];
        EXPECT_EQ(entity["roles"], Json::array({"registrar"}));
        EXPECT_EQ(entity["publicIds"][0]["type"], "IANA Registrar ID");
        EXPECT_EQ(entity["publicIds"][0]["identifier"], std::to_string(registrar.nIanaId));
        EXPECT_EQ(CardValues(domain, "registrar", "fn"), std::vector<std::string>{registrar.name});
        EXPECT_EQ(CardValues(domain, "registrar", "email"), std::vector<std::string>{registrar.email});
        EXPECT_EQ(CardValues(domain, "abuse", "email"), std::vector<std::string>{registrar.abuseEmail});
        EXPECT_EQ(CardValues(domain, "abuse", "tel"), std::vector<std::string>{registrar.abusePhone});
        std::vector<Json> entities;
        CollectEntities(domain, entities);
        for (const Json& each : entities) ExpectJCard(each);
    }
    static void ExpectNoWhoIsAddress(const std::string& body, int site) {
        for (const std::string& address : s_generated->WhoIsEmails(site))
            EXPECT_EQ(body.find(address), std::string::npos) << address;
    }
    static void ExpectStyle(RdapStyle style, int site, const Json& domain, const std::string& body);

    CRdapServices m_rdap{*s_generated, Servers()};
};

void RdapTest::ExpectStyle(RdapStyle style, int site, const Json& domain, const std::string& body) {
    const std::vector<std::string>& whois = s_generated->WhoIsEmails(site);
    const std::vector<std::string> first(whois.begin(), whois.begin() + (whois.empty() ? 0 : 1));
    const std::vector<std::string> others(whois.begin() + first.size(), whois.end());
    ExpectRegistrar(domain, site);
    EXPECT_EQ(domain.contains("redacted"), style == RdapStyle::Redacted);
    if (style == RdapStyle::RegistrarOnly) {
        EXPECT_TRUE(whois.empty());
        EXPECT_EQ(TopRoles(domain), std::vector<std::string>{"registrar"});
    } else if (style == RdapStyle::Plain || style == RdapStyle::RateLimitedOnce) {
        EXPECT_EQ(CardValues(domain, "registrant", "email"), first);
        EXPECT_EQ(CardValues(domain, "administrative", "email"), first);
        EXPECT_EQ(CardValues(domain, "technical", "email"), others);
        EXPECT_EQ(CardValues(domain, "billing", "email"), others);
        std::vector<std::string> top = TopRoles(domain);
        EXPECT_EQ(std::count(top.begin(), top.end(), "administrative"), 0) << "nested in the registrant";
    } else if (style == RdapStyle::Privacy) {
        const std::string forward = PrivacyForwardingAddress(*s_generated, site);
        EXPECT_EQ(CardValues(domain, "registrant", "email"), std::vector<std::string>{forward});
        EXPECT_EQ(CardValues(domain, "registrant", "org"), std::vector<std::string>{kPrivacyServiceOrg});
        EXPECT_EQ(CardValues(domain, "technical", "email"), std::vector<std::string>(others.size(), forward));
        ExpectNoWhoIsAddress(body, site);
    } else {
        EXPECT_TRUE(CardValues(domain, "registrant", "email").empty());
        ASSERT_EQ(CardValues(domain, "registrant", "contact-uri").size(), 1u);
        EXPECT_EQ(CardValues(domain, "registrant", "contact-uri")[0].compare(0, 8, "https://"), 0);
        EXPECT_EQ(CardValues(domain, "administrative", "email"), std::vector<std::string>{""});
        EXPECT_EQ(CardValues(domain, "technical", "email"), std::vector<std::string>(others.size(), kRedactedForPrivacy));
        EXPECT_TRUE(HasValue(domain["rdapConformance"], "redacted"));
        ExpectNoWhoIsAddress(body, site);
    }
}

TEST_F(RdapTest, BootstrapSendsTheCorpusTldToTheRegistryAndOthersElsewhere) {
    HttpAnswer answer = m_rdap.Answer(kRdapBootstrap, "/dns.json");
    ASSERT_EQ(answer.nStatus, 200);
    EXPECT_EQ(answer.contentType, "application/json");
    Json file = Json::parse(answer.body);
    EXPECT_EQ(file["version"], "1.0");
    EXPECT_TRUE(file["publication"].is_string() && file["description"].is_string());
    std::map<std::string, std::vector<std::string>> urls;
    for (const Json& service : file["services"]) {
        ASSERT_EQ(service.size(), 2u) << service.dump();
        for (const Json& tld : service[0])
            for (const Json& url : service[1]) urls[tld.get<std::string>()].push_back(url.get<std::string>());
    }
    EXPECT_EQ(urls["com"], std::vector<std::string>{"https://127.0.23.51/com/v1/"});
    EXPECT_EQ(urls["net"], std::vector<std::string>{"https://127.0.23.51/net/v1/"});
    ASSERT_EQ(urls["org"].size(), 1u);
    EXPECT_EQ(urls["org"][0].find("127.0.23."), std::string::npos) << "served nowhere";
    EXPECT_GE(file["services"].size(), 3u);
    EXPECT_EQ(m_rdap.Answer(kRdapBootstrap, "/com/v1/domain/" + Name(0)).nStatus, 404);
}

TEST_F(RdapTest, RegistryAnswersEachNameWithItsRegistrarAndTheLinkToIt) {
    for (int site = 0; site < static_cast<int>(s_generated->SiteCount()); ++site) {
        SCOPED_TRACE(Name(site));
        // Any case, and the root's final dot, name the same domain.
        for (const std::string& asked : {Upper(Name(site)), Name(site) + "."}) {
            HttpAnswer answer = m_rdap.Answer(kRdapRegistry, "/com/v1/domain/" + asked);
            Json domain = Body(answer, 200);
            EXPECT_EQ(domain["objectClassName"], "domain");
            EXPECT_EQ(domain["ldhName"], Name(site));
            EXPECT_TRUE(domain["handle"].is_string());
            EXPECT_TRUE(HasValue(domain["rdapConformance"], "rdap_level_0"));
            const Json* pSelf = FindLink(domain, "self");
            const Json* pRelated = FindLink(domain, "related");
            ASSERT_TRUE(pSelf && pRelated) << answer.body;
            EXPECT_EQ((*pSelf)["href"], DomainUrl(kRdapRegistry, kRdapComBase, site));
            EXPECT_EQ((*pRelated)["href"], DomainUrl(kRdapRegistrars[RegistrarOf(site)], kRdapRegistrarBase, site));
            EXPECT_EQ((*pRelated)["type"], "application/rdap+json");
            EXPECT_EQ(domain["entities"].size(), 1u) << "a thin registry knows the registrar only";
            ExpectRegistrar(domain, site);
            ExpectNoWhoIsAddress(answer.body, site);
        }
    }
}

TEST_F(RdapTest, RefusalsAreErrorObjectsWithTheirStatus) {
    ASSERT_NE(RegistrarOf(2), RegistrarOf(3));
    const std::string name = Name(2);
    const char* szRegistrar = kRdapRegistrars[RegistrarOf(2)];
    struct Case {
        const char* szHost;
        std::string target;
        int nStatus;
    };
    const Case kCases[] = {
        {kRdapRegistry, "/com/v1/domain/nosuchname.com", 404},
        {kRdapRegistry, "/com/v1/domain/www." + name, 404},
        {kRdapRegistry, "/net/v1/domain/" + name, 404},
        {kRdapRegistry, "/org/v1/domain/" + name, 404},
        {kRdapRegistry, "/com/v1/domain/", 400},
        {kRdapRegistry, "/com/v1/domain/bad_name.com", 400},
        {kRdapRegistry, "/com/v1/domain/a..com", 400},
        {kRdapRegistry, "/com/v1/domain/-a.com", 400},
        {kRdapRegistry, "/com/v1/domain/" + name + "/more", 400},
        {kRdapRegistry, "/com/v1/", 400},
        {kRdapRegistry, "/com/v1/nameserver/ns1." + name, 501},
        {szRegistrar, "/rdap/domain/" + Name(3), 404},
        {szRegistrar, "/rdap/domain/www." + name, 404},
        {szRegistrar, "/rdap/domain/bad%20name.com", 400},
        {szRegistrar, "/domain/" + name, 404},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(std::string(c.szHost) + c.target);
        Json error = Body(m_rdap.Answer(c.szHost, c.target), c.nStatus);
        EXPECT_EQ(error["errorCode"], c.nStatus);
        EXPECT_TRUE(error["title"].is_string());
        EXPECT_TRUE(error["description"].is_array() && !error["description"].empty() && error["description"][0].is_string());
    }
}

TEST_F(RdapTest, EachRegistrarShowsTheContactsInTheSitesStyle) {
    std::set<RdapStyle> seen;
    for (int site = 0; site < static_cast<int>(s_generated->SiteCount()); ++site) {
        const RdapStyle style = RdapStyleOf(*s_generated, site);
        SCOPED_TRACE(Name(site) + " " + RdapStyleName(style));
        seen.insert(style);
        if (style == RdapStyle::RateLimitedOnce) {
            HttpAnswer refused = Registrar(site);
            EXPECT_EQ(Body(refused, 429)["errorCode"], 429);
            EXPECT_EQ(refused.retryAfter, "1");
        }
        HttpAnswer answer = Registrar(site);
        Json domain = Body(answer, 200);
        EXPECT_EQ(domain["ldhName"], Name(site));
        ExpectStyle(style, site, domain, answer.body);
        EXPECT_EQ(Registrar(site).body, answer.body) << "the same answer every time after";
    }
    EXPECT_EQ(seen.size(), kRdapStyles) << "the corpus shows every style";
}

TEST_F(RdapTest, RedactedAnswersNameEachRedactedFieldAndHowItWent) {
    int site = -1;
    for (int s = 0; s < static_cast<int>(s_generated->SiteCount()) && site < 0; ++s)
        if (RdapStyleOf(*s_generated, s) == RdapStyle::Redacted && s_generated->WhoIsEmails(s).size() > 1) site = s;
    ASSERT_GE(site, 0) << "a redacted site with a technical contact";
    Json domain = Body(Registrar(site), 200);
    std::map<std::string, Json> members;
    for (const Json& member : domain["redacted"]) {
        const Json& name = member["name"];
        ASSERT_TRUE(name.contains("type") != name.contains("description")) << member.dump();
        EXPECT_TRUE(member.contains("prePath") || member.contains("postPath")) << member.dump();
        EXPECT_EQ(member["pathLang"], "jsonpath");
        members[name.value("type", name.value("description", ""))] = member;
    }
    const std::pair<const char*, const char*> kMethods[] = {
        {"Registry Registrant ID", "removal"}, {"Registrant Name", "emptyValue"}, {"Registrant Email", "replacementValue"},
        {"Administrative Email", "emptyValue"}, {"Tech Email", "replacementValue"}};
    for (const auto& expected : kMethods) EXPECT_EQ(members[expected.first]["method"], expected.second) << expected.first;
    EXPECT_EQ(members["Registrant Email"]["replacementPath"],
              "$.entities[?(@.roles[0]=='registrant')].vcardArray[1][?(@[0]=='contact-uri')]");
    EXPECT_EQ(CardValues(domain, "registrant", "fn"), std::vector<std::string>{""});
}

TEST(RdapStyles, TakeTurnsOverTheSitesWithAddressesSoTypicalCorporaShowThemAllEarly) {
    const RdapStyle kTurns[] = {RdapStyle::Plain, RdapStyle::Redacted, RdapStyle::Privacy, RdapStyle::RateLimitedOnce};
    for (const GenerateSpec& spec : {GenerateSpec{17, 24, 12}, GenerateSpec{5, 12, 10}, GenerateSpec{1, 20, 10}}) {
        CCorpus corpus;
        GenerateCorpus(spec, Hosts(static_cast<std::size_t>(spec.nSites)), corpus);
        std::set<RdapStyle> early;
        std::set<std::string> forwards;
        std::size_t nWithAddresses = 0;
        for (int site = 0; site < spec.nSites; ++site) {
            const RdapStyle style = RdapStyleOf(corpus, site);
            const bool bAddresses = !corpus.WhoIsEmails(site).empty();
            EXPECT_EQ(style, bAddresses ? kTurns[nWithAddresses++ % 4] : RdapStyle::RegistrarOnly) << spec.nSeed << " " << site;
            if (site < 8) early.insert(style);
            std::string forward = PrivacyForwardingAddress(corpus, site);
            EXPECT_EQ(forward.find(corpus.Site(site).name.substr(0, corpus.Site(site).name.find('.'))), std::string::npos);
            forwards.insert(forward.substr(0, forward.find('@')));
        }
        EXPECT_EQ(early.size(), kRdapStyles) << "every style among the first sites of seed " << spec.nSeed;
        EXPECT_EQ(forwards.size(), static_cast<std::size_t>(spec.nSites)) << "a forwarding address of its own for each site";
    }
}
