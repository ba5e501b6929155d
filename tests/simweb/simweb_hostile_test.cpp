// The hostile corner: each site answers the way it is meant to break a
// client, and none of them stops, hangs or slows the rest of the service.
#include <gtest/gtest.h>

#include <algorithm>

#include "hostile_sites.h"
#include "simweb_client.h"
#include "simweb_reader.h"
#include "simweb_service_win.h"

using namespace simweb;
using namespace simweb_test;

namespace {

const char kEngine[] = "127.0.24.1";

SimWebOptions HostileOptions(bool bHostile) {
    SimWebOptions options;
    options.engineHost = options.whoisHost = kEngine;
    options.siteBase = "127.0.24.2";
    options.hostileBase = "127.0.24.100";
    options.generate = GenerateSpec{2, 3, 4};
    options.bHostile = bHostile;
    return options;
}

std::string Request(const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
    return n;
}

class HostileTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_simWeb = new CSimWeb;
        std::string error;
        ASSERT_TRUE(s_simWeb->Start(HostileOptions(true), error)) << error;
    }
    static void TearDownTestSuite() { delete s_simWeb; }

    static std::string Host(HostileKind kind) {
        const CCorpus& corpus = s_simWeb->Corpus();
        for (std::size_t s = 0; s < corpus.SiteCount(); ++s)
            if (HostileKindOfSite(corpus, static_cast<int>(s)) == static_cast<int>(kind)) return corpus.Site(static_cast<int>(s)).host;
        ADD_FAILURE() << "no site for " << HostileName(kind);
        return std::string();
    }
    static HttpResult Fetch(HostileKind kind, const std::string& target = "/", int nTimeoutMs = 15000,
                            std::size_t nMaxBytes = static_cast<std::size_t>(-1)) {
        return SendRaw(Host(kind), Request(target), nTimeoutMs, nMaxBytes);
    }
    static void ExpectServiceAlive() {
        const SimPage& page = s_simWeb->Corpus().Page(0);
        HttpResult result = Get(page.address.substr(7, page.address.find('/', 7) - 7), page.path);
        EXPECT_TRUE(result.bOk);
        EXPECT_EQ(result.body, page.html);
    }

    static CSimWeb* s_simWeb;
};

CSimWeb* HostileTest::s_simWeb = nullptr;

}  // namespace

TEST_F(HostileTest, EngineListsEveryHostileSiteAndTheMapNamesThem) {
    HttpResult results = Get(kEngine, "/search?q=hostile&num=25&hl=en&lr=&ie=UTF-8&newwindow=1&start=0&sa=N");
    EXPECT_EQ(ReaderResultLinks(results.body).size(), kHostileKinds);
    std::string map = s_simWeb->SiteMap();
    EXPECT_EQ(Count(map, "\nhostile "), kHostileKinds);
    for (std::size_t i = 0; i < kHostileKinds; ++i)
        EXPECT_NE(map.find(std::string(" ") + HostileName(HostileKindAt(i)) + " http://"), std::string::npos);
}

TEST_F(HostileTest, WholeBodiesOfTheBrokenKinds) {
    HttpResult huge = Fetch(HostileKind::HugePage);
    EXPECT_TRUE(huge.bOk);
    EXPECT_EQ(huge.body.size(), kHugePageBytes);

    HttpResult zeros = Fetch(HostileKind::ZeroBytes);
    EXPECT_TRUE(zeros.bOk);
    EXPECT_GT(std::count(zeros.body.begin(), zeros.body.end(), '\0'), 1000000);
    EXPECT_EQ(zeros.body.find("<html><body>"), 0u);

    HttpResult noise = Fetch(HostileKind::BinaryNoise);
    EXPECT_TRUE(noise.bOk);
    EXPECT_EQ(noise.body, BinaryNoiseBody());

    HttpResult unclosed = Fetch(HostileKind::UnclosedAttribute);
    std::size_t href = unclosed.body.find("href=\"");
    ASSERT_NE(href, std::string::npos);
    EXPECT_EQ(unclosed.body.find_first_of("\">", href + 6), std::string::npos);

    HttpResult many = Fetch(HostileKind::ManyLinks);
    EXPECT_TRUE(many.bOk);
    EXPECT_EQ(Count(many.body, "href=\""), kManyLinks);

    HttpResult error = Fetch(HostileKind::ErrorStatus);
    EXPECT_EQ(error.nStatus, 500);
    EXPECT_EQ(ReaderEmails(error.body), std::vector<std::string>{"webmaster@errorstatus.com"});
    ExpectServiceAlive();
}

TEST_F(HostileTest, LongAddressIsServedAndLinkedToItself) {
    int site = s_simWeb->Corpus().FindSiteByHost(Host(HostileKind::LongAddress));
    ASSERT_GE(site, 0);
    const SimPage& page = s_simWeb->Corpus().Page(s_simWeb->Corpus().Site(site).home);
    EXPECT_EQ(page.address.size(), kLongAddressLength);
    HttpResult result = Fetch(HostileKind::LongAddress, page.path);
    EXPECT_EQ(result.nStatus, 200);
    EXPECT_NE(result.body.find("href=\"" + page.address + "\""), std::string::npos);
}

TEST_F(HostileTest, RedirectLoopSendsEachAddressToTheOther) {
    std::string host = Host(HostileKind::RedirectLoop);
    HttpResult first = Fetch(HostileKind::RedirectLoop, "/redirectloop.com/a.html");
    EXPECT_EQ(first.nStatus, 302);
    EXPECT_NE(first.head.find("Location: http://" + host + "/redirectloop.com/b.html\r\n"), std::string::npos);
    HttpResult second = Fetch(HostileKind::RedirectLoop, "/redirectloop.com/b.html");
    EXPECT_NE(second.head.find("Location: http://" + host + "/redirectloop.com/a.html\r\n"), std::string::npos);
}

TEST_F(HostileTest, BodiesCutShortOrNeverEnding) {
    HttpResult reset = Fetch(HostileKind::ResetMidway);
    EXPECT_EQ(reset.nStatus, 200);
    EXPECT_FALSE(reset.bOk) << "the body must stop short of its length";
    EXPECT_LT(reset.body.size(), 100000u);

    const std::size_t kEnough = 4u << 20;
    HttpResult endless = Fetch(HostileKind::EndlessBody, "/", 15000, kEnough);
    EXPECT_EQ(endless.nStatus, 200);
    EXPECT_EQ(endless.head.find("Content-Length"), std::string::npos);
    EXPECT_GE(endless.body.size() + endless.head.size(), kEnough);

    HttpResult trickle = Fetch(HostileKind::Trickle, "/", 15000, 1);
    EXPECT_NE(trickle.head.find("Content-Length: 3600"), std::string::npos);
    ExpectServiceAlive();
}

TEST_F(HostileTest, SilentSiteHoldsOnlyItsOwnClients) {
    SOCKET held = Connect(Host(HostileKind::NeverAnswers));
    SOCKET trickling = Connect(Host(HostileKind::Trickle));
    ASSERT_NE(held, INVALID_SOCKET);
    std::string request = Request("/");
    send(held, request.data(), static_cast<int>(request.size()), 0);
    send(trickling, request.data(), static_cast<int>(request.size()), 0);
    for (int i = 0; i < 10; ++i) ExpectServiceAlive();
    closesocket(held);
    closesocket(trickling);
}

TEST_F(HostileTest, StopEndsEveryHostileAnswerInProgress) {
    CSimWeb local;
    SimWebOptions options = HostileOptions(true);
    options.engineHost = options.whoisHost = "127.0.24.51";
    options.siteBase = "127.0.24.52";
    options.hostileBase = "127.0.24.150";
    std::string error;
    ASSERT_TRUE(local.Start(options, error)) << error;
    std::vector<SOCKET> open;
    for (std::size_t i = 0; i < kHostileKinds; ++i) {
        SOCKET s = Connect("127.0.24." + std::to_string(150 + i));
        std::string request = Request("/");
        send(s, request.data(), static_cast<int>(request.size()), 0);
        open.push_back(s);
    }
    local.Stop();
    EXPECT_FALSE(local.IsRunning());
    for (SOCKET s : open) closesocket(s);
}

TEST(HostileOff, NoHostileSiteUnlessAskedFor) {
    CSimWeb simWeb;
    std::string error;
    SimWebOptions options = HostileOptions(false);
    options.engineHost = options.whoisHost = "127.0.24.41";
    options.siteBase = "127.0.24.42";
    ASSERT_TRUE(simWeb.Start(options, error)) << error;
    EXPECT_EQ(simWeb.SiteMap().find("hostile"), std::string::npos);
    EXPECT_EQ(simWeb.Corpus().SiteCount(), 3u);
    EXPECT_EQ(Connect("127.0.24.100"), INVALID_SOCKET);
}
