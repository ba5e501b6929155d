// The service over real sockets: what it answers, its request log, and
// that no client (silent, huge, broken, vanishing) stops or hangs it.
#include <gtest/gtest.h>

#include <ws2tcpip.h>

#include <memory>
#include <thread>

#include "checksum.h"
#include "simweb_client.h"
#include "simweb_reader.h"
#include "simweb_scratch.h"
#include "simweb_service_win.h"

using namespace simweb;
using namespace simweb_test;

namespace {

// The service's own addresses, not the program's hosts: no other test
// program needs to wait for this one. The engine answers WhoIs as well.
const char kEngine[] = "127.0.20.1";
const char kSiteBase[] = "127.0.20.2";

SimWebOptions TestOptions() {
    SimWebOptions options;
    options.engineHost = kEngine;
    options.whoisHost = kEngine;
    options.siteBase = kSiteBase;
    options.generate = GenerateSpec{11, 4, 6};
    return options;
}

std::string Request(const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n";
}

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        // One page far larger than any socket buffer, for the vanishing client.
        m_folder.Write({{"big.com/index.html", "<html><body>" + std::string(8 << 20, 'x') + "</body></html>"},
                        {"small.com/index.html", "<html><body>small</body></html>"}});
        SimWebOptions options = TestOptions();
        options.corpusFolder = m_folder.Path();
        std::string error;
        ASSERT_TRUE(m_simWeb.Start(options, error)) << error;
    }
    std::string Site(int nSite) const { return m_simWeb.Corpus().Site(nSite).host; }
    // The service still answers a plain request.
    void ExpectAlive() {
        HttpResult result = Get(Site(1), "/small.com/index.html");
        EXPECT_TRUE(result.bOk);
        EXPECT_EQ(result.body, "<html><body>small</body></html>");
    }

    CScratchFolder m_folder;
    CSimWeb m_simWeb;
};

}  // namespace

TEST(Service, AnswersEngineWhoIsAndSitesAndLogsEachRequest) {
    CSimWeb simWeb;
    std::string error;
    ASSERT_TRUE(simWeb.Start(TestOptions(), error)) << error;
    const CCorpus& corpus = simWeb.Corpus();
    const SimPage& page = corpus.Page(corpus.Site(2).home);
    HttpResult site = Get(corpus.Site(2).host, page.path);
    EXPECT_EQ(site.nStatus, 200);
    EXPECT_EQ(site.body, page.html);
    HttpResult root = Get(corpus.Site(2).host, "/");
    EXPECT_EQ(root.nStatus, 302);
    EXPECT_NE(root.head.find("Location: " + page.address + "\r\n"), std::string::npos);
    HttpResult rank = Get(kEngine, "/search?client=navclient-auto&ch=" + RankChecksum(page.address.c_str()) +
                                                    "&ie=UTF-8&oe=UTF-8&features=Rank&q=info:" + page.address);
    EXPECT_EQ(ReaderRank(rank.body), corpus.Rank(corpus.Site(2).home));
    HttpResult whois = Get(kEngine, "/cgi-bin/checkdomain.pl?domain=" + corpus.Site(2).host);
    EXPECT_EQ(ReaderEmails(whois.body), corpus.WhoIsEmails(2));
    HttpResult results = Get(kEngine, "/search?q=link:" + page.address);
    EXPECT_EQ(ReaderBacklinks(results.body), corpus.BacklinkCount(corpus.Site(2).home));

    ASSERT_TRUE(simWeb.WaitForRequests(5, 10000));
    std::vector<RequestLogEntry> log = simWeb.Requests();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[0].host, corpus.Site(2).host);
    EXPECT_EQ(log[0].method, "GET");
    EXPECT_EQ(log[0].target, page.path);
    EXPECT_EQ(log[0].nStatus, 200);
    EXPECT_EQ(log[0].nBytes, page.html.size());
    EXPECT_EQ(log[1].nStatus, 302);
    EXPECT_EQ(log[3].host, kEngine);
    EXPECT_FALSE(simWeb.WaitForRequests(6, 50));
}

TEST(Service, StopsOnItsStopRequestAndStartsAgainOnTheSameAddresses) {
    CSimWeb simWeb;
    std::string error;
    ASSERT_TRUE(simWeb.Start(TestOptions(), error)) << error;
    EXPECT_FALSE(simWeb.WaitForStopRequest(0));
    EXPECT_EQ(Get(kEngine, "/simweb/stop").nStatus, 200);
    EXPECT_TRUE(simWeb.WaitForStopRequest(10000));
    simWeb.Stop();
    EXPECT_FALSE(Get(kSiteBase, "/").bOk);
    ASSERT_TRUE(simWeb.Start(TestOptions(), error)) << error;
    EXPECT_EQ(Get(kSiteBase, "/").nStatus, 302);
}

TEST(Service, RefusesToStartOnAddressesOutsideLoopbackOrAMissingCorpus) {
    CSimWeb simWeb;
    std::string error;
    SimWebOptions options = TestOptions();
    options.siteBase = "10.1.2.3";
    EXPECT_FALSE(simWeb.Start(options, error));
    EXPECT_NE(error.find("loopback"), std::string::npos);
    options = TestOptions();
    options.corpusFolder = "Z:\\no\\such\\corpus";
    EXPECT_FALSE(simWeb.Start(options, error));
    EXPECT_FALSE(simWeb.IsRunning());
}

TEST_F(ServiceTest, KeepsConnectionsAliveAndAnswersPipelinedRequests) {
    SOCKET s = Connect(Site(1));
    ASSERT_NE(s, INVALID_SOCKET);
    std::string twice = Request("/small.com/index.html") + Request("/small.com/none.html");
    ASSERT_EQ(send(s, twice.data(), static_cast<int>(twice.size()), 0), static_cast<int>(twice.size()));
    std::vector<HttpResult> answers = ReadAnswers(s, 2);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].nStatus, 200);
    EXPECT_NE(answers[0].head.find("Connection: keep-alive"), std::string::npos);
    EXPECT_EQ(answers[1].nStatus, 404);
    std::string third = Request("/small.com/index.html");
    send(s, third.data(), static_cast<int>(third.size()), 0);
    EXPECT_EQ(ReadAnswer(s).body, "<html><body>small</body></html>");
    closesocket(s);
}

TEST_F(ServiceTest, AnIdleKeptAliveConnectionIsStillServedSecondsLater) {
    SOCKET s = Connect(Site(1));
    ASSERT_NE(s, INVALID_SOCKET);
    std::string request = Request("/small.com/index.html");
    send(s, request.data(), static_cast<int>(request.size()), 0);
    ASSERT_EQ(ReadAnswer(s).nStatus, 200);
    // A run often comes back to a site after seconds spent on others; a
    // connection the server closes meanwhile turns readable at once.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval idle{6, 0};
    ASSERT_EQ(select(0, &readable, nullptr, nullptr, &idle), 0) << "the idle connection was closed";
    ASSERT_EQ(send(s, request.data(), static_cast<int>(request.size()), 0), static_cast<int>(request.size()));
    EXPECT_EQ(ReadAnswer(s).body, "<html><body>small</body></html>");
    closesocket(s);
}

TEST_F(ServiceTest, BadRequestsGetAnAnswerAndTheServiceGoesOn) {
    struct Case {
        const char* szName;
        std::string bytes;
        int nStatus;
    };
    const std::vector<Case> kCases = {
        {"64 KiB request line", "GET /" + std::string(64 << 10, 'a') + " HTTP/1.1\r\n\r\n", 414},
        {"huge header", "GET / HTTP/1.1\r\nX: " + std::string(64 << 10, 'b') + "\r\n\r\n", 431},
        {"no version", "GET /\r\n\r\n", 400},
        {"binary noise", std::string("\x01\x02\xff\xfe garbage\r\n\r\n", 16), 400},
        {"other version", "GET / HTTP/2.0\r\n\r\n", 400},
        {"bad target", "GET * HTTP/1.1\r\n\r\n", 400},
        {"post", "POST /search HTTP/1.1\r\nContent-Length: 3\r\n\r\nabc", 405},
        {"absolute target", "GET http://x/small.com/index.html HTTP/1.0\r\n\r\n", 200},
    };
    for (const Case& c : kCases) {
        HttpResult result = SendRaw(Site(1), c.bytes);
        EXPECT_EQ(result.nStatus, c.nStatus) << c.szName;
        ExpectAlive();
    }
}

TEST_F(ServiceTest, RequestWithoutBlankLineEndsInATimeoutAnswerWhileOthersAreServed) {
    SOCKET s = Connect(Site(1));
    ASSERT_NE(s, INVALID_SOCKET);
    std::string partial = "GET /small.com/index.html HTTP/1.1\r\nHost: x\r\n";
    send(s, partial.data(), static_cast<int>(partial.size()), 0);
    ExpectAlive();
    HttpResult timedOut = ReadAnswer(s, kHeadTimeoutMs * 3);
    EXPECT_EQ(timedOut.nStatus, 408);
    closesocket(s);
    // The same, but the client gives up sending: the request is malformed.
    SOCKET half = Connect(Site(1));
    send(half, partial.data(), static_cast<int>(partial.size()), 0);
    shutdown(half, SD_SEND);
    EXPECT_EQ(ReadAnswer(half).nStatus, 400);
    closesocket(half);
}

TEST_F(ServiceTest, SilentClientsHoldUpNobody) {
    std::vector<SOCKET> silent;
    for (int i = 0; i < 20; ++i) silent.push_back(Connect(Site(i % 2)));
    for (int i = 0; i < 30; ++i) ExpectAlive();
    for (SOCKET s : silent) closesocket(s);
}

TEST_F(ServiceTest, ClientVanishingMidAnswerLeavesTheServiceServing) {
    const std::string kBig = "/big.com/index.html";
    for (int nRound = 0; nRound < 3; ++nRound) {
        SOCKET s = Connect(Site(0));
        ASSERT_NE(s, INVALID_SOCKET);
        std::string request = Request(kBig);
        send(s, request.data(), static_cast<int>(request.size()), 0);
        char buffer[1024];
        EXPECT_GT(recv(s, buffer, sizeof buffer, 0), 0);
        linger hard{1, 0};
        setsockopt(s, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
        closesocket(s);
        ExpectAlive();
    }
    // A whole big answer still arrives complete.
    HttpResult whole = Get(Site(0), kBig);
    EXPECT_TRUE(whole.bOk);
    EXPECT_EQ(whole.body.size(), (8u << 20) + 26);
}

TEST_F(ServiceTest, StopsWhileClientsAreConnected) {
    std::vector<SOCKET> open;
    for (int i = 0; i < 5; ++i) open.push_back(Connect(Site(1)));
    std::string partial = "GET /small.com/index.html HTTP/1.1\r\n";
    send(open[0], partial.data(), static_cast<int>(partial.size()), 0);
    ExpectAlive();
    m_simWeb.Stop();
    EXPECT_FALSE(m_simWeb.IsRunning());
    for (SOCKET s : open) closesocket(s);
}
