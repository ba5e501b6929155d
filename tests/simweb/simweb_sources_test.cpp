// Today's sources as the program reaches them: over https through the TLS
// front with the build tree's certificates, with their request headers,
// each on an address of its own, counted per source in the request log,
// and switched to fail while they serve; and RDAP followed from the
// bootstrap file to the registry and on to the registrar.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <iterator>
#include <sstream>

#include <nlohmann/json.hpp>

// After WinHTTP, for its handle owner.
#include "platform_owners_win.h"
#include "simweb_service_win.h"

using namespace simweb;

namespace {

using Json = nlohmann::json;

struct Fetched {
    DWORD dwStatus = 0;  // 0: no answer
    std::string body;
    std::string contentType;
    std::string retryAfter;
};

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// A header of the answer (ASCII), empty when it has none.
std::string AnswerHeader(HINTERNET hRequest, DWORD dwInfo) {
    wchar_t szValue[256];
    DWORD dwSize = sizeof szValue;
    if (!WinHttpQueryHeaders(hRequest, dwInfo, WINHTTP_HEADER_NAME_BY_INDEX, szValue, &dwSize, WINHTTP_NO_HEADER_INDEX))
        return std::string();
    std::string value;
    for (DWORD i = 0; i < dwSize / sizeof(wchar_t); ++i) value += static_cast<char>(szValue[i]);
    return value;
}

// One https GET with the given header lines, the certificate checked as
// the program's loader has it checked. On a connection of its own: WinHTTP
// keeps connections for the whole process, and one kept from a local web
// that has stopped since would fail the next test's first request.
Fetched FetchHttps(const std::string& host, const std::string& target, const std::string& headers) {
    Fetched fetched;
    CWinHttpHandle session(
        WinHttpOpen(L"simweb test", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    CWinHttpHandle connect(session ? WinHttpConnect(session.Get(), Wide(host).c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0)
                                   : nullptr);
    CWinHttpHandle request(connect ? WinHttpOpenRequest(connect.Get(), L"GET", Wide(target).c_str(), nullptr,
                                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                        WINHTTP_FLAG_SECURE)
                                   : nullptr);
    std::wstring wHeaders = Wide(headers);
    DWORD dwSize = sizeof fetched.dwStatus, dwNoKeepAlive = WINHTTP_DISABLE_KEEP_ALIVE;
    if (!request ||
        !WinHttpSetOption(request.Get(), WINHTTP_OPTION_DISABLE_FEATURE, &dwNoKeepAlive, sizeof dwNoKeepAlive) ||
        !WinHttpSendRequest(request.Get(), wHeaders.c_str(), static_cast<DWORD>(wHeaders.size()), WINHTTP_NO_REQUEST_DATA,
                            0, 0, 0) ||
        !WinHttpReceiveResponse(request.Get(), nullptr) ||
        !WinHttpQueryHeaders(request.Get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &fetched.dwStatus, &dwSize, WINHTTP_NO_HEADER_INDEX))
        return Fetched();
    fetched.contentType = AnswerHeader(request.Get(), WINHTTP_QUERY_CONTENT_TYPE);
    fetched.retryAfter = AnswerHeader(request.Get(), WINHTTP_QUERY_RETRY_AFTER);
    char buffer[8192];
    DWORD dwRead = 0;
    while (WinHttpReadData(request.Get(), buffer, sizeof buffer, &dwRead) && dwRead > 0) fetched.body.append(buffer, dwRead);
    return fetched;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    return std::vector<std::string>(std::istream_iterator<std::string>(stream), std::istream_iterator<std::string>());
}

class SourcesOverHttps : public ::testing::Test {
protected:
    void SetUp() override {
        SimWebOptions options;
        options.engineHost = options.whoisHost = "127.0.25.1";
        options.siteBase = "127.0.25.10";
        options.generate = GenerateSpec{3, 6, 5};
        options.Source(SourceKind::SearXng).host = "127.0.25.2";
        options.Source(SourceKind::Brave).host = "127.0.25.3";
        options.Source(SourceKind::OpenPageRank).host = "127.0.25.4";
        options.Source(SourceKind::Brave).key = "token-of-the-test";
        options.Source(SourceKind::OpenPageRank).key = "key-of-the-test";
        options.rdap.bootstrap = "127.0.25.5";
        options.rdap.registry = "127.0.25.6";
        options.rdap.registrars = {"127.0.25.7", "127.0.25.8"};
        std::string error;
        ASSERT_TRUE(m_web.Start(options, error)) << error;
        ASSERT_EQ(TlsFrontEntries(options, m_web.Corpus()), Words(SIMWEB_SOURCES_TLS_FRONTS))
            << "the TLS front serves exactly these sources and RDAP servers";
    }
    std::size_t RequestsTo(const std::string& host) const {
        std::vector<RequestLogEntry> log = m_web.Requests();
        return static_cast<std::size_t>(
            std::count_if(log.begin(), log.end(), [&](const RequestLogEntry& entry) { return entry.host == host; }));
    }
    Fetched Brave() const {
        return FetchHttps("127.0.25.3", "/res/v1/web/search?q=the&count=20&offset=0",
                          "X-Subscription-Token: token-of-the-test\r\nAccept: application/json\r\n");
    }

    // The first site of that style.
    int SiteOf(RdapStyle style) const {
        for (std::size_t s = 0; s < m_web.Corpus().SiteCount(); ++s)
            if (RdapStyleOf(m_web.Corpus(), static_cast<int>(s)) == style) return static_cast<int>(s);
        return -1;
    }

    CSimWeb m_web;
};

// "https://HOST/PATH" split as a client connects: false for another form.
bool SplitHttpsUrl(const std::string& url, std::string& host, std::string& path) {
    const std::string kScheme = "https://";
    std::size_t slash = url.find('/', kScheme.size());
    if (url.compare(0, kScheme.size(), kScheme) != 0 || slash == std::string::npos) return false;
    host = url.substr(kScheme.size(), slash - kScheme.size());
    path = url.substr(slash);
    return true;
}

// The base URL the bootstrap file gives a top-level domain; empty when none.
std::string BootstrapBase(const Json& file, const char* szTld) {
    for (const Json& service : file["services"])
        for (const Json& tld : service[0])
            if (tld == szTld) return service[1][0].get<std::string>();
    return std::string();
}

// Where a registry's domain answer sends the client for the registrar's.
std::string RelatedUrl(const Json& domain) {
    for (const Json& link : domain["links"])
        if (link["rel"] == "related" && link["type"] == "application/rdap+json") return link["href"].get<std::string>();
    return std::string();
}

}  // namespace

TEST_F(SourcesOverHttps, EachSourceAnswersOnItsOwnAddressAndIsCountedThere) {
    const std::vector<int> expected = m_web.Corpus().Search("the");
    ASSERT_GT(expected.size(), 10u);
    Fetched searxng = FetchHttps("127.0.25.2", "/search?q=the&format=json&pageno=2", "");
    ASSERT_EQ(searxng.dwStatus, 200u) << "no https answer from the SearXNG address";
    Json page = Json::parse(searxng.body);
    ASSERT_FALSE(page["results"].empty());
    EXPECT_EQ(page["results"][0]["url"], m_web.Corpus().Page(expected[10]).address);

    Fetched brave = Brave();
    ASSERT_EQ(brave.dwStatus, 200u) << brave.body;
    EXPECT_EQ(Json::parse(brave.body)["web"]["results"][0]["url"], m_web.Corpus().Page(expected[0]).address);

    const SimSite& site = m_web.Corpus().Site(2);
    Fetched ranks =
        FetchHttps("127.0.25.4", "/api/v1.0/getPageRank?domains%5B%5D=" + site.host, "API-OPR: key-of-the-test\r\n");
    ASSERT_EQ(ranks.dwStatus, 200u) << ranks.body;
    EXPECT_EQ(Json::parse(ranks.body)["response"][0]["page_rank_integer"], m_web.Corpus().Rank(site.home));

    ASSERT_TRUE(m_web.WaitForRequests(3, 10000));
    for (const char* szHost : {"127.0.25.2", "127.0.25.3", "127.0.25.4"}) EXPECT_EQ(RequestsTo(szHost), 1u) << szHost;
    EXPECT_EQ(FetchHttps("127.0.25.4", "/api/v1.0/getPageRank?domains[]=" + site.host, "").dwStatus, 401u)
        << "no key";
}

TEST_F(SourcesOverHttps, FailuresSwitchedWhileServingTakeEffectAtOnce) {
    ASSERT_EQ(Brave().dwStatus, 200u);
    SourceFaults quota;
    quota.bQuotaUsed = true;
    m_web.SetSourceFaults(SourceKind::Brave, quota);
    Fetched refused = Brave();
    EXPECT_EQ(refused.dwStatus, 429u);
    EXPECT_EQ(Json::parse(refused.body)["error"]["code"], "QUOTA_LIMITED");
    SourceFaults once;
    once.bRateLimitOnce = true;
    m_web.SetSourceFaults(SourceKind::Brave, once);
    EXPECT_EQ(Json::parse(Brave().body)["error"]["code"], "RATE_LIMITED");
    EXPECT_EQ(Brave().dwStatus, 200u);
    ASSERT_TRUE(m_web.WaitForRequests(4, 10000));
    EXPECT_EQ(RequestsTo("127.0.25.3"), 4u);
}

TEST_F(SourcesOverHttps, RdapLeadsFromTheBootstrapFileToTheRegistryAndOnToTheRegistrar) {
    Fetched bootstrap = FetchHttps("127.0.25.5", "/dns.json", "Accept: application/json\r\n");
    ASSERT_EQ(bootstrap.dwStatus, 200u) << "no https answer from the bootstrap address";
    EXPECT_EQ(bootstrap.contentType, "application/json");
    std::string registry, base;
    ASSERT_TRUE(SplitHttpsUrl(BootstrapBase(Json::parse(bootstrap.body), "com"), registry, base)) << bootstrap.body;
    const RdapStyle kStyles[] = {RdapStyle::Plain, RdapStyle::RateLimitedOnce};
    for (RdapStyle style : kStyles) {
        const int site = SiteOf(style);
        ASSERT_GE(site, 0) << RdapStyleName(style);
        const std::string name = m_web.Corpus().Site(site).name;
        Fetched thin = FetchHttps(registry, base + "domain/" + name, "Accept: application/rdap+json\r\n");
        ASSERT_EQ(thin.dwStatus, 200u) << thin.body;
        EXPECT_EQ(thin.contentType, "application/rdap+json");
        std::string registrar, path;
        ASSERT_TRUE(SplitHttpsUrl(RelatedUrl(Json::parse(thin.body)), registrar, path)) << thin.body;
        EXPECT_EQ(registrar, RdapRegistrarOf(site, 2) == 0 ? "127.0.25.7" : "127.0.25.8");
        if (style == RdapStyle::RateLimitedOnce) {
            Fetched refused = FetchHttps(registrar, path, "");
            EXPECT_EQ(refused.dwStatus, 429u);
            EXPECT_EQ(refused.retryAfter, "1");
            EXPECT_EQ(Json::parse(refused.body)["errorCode"], 429);
        }
        Fetched full = FetchHttps(registrar, path, "Accept: application/rdap+json\r\n");
        ASSERT_EQ(full.dwStatus, 200u) << full.body;
        EXPECT_NE(full.body.find("\"registrant@" + name + "\""), std::string::npos) << full.body;
    }
    ASSERT_TRUE(m_web.WaitForRequests(6, 10000));
    EXPECT_EQ(RequestsTo("127.0.25.5"), 1u);
    EXPECT_EQ(RequestsTo("127.0.25.6"), 2u);
    EXPECT_EQ(RequestsTo("127.0.25.7") + RequestsTo("127.0.25.8"), 3u);
}
