#include <gtest/gtest.h>

// The scripted server brings winsock2.h, which must come before windows.h.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include "base/run_fence.h"
#include "base/run_state.h"
#include "support/log_capture.h"
#include "support/wait_until.h"
#include "scripted_server_win.h"
#include "ui/status.h"
#include "web/page_loader_win.h"
#include "web/url_crack.h"

namespace {

// Test servers of this program: 127.0.10.N.
const char kHostA[] = "127.0.10.1";
const char kHostB[] = "127.0.10.2";
const char kHostC[] = "127.0.10.3";
// Behind the TLS front of this test program (tests/web/CMakeLists.txt):
// port 443 of each serves the certificate its name says, and passes the
// plain requests on to port 8443 of the same address.
const char kSecureGood[] = "127.0.10.11";
const char kSecureExpired[] = "127.0.10.12";
const char kSecureWrongName[] = "127.0.10.13";
const char kSecureSelfSigned[] = "127.0.10.14";
constexpr int kBehindFront = 8443;

std::mutex s_statusLock;
std::vector<std::string> s_statusTexts;

void RecordStatus(const char* szText, int) {
    std::lock_guard<std::mutex> guard(s_statusLock);
    s_statusTexts.push_back(szText);
}

bool StatusSeen(const std::string& prefix) {
    std::lock_guard<std::mutex> guard(s_statusLock);
    for (const std::string& text : s_statusTexts)
        if (text.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
}

class PageLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_Stopped = false;
        SetStatusRoutine(RecordStatus);
        std::lock_guard<std::mutex> guard(s_statusLock);
        s_statusTexts.clear();
    }
    void TearDown() override {
        g_Stopped = false;
        SetStatusRoutine(nullptr);
        CPageLoader().CloseSession();
    }
    CLogCapture m_log;
};

struct CrackCase {
    const char* szUrl;
    bool bResult;
    const char* szHost;
    const char* szPath;
    bool bSecure = false;
};

TEST(CrackURL, SplitsAsRequested) {
    const CrackCase cases[] = {
        {"", false, "", ""},
        {"http://host", true, "host", ""},
        {"http://host/", true, "host", ""},
        {"http://host//", true, "host", "//"},
        {"http://host:8080/a?b=c", true, "host:8080", "/a?b=c"},
        {"host/a/b", true, "host", "/a/b"},
        {"x/y?u=http://other/p", true, "other", "/p"},
        {"/a/b", false, "", "/a/b"},
        {"HTTP://Host/a", true, "HTTP:", "//Host/a"},
        {"https://host", true, "host", "", true},
        {"https://host/", true, "host", "", true},
        {"https://host:8443/a?b=c", true, "host:8443", "/a?b=c", true},
        {"x/y?u=https://other/p", true, "other", "/p", true},
        // The earlier of the two marks names the host.
        {"https://a/?u=http://b/p", true, "a", "/?u=http://b/p", true},
        {"http://a/?u=https://b/p", true, "a", "/?u=https://b/p"},
        {"HTTPS://Host/a", true, "HTTPS:", "//Host/a"},
    };
    for (const CrackCase& c : cases) {
        std::string host, path;
        EXPECT_EQ(CrackURL(c.szUrl, host, path), c.bResult) << c.szUrl;
        EXPECT_EQ(host, c.szHost) << c.szUrl;
        EXPECT_EQ(path, c.szPath) << c.szUrl;
        bool bSecure = !c.bSecure;
        CrackURL(c.szUrl, host, path, bSecure);
        EXPECT_EQ(bSecure, c.bSecure) << c.szUrl;
    }
}

TEST_F(PageLoaderTest, NullAndEmptyAddresses) {
    CPageLoader loader;
    EXPECT_EQ(loader.LoadPage(nullptr, 0), "");
    EXPECT_TRUE(g_bSessionOk) << "a null address is no failure";
    EXPECT_EQ(loader.LoadPage("", 0), "fail");
    EXPECT_FALSE(g_bSessionOk);
    EXPECT_EQ(m_log.Count("Invalid Link in CrackURL"), 1u);
    EXPECT_EQ(m_log.Count("CrackURL failed"), 1u);
}

struct RequestCase {
    std::string url;
    const char* szServer;  // which server must see the request
    const char* szTarget;
};

TEST_F(PageLoaderTest, RequestsTheAddressedHostAndPath) {
    simweb::CScriptedServer serverA(kHostA), serverB(kHostB);
    ASSERT_TRUE(serverA.Listen());
    ASSERT_TRUE(serverB.Listen());
    serverA.ServeBody("page A");
    serverB.ServeBody("page B");
    const std::vector<RequestCase> cases = {
        {std::string("http://") + kHostA, kHostA, "/"},
        {std::string("http://") + kHostA + "/", kHostA, "/"},
        {std::string(kHostA) + "/dir/page.html?x=1", kHostA, "/dir/page.html?x=1"},
        {std::string("/go?u=http://") + kHostB + "/target.html", kHostB, "/target.html"},
        {std::string("http://") + kHostA + "/with blank", kHostA, "/with%20blank"},
    };
    for (const RequestCase& c : cases) {
        CPageLoader loader;
        simweb::CScriptedServer& server = std::string(c.szServer) == kHostA ? serverA : serverB;
        std::size_t nBefore = server.RequestCount();
        EXPECT_EQ(loader.LoadPage(c.url.c_str(), 3), std::string("page ") + (&server == &serverA ? "A" : "B"))
            << c.url;
        ASSERT_EQ(server.RequestCount(), nBefore + 1) << c.url;
        EXPECT_EQ(server.Requests().back().target, c.szTarget) << c.url;
        EXPECT_EQ(server.Requests().back().method, "GET");
    }
    EXPECT_TRUE(StatusSeen(std::string("sending request to ") + kHostA));
    EXPECT_TRUE(StatusSeen(std::string("6 bytes received from ") + kHostA));
}

// A page goes to the scheme's port whatever its address says; a service's
// address (a SearXNG instance on port 8080, say) names its own.
TEST_F(PageLoaderTest, ExplicitPortStillGoesToPortEightyButAServiceToItsOwn) {
    simweb::CScriptedServer server(kHostA);
    ASSERT_TRUE(server.Listen());
    CPageLoader loader;
    std::string url = std::string("http://") + kHostA + ":8080/a";
    EXPECT_EQ(loader.LoadPage(url.c_str(), 0), "fail");
    EXPECT_EQ(server.RequestCount(), 0u);
    simweb::CScriptedServer service(kHostA, 8080);
    ASSERT_TRUE(service.Listen());
    service.ServeBody("instance");
    CPageAnswer answer = CPageLoader().LoadAnswer(url.c_str(), "", 0);
    EXPECT_EQ(answer.dwStatus, 200u);
    EXPECT_EQ(answer.body, "instance");
    EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(SplitHostPort, NamesThePortOnlyWhereOneIsWritten) {
    struct Case {
        const char* szHost;
        bool bPort;
        const char* szName;
        unsigned nPort;
    };
    const Case cases[] = {
        {"localhost:8080", true, "localhost", 8080},  {"127.0.0.5", false, "127.0.0.5", 0},
        {"host:", false, "host:", 0},                 {"host:65536", false, "host:65536", 0},
        {"host:0", false, "host:0", 0},               {"host:8o", false, "host:8o", 0},
        {"[::1]", false, "[::1]", 0},                 {"[::1]:8443", true, "[::1]", 8443},
        {"user@host:99999999999", false, "user@host:99999999999", 0},
    };
    for (const Case& c : cases) {
        std::string name;
        unsigned nPort = 0;
        EXPECT_EQ(SplitHostPort(c.szHost, name, nPort), c.bPort) << c.szHost;
        EXPECT_EQ(name, c.szName) << c.szHost;
        EXPECT_EQ(nPort, c.nPort) << c.szHost;
    }
}

struct BodyCase {
    std::string body;
    std::string expected;
};

TEST_F(PageLoaderTest, BodiesAsReceived) {
    simweb::CScriptedServer server(kHostA);
    ASSERT_TRUE(server.Listen());
    std::string longBody(10000, 'a');
    std::string zeroInSecondChunk = std::string(5000, 'b');
    zeroInSecondChunk[4500] = '\0';
    const std::vector<BodyCase> cases = {
        {"", ""},
        {std::string("abc\0def", 7), "abc"},
        {longBody, longBody},
        // The second 4,095-byte chunk loses what follows its zero byte.
        {zeroInSecondChunk, std::string(4500, 'b')},
    };
    for (const BodyCase& c : cases) {
        server.ServeBody(c.body);
        CPageLoader loader;
        std::string url = std::string("http://") + kHostA + "/";
        EXPECT_EQ(loader.LoadPage(url.c_str(), 0), c.expected) << c.body.size();
    }
}

// The two stops a load obeys: the stop flag, and the end of the run the
// loading thread works for (a worker "Force" left behind, whose run's
// stop flag the next run has cleared).
struct LoadStop {
    const char* szName;
    void (*stop)();
};
const LoadStop kLoadStops[] = {
    {"stop flag", [] { g_Stopped = true; }},
    {"run ended", [] { AdvanceRunSerial(); }},
};

// A load on a thread of the run in progress.
std::string LoadInRun(const std::string& url) {
    BindThreadToRun(g_nRunSerial);
    return CPageLoader().LoadPage(url.c_str(), 0);
}

TEST_F(PageLoaderTest, StopWhileReadingReturnsWhatArrived) {
    for (const LoadStop& stop : kLoadStops) {
        SCOPED_TRACE(stop.szName);
        g_Stopped = false;
        simweb::CScriptedServer server(kHostA);
        ASSERT_TRUE(server.Listen());
        server.SetMode(simweb::ScriptedMode::Trickle);
        std::string url = std::string("http://") + kHostA + "/slow";
        auto result = std::async(std::launch::async, [&] { return LoadInRun(url); });
        ASSERT_TRUE(server.WaitForRequests(1, 10000));
        // Wait for the body to start, then stop.
        ASSERT_TRUE(WaitUntil([] { return StatusSeen("1 bytes received") || StatusSeen("2 bytes received"); }, 10000));
        stop.stop();
        ASSERT_EQ(result.wait_for(std::chrono::seconds(20)), std::future_status::ready);
        std::string page = result.get();
        server.Release();
        EXPECT_FALSE(page.empty());
        EXPECT_NE(page, "fail");
        EXPECT_EQ(page.find_first_not_of('x'), std::string::npos);
    }
}

// Refused sends are tried again a second later, unless the load was stopped.
TEST_F(PageLoaderTest, StoppedLoadMakesNoFurtherSendAttempt) {
    for (const LoadStop& stop : kLoadStops) {
        SCOPED_TRACE(stop.szName);
        g_Stopped = false;
        const std::size_t nFrom = m_log.Count("Calling WinHttpSendRequest, Trial = ");
        std::string url = std::string("http://") + kHostC + "/";
        auto result = std::async(std::launch::async, [&] { return LoadInRun(url); });
        ASSERT_TRUE(m_log.WaitFor("WinHttpSendRequest Fail", m_log.Count("WinHttpSendRequest Fail") + 1, 30000));
        stop.stop();
        ASSERT_EQ(result.wait_for(std::chrono::seconds(30)), std::future_status::ready);
        EXPECT_EQ(result.get(), "fail");
        EXPECT_LE(m_log.Count("Calling WinHttpSendRequest, Trial = ") - nFrom, 2u) << "of five attempts";
    }
}

TEST_F(PageLoaderTest, FourFailedSendsThenSuccess) {
    simweb::CScriptedServer server(kHostC);
    server.ServeBody("finally");
    // Nothing listens yet: every send is refused until the fourth failure
    // has been logged; the fifth attempt comes a second after it.
    auto opener = std::async(std::launch::async, [&] {
        return m_log.WaitFor("WinHttpSendRequest Fail", 4, 30000) && server.Listen();
    });
    std::string url = std::string("http://") + kHostC + "/";
    std::string page = CPageLoader().LoadPage(url.c_str(), 0);
    ASSERT_TRUE(opener.get());
    EXPECT_EQ(page, "finally");
    EXPECT_EQ(m_log.Count("Calling WinHttpSendRequest, Trial = 5"), 1u);
    EXPECT_EQ(m_log.Count("Counter reached to 5"), 0u);
}

TEST_F(PageLoaderTest, FiveFailedSendsFail) {
    std::string url = std::string("http://") + kHostC + "/";
    CPageLoader loader;
    EXPECT_EQ(loader.LoadPage(url.c_str(), 0), "fail");
    EXPECT_EQ(m_log.Count("Calling WinHttpSendRequest, Trial = "), 5u);
    EXPECT_EQ(m_log.Count("WinHttpSendRequest Fail"), 4u);
    EXPECT_EQ(m_log.Count("Counter reached to 5"), 1u);
    EXPECT_FALSE(g_bSessionOk);
    // The next load on this loader starts from a new session.
    simweb::CScriptedServer server(kHostC);
    ASSERT_TRUE(server.Listen());
    EXPECT_NE(loader.LoadPage(url.c_str(), 0), "fail");
    EXPECT_EQ(m_log.Count("Last Winhttp Failure Found"), 1u);
}

// A service's answer: its status and its body whatever the status, or,
// when none came, the error of the step that failed and no body.
TEST_F(PageLoaderTest, ServiceAnswerKeepsItsStatusOrTheFailedStepsError) {
    simweb::CScriptedServer server(kHostA);
    ASSERT_TRUE(server.Listen());
    server.SetHandler([](const simweb::HttpRequestHead&) {
        simweb::HttpAnswer reply;
        reply.nStatus = 429;
        reply.contentType = "application/json";
        reply.body = "{\"error\":\"too many requests\"}";
        return reply;
    });
    CPageAnswer answer =
        CPageLoader().LoadAnswer((std::string("http://") + kHostA + "/search").c_str(), "Accept: application/json\r\n", 0);
    EXPECT_EQ(answer.dwStatus, 429u);
    EXPECT_EQ(answer.body, "{\"error\":\"too many requests\"}");
    // A test of the Sources dialog, outside every run, right after a run
    // that ended with its stop flag set: the whole answer, not its first chunk.
    server.SetHandler([](const simweb::HttpRequestHead&) {
        simweb::HttpAnswer reply;
        reply.body = std::string(20000, 'j');
        return reply;
    });
    g_Stopped = true;
    const std::string url = std::string("http://") + kHostA + "/search";
    CPageAnswer whole = std::async(std::launch::async, [&] {
                            BindThreadToRun(kOutsideRuns);
                            return CPageLoader().LoadAnswer(url.c_str(), "", 0);
                        }).get();
    EXPECT_EQ(whole.body.size(), 20000u);
    // Nothing listens on this one.
    CPageAnswer refused = CPageLoader().LoadAnswer((std::string("http://") + kHostC + "/").c_str(), "", 0);
    EXPECT_FALSE(refused.Answered());
    EXPECT_EQ(refused.dwError, static_cast<DWORD>(ERROR_WINHTTP_CANNOT_CONNECT));
    EXPECT_EQ(refused.body, "");
}

TEST_F(PageLoaderTest, FifteenthLoadRenewsTheSession) {
    simweb::CScriptedServer server(kHostA);
    ASSERT_TRUE(server.Listen());
    CPageLoader().CloseSession();
    CPageLoader loader;
    std::string url = std::string("http://") + kHostA + "/";
    for (int i = 1; i <= 14; ++i) ASSERT_EQ(loader.LoadPage(url.c_str(), 0), "<html><body>ok</body></html>");
    EXPECT_EQ(m_log.Count("Connection timeout: "), 1u) << "one session for the first fourteen loads";
    loader.LoadPage(url.c_str(), 0);
    EXPECT_EQ(m_log.Count("Connection timeout: "), 2u) << "the fifteenth load opened a new one";
    EXPECT_EQ(loader.LoadCount(), 15);
}

TEST_F(PageLoaderTest, EndlessBodyIsCutAtThirtyTwoMebibytes) {
    simweb::CScriptedServer server(kHostA);
    ASSERT_TRUE(server.Listen());
    server.SetMode(simweb::ScriptedMode::Endless);
    std::string url = std::string("http://") + kHostA + "/endless";
    std::string page = CPageLoader().LoadPage(url.c_str(), 0);
    server.Release();
    EXPECT_EQ(page.size(), kMaxPageBytes);
    EXPECT_EQ(page.find_first_not_of('e'), std::string::npos);
    EXPECT_EQ(m_log.Count("is larger than 32 MiB"), 1u);
}

TEST_F(PageLoaderTest, TricklingBodyIsCutAfterAMinute) {
    simweb::CScriptedServer server(kHostA);
    ASSERT_TRUE(server.Listen());
    server.SetMode(simweb::ScriptedMode::Trickle);
    std::string url = std::string("http://") + kHostA + "/trickle";
    std::string page = CPageLoader().LoadPage(url.c_str(), 0);
    server.Release();
    EXPECT_FALSE(page.empty());
    EXPECT_EQ(page.find_first_not_of('x'), std::string::npos) << "the bytes that came, as they came";
    EXPECT_FALSE(g_Stopped) << "cut without a stop";
    EXPECT_EQ(m_log.Count("is still coming after 60 s"), 1u);
}

TEST_F(PageLoaderTest, ServerThatNeverAnswersFailsAfterTheReceiveTimeout) {
    simweb::CScriptedServer server(kHostB);
    ASSERT_TRUE(server.Listen());
    server.SetMode(simweb::ScriptedMode::Hang);
    std::string url = std::string("http://") + kHostB + "/silent";
    std::string page = CPageLoader().LoadPage(url.c_str(), 0);
    server.Release();
    EXPECT_EQ(page, "fail");
    EXPECT_EQ(server.RequestCount(), 1u);
    EXPECT_EQ(m_log.Count("WinHttpReceiveResponse Fail"), 1u);
    EXPECT_FALSE(g_bSessionOk);
}

struct SecureCase {
    const char* szHost;
    const char* szFailure;  // null: the page loads
};

TEST_F(PageLoaderTest, SecurePagesLoadOnlyBehindAGoodCertificate) {
    const SecureCase cases[] = {
        {kSecureGood, nullptr},
        {kSecureExpired, "ERROR_WINHTTP_SECURE_"},
        {kSecureWrongName, "ERROR_WINHTTP_SECURE_"},
        {kSecureSelfSigned, "ERROR_WINHTTP_SECURE_"},
    };
    for (const SecureCase& c : cases) {
        simweb::CScriptedServer server(c.szHost, kBehindFront);
        ASSERT_TRUE(server.Listen()) << c.szHost;
        server.ServeBody(std::string("secure page of ") + c.szHost);
        const std::string url = std::string("https://") + c.szHost + "/dir/page.html?x=1";
        const std::string line = "Certificate refused for " + url + ": ";
        std::string body = CPageLoader().LoadPage(url.c_str(), 2);
        if (!c.szFailure) {
            EXPECT_EQ(body, std::string("secure page of ") + c.szHost);
            ASSERT_EQ(server.RequestCount(), 1u);
            EXPECT_EQ(server.Requests()[0].target, "/dir/page.html?x=1");
            EXPECT_EQ(m_log.Count(line), 0u);
            continue;
        }
        EXPECT_EQ(body, "fail") << c.szHost;
        EXPECT_FALSE(g_bSessionOk) << c.szHost;
        EXPECT_EQ(server.RequestCount(), 0u) << "no request passes a refused certificate: " << c.szHost;
        EXPECT_EQ(m_log.Count(line + c.szFailure), 1u) << m_log.Text();
    }
}

TEST_F(PageLoaderTest, PlainAddressRedirectedToSecureLoadsTheSecurePage) {
    simweb::CScriptedServer plain(kSecureGood), secure(kSecureGood, kBehindFront);
    ASSERT_TRUE(plain.Listen());
    ASSERT_TRUE(secure.Listen());
    plain.SetHandler([](const simweb::HttpRequestHead& request) {
        simweb::HttpAnswer reply;
        reply.nStatus = 301;
        reply.location = std::string("https://") + kSecureGood + request.target;
        reply.body = "moved";
        return reply;
    });
    secure.ServeBody("the secure page");
    const std::string url = std::string("http://") + kSecureGood + "/moved.html";
    EXPECT_EQ(CPageLoader().LoadPage(url.c_str(), 0), "the secure page");
    ASSERT_EQ(secure.RequestCount(), 1u);
    EXPECT_EQ(secure.Requests()[0].target, "/moved.html");
}

}  // namespace
