// Ostrel against a WhoIs service played by the test on the WhoIs host:
// what it asks, and what it makes of the answer; and the same through RDAP,
// with a bootstrap file, a thin registry and a registrar played by the test.
#include "scripted_server_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "component_test_util_win.h"
#include "ostrel_h.h"
#include "source_registry.h"
#include "support/options_sandbox.h"

namespace {

const char kPath[] = "/cgi-bin/checkdomain.pl?domain=";

class OstrelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Listen()) << "cannot listen on " << PELLMARK_WHOIS_HOST;
        ASSERT_EQ(CoCreateInstance(CLSID_COstrel, nullptr, CLSCTX_INPROC_SERVER, IID_ICOstrel, m_ostrel.ReceiveVoid()),
                  S_OK);
    }
    // The answer of one method; bNull tells a null BSTR from an empty one.
    std::string Call(HRESULT (STDMETHODCALLTYPE ICOstrel::*lpMethod)(BSTR, BSTR*), BSTR bstrDomain, bool& bNull) {
        CBstr answer;
        EXPECT_EQ((m_ostrel.Get()->*lpMethod)(bstrDomain, answer.Receive()), S_OK);
        bNull = answer.IsNull();
        return BstrToAnsi(answer.Get());
    }

    CComScope m_com;
    COptionsSandbox m_sandbox;  // no sources key: the classic lookup page
    simweb::CScriptedServer m_server{PELLMARK_WHOIS_HOST};
    CComRef<ICOstrel> m_ostrel;
};

struct WhoIsCase {
    const char* szDomain;
    const char* szPage;
    const char* szEmails;  // GetEMails
    const char* szEmail;   // GetEMail; null for a null BSTR
};

TEST_F(OstrelTest, AnswersFromTheServicePage) {
    const WhoIsCase kCases[] = {
        {"example.com", "<pre>Registrant: owner@example.com\nTech: tech@isp.net\n</pre>",
         "owner@example.com,tech@isp.net,", "owner@example.com"},
        {"twice.org", "a@twice.org a@twice.org", "a@twice.org,a@twice.org,", "a@twice.org"},
        {"none.org", "<html>No match for domain</html>", "", nullptr},
        {"www.host.co.uk", "admin@host.co.uk.", "admin@host.co.uk,", "admin@host.co.uk"},
    };
    for (const WhoIsCase& c : kCases) {
        m_server.ServeBody(c.szPage);
        CBstr domain = MakeBstr(c.szDomain);
        bool bNull = false;
        EXPECT_EQ(Call(&ICOstrel::GetEMails, domain.Get(), bNull), c.szEmails) << c.szDomain;
        EXPECT_FALSE(bNull) << c.szDomain;
        const std::string szEmail = Call(&ICOstrel::GetEMail, domain.Get(), bNull);
        EXPECT_EQ(bNull, c.szEmail == nullptr) << c.szDomain;
        if (c.szEmail) {
            EXPECT_EQ(szEmail, c.szEmail);
        }
    }
    ASSERT_EQ(m_server.RequestCount(), 2 * (sizeof kCases / sizeof kCases[0]));
    const simweb::HttpRequestHead request = m_server.Requests().front();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, std::string(kPath) + "example.com");
    EXPECT_EQ(request.host, PELLMARK_WHOIS_HOST);
}

TEST_F(OstrelTest, DomainIsSentUnescaped) {
    CBstr domain = MakeBstr("a&b=c.com");
    bool bNull = false;
    Call(&ICOstrel::GetEMails, domain.Get(), bNull);
    ASSERT_EQ(m_server.RequestCount(), 1u);
    EXPECT_EQ(m_server.Requests().front().target, std::string(kPath) + "a&b=c.com");
}

TEST_F(OstrelTest, MissingEmptyOrOverlongDomainMakesNoRequest) {
    bool bNull = false;
    EXPECT_EQ(Call(&ICOstrel::GetEMails, nullptr, bNull), "");
    EXPECT_TRUE(bNull);
    CBstr empty = MakeBstr("");
    Call(&ICOstrel::GetEMails, empty.Get(), bNull);
    EXPECT_TRUE(bNull);
    Call(&ICOstrel::GetEMail, empty.Get(), bNull);
    EXPECT_TRUE(bNull);
    // The address would not fit its 512 bytes: refused, nothing cut.
    CBstr overlong = MakeBstr(std::string(500, 'x') + ".com");
    Call(&ICOstrel::GetEMails, overlong.Get(), bNull);
    EXPECT_FALSE(bNull);
    Call(&ICOstrel::GetEMail, overlong.Get(), bNull);
    EXPECT_TRUE(bNull);
    EXPECT_EQ(m_server.RequestCount(), 0u);
}

TEST_F(OstrelTest, NoServiceGivesNothing) {
    m_server.StopListening();
    CBstr domain = MakeBstr("example.com");
    bool bNull = false;
    EXPECT_EQ(Call(&ICOstrel::GetEMails, domain.Get(), bNull), "");
    EXPECT_FALSE(bNull);
    Call(&ICOstrel::GetEMail, domain.Get(), bNull);
    EXPECT_TRUE(bNull);
}

TEST_F(OstrelTest, PageIsATextUpToItsFirstNul) {
    m_server.ServeBody(std::string("first@a.com\0second@b.com", 25));
    CBstr domain = MakeBstr("example.com");
    bool bNull = false;
    EXPECT_EQ(Call(&ICOstrel::GetEMails, domain.Get(), bNull), "first@a.com,");
}

TEST_F(OstrelTest, ErrorPagesAreSearchedToo) {
    m_server.SetHandler([](const simweb::HttpRequestHead&) {
        simweb::HttpAnswer reply;
        reply.nStatus = 500;
        reply.body = "<h1>Internal error</h1> contact hostmaster@service.net";
        return reply;
    });
    CBstr domain = MakeBstr("example.com");
    bool bNull = false;
    EXPECT_EQ(Call(&ICOstrel::GetEMails, domain.Get(), bNull), "hostmaster@service.net,");
}

// RDAP from one address that plays IANA's bootstrap file, a thin registry
// for "example" and "xn--bcher-kva.example" names (404 for the rest) and
// the registrar its answers point to.
const char kRdapHost[] = "127.0.66.1";

std::string RdapDomain(const std::string& entities, const std::string& links = "") {
    return R"({"objectClassName": "domain", "links": [)" + links + R"(], "entities": [)" + entities + "]}";
}
std::string RdapContact(const char* szRole, const char* szEmail) {
    return std::string(R"({"roles": [")") + szRole + R"("], "vcardArray": ["vcard", [["version", {}, "text", "4.0"], ["email", {}, "text", ")" +
           szEmail + R"("]]]})";
}

simweb::HttpAnswer RdapAnswer(const simweb::HttpRequestHead& request, int& nLimited) {
    simweb::HttpAnswer reply;
    reply.contentType = "application/rdap+json";
    const std::string& target = request.target;
    if (target == "/dns.json") {
        reply.body = std::string(R"({"version": "1.0", "services": [[["net"], ["http://127.0.66.9/"]], [["example"], ["http://)") +
                     kRdapHost + R"(/registry/"]]]})";
    } else if (target == "/registry/domain/example.example" || target == "/registry/domain/xn--bcher-kva.example") {
        reply.body = RdapDomain(R"({"roles": ["registrar"], "vcardArray": ["vcard", [["email", {}, "text", "rdap@registrar.example"]]]})",
                                std::string(R"({"rel": "related", "type": "application/rdap+json", "href": "http://)") + kRdapHost +
                                    "/registrar" + target.substr(9) + "\"}");
    } else if (target == "/registrar/domain/example.example") {
        reply.body = RdapDomain(std::string(RdapContact("technical", "noc@example.example")) + "," +
                                RdapContact("registrant", "REDACTED FOR PRIVACY") + "," +
                                RdapContact("administrative", "Owner <owner@example.example>"));
    } else if (target == "/registrar/domain/xn--bcher-kva.example") {
        if (nLimited-- > 0) {
            reply.nStatus = 429;  // no Retry-After: asked again after a second
            return reply;
        }
        reply.body = RdapDomain(RdapContact("registrant", "info@xn--bcher-kva.example"));
    } else if (target == "/registry/domain/slow.example") {
        reply.nStatus = 429;  // a pause longer than a lookup may wait
        reply.retryAfter = "3600";
    } else {
        reply.nStatus = 404;
        reply.body = R"({"errorCode": 404, "title": "Not Found"})";
    }
    return reply;
}

class OstrelRdapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_server.Listen()) << "cannot listen on " << kRdapHost;
        m_server.SetHandler([this](const simweb::HttpRequestHead& request) { return RdapAnswer(request, m_nLimited); });
        m_sandbox.CreateEmpty();
        CRegKey key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSourcesKey, 0, nullptr, 0, KEY_WRITE, nullptr, key.Receive(), nullptr),
                  ERROR_SUCCESS);
        const DWORD dwRdap = 1;
        const std::string bootstrap = std::string("http://") + kRdapHost + "/dns.json";
        RegSetValueExA(key.Get(), kWhoIsSourceValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwRdap), sizeof dwRdap);
        RegSetValueExA(key.Get(), kRdapBootstrapValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(bootstrap.c_str()),
                       static_cast<DWORD>(bootstrap.size() + 1));
        ASSERT_EQ(CoCreateInstance(CLSID_COstrel, nullptr, CLSCTX_INPROC_SERVER, IID_ICOstrel, m_ostrel.ReceiveVoid()), S_OK);
    }
    std::string EMails(const wchar_t* szHost) {
        CBstr host(SysAllocString(szHost));
        CBstr answer;
        EXPECT_EQ(m_ostrel->GetEMails(host.Get(), answer.Receive()), S_OK);
        return BstrToAnsi(answer.Get());
    }
    std::vector<std::string> Targets() const {
        std::vector<std::string> targets;
        for (const simweb::HttpRequestHead& request : m_server.Requests()) targets.push_back(request.target);
        return targets;
    }

    CComScope m_com;
    COptionsSandbox m_sandbox;
    simweb::CScriptedServer m_server{kRdapHost};
    CComRef<ICOstrel> m_ostrel;
    int m_nLimited = 1;
};

// A host is asked for as itself, then without its first label; the thin
// registry's link is followed once; only the owner's contacts count, in
// role order, each through the e-mail expression; the bootstrap file is
// fetched once for the process; a name outside ASCII goes as its A-label;
// a short pause asked for is waited, a long one is not.
TEST_F(OstrelRdapTest, ContactsOfTheRegisteredDomain) {
    EXPECT_EQ(EMails(L"www.Example.example"), "owner@example.example,noc@example.example,");
    EXPECT_EQ(EMails(L"example.example"), "owner@example.example,noc@example.example,");
    EXPECT_EQ(EMails(L"b\u00fccher.example"), "info@xn--bcher-kva.example,");
    EXPECT_EQ(EMails(L"127.0.66.1"), "");
    EXPECT_EQ(EMails(L"unknown.example"), "");
    EXPECT_EQ(EMails(L"slow.example"), "");
    const std::vector<std::string> expected = {
        "/dns.json", "/registry/domain/www.example.example", "/registry/domain/example.example",
        "/registrar/domain/example.example", "/registry/domain/example.example", "/registrar/domain/example.example",
        "/registry/domain/xn--bcher-kva.example", "/registrar/domain/xn--bcher-kva.example",
        "/registrar/domain/xn--bcher-kva.example", "/registry/domain/unknown.example", "/registry/domain/slow.example"};
    EXPECT_EQ(Targets(), expected);
    for (const simweb::HttpRequestHead& request : m_server.Requests()) {
        const char* szAccept = request.target == "/dns.json" ? "application/json" : "application/rdap+json";
        EXPECT_EQ(request.fields.at("accept"), szAccept) << request.target;
    }
    CBstr host(SysAllocString(L"example.example"));
    CBstr first;
    EXPECT_EQ(m_ostrel->GetEMail(host.Get(), first.Receive()), S_OK);
    EXPECT_EQ(BstrToAnsi(first.Get()), "owner@example.example");
}

}  // namespace
