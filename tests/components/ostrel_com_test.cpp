// Ostrel against a WhoIs service played by the test on the WhoIs host:
// what it asks, and what it makes of the answer.
#include "scripted_server_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "component_test_util_win.h"
#include "ostrel_h.h"

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

}  // namespace
