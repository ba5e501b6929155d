// CKestrine through the registered components: what each check answers,
// what it files in the mailing list, and how it fails when no component
// can be created.
#include "scripted_server_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "base/diagnostic_log.h"
#include "clients/kestrine_client_win.h"
#include "clients/script_removal.h"
#include "report/mailing_list.h"
#include "support/options_sandbox.h"
#include "support/temp_folder.h"

namespace {

class CComScope {
public:
    CComScope() : m_hr(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope() {
        if (SUCCEEDED(m_hr)) CoUninitialize();
    }

private:
    HRESULT m_hr;
};

class KestrineClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_MailSender.ClearAll();
        g_MailSender.SetAddressFilePath(m_folder.File("EmailAdd.txt").c_str());
    }
    void TearDown() override { g_MailSender.ClearAll(); }
    // The address file as the mailing list writes it, lines ending "\r\r\n".
    std::string AddressFile() {
        g_MailSender.WriteAddressFile();
        return ReadWholeFile(m_folder.File("EmailAdd.txt"));
    }
    std::string EmailOf(const char* szPage, const char* szAddress) {
        std::unique_ptr<char[]> szEmail(CKestrine().GetEmailAddress(szPage, szAddress));
        return szEmail ? std::string(szEmail.get()) : std::string("<none>");
    }

    CComScope m_com;
    CTempFolder m_folder;
};

TEST_F(KestrineClientTest, EmailAddressAnswers) {
    const struct {
        const char* szPage;
        const char* szExpected;
        const char* szFile;
    } kCases[] = {
        {"<p>mail info@site.com</p>", "info@site.com", "[http://site.com/]\r\r\ninfo@site.com\r\r\n"},
        {"<p>a@site.com or a@site.com</p>", "Multiple", "[http://site.com/]\r\r\na@site.com\r\r\n"},
        {"<p>a@site.com, b@site.org</p>", "Multiple", "[http://site.com/]\r\r\na@site.com\r\r\nb@site.org\r\r\n"},
        {"<p>no address here</p>", "<none>", ""},
    };
    for (const auto& c : kCases) {
        g_MailSender.ClearAll();
        EXPECT_EQ(EmailOf(c.szPage, "http://site.com/"), c.szExpected) << c.szPage;
        EXPECT_EQ(AddressFile(), c.szFile) << c.szPage;
    }
    EXPECT_EQ(EmailOf(nullptr, "http://site.com/"), "<none>");
}

TEST_F(KestrineClientTest, OverlongAddressIsCutToItsText) {
    const std::string szLocal(300, 'x');
    const std::string szPage = "<p>" + szLocal + "@site.com</p>";
    const std::string szEmail = EmailOf(szPage.c_str(), "http://site.com/");
    EXPECT_EQ(szEmail, szLocal.substr(0, 255));
}

TEST_F(KestrineClientTest, ContactPageAnswers) {
    const std::string szLong = "/" + std::string(2100, 'c') + ".htm";
    const std::string szLongPage = "<a href=\"" + szLong + "\">Contact</a>";
    const struct {
        std::string szPage;
        const char* szExpected;
    } kCases[] = {
        {"<a href=\"contact.htm\">Contact Us</a>", "http://site.com/dir/contact.htm"},
        {"<a href=\"../about.htm\">About</a>", "http://site.com/about.htm"},
        {"<a href=\"http://other.com/c.htm\">contact</a>", "http://other.com/c.htm"},
        {"<a href=\"/go?to=http://other.com\">feedback</a>", "/go?to=http://other.com"},
        {"<a href=\"/home\">Home</a>", ""},
        {"<script>document.write('<a href=\"/s\">contact</a>');</script><p>x</p>", ""},
        {szLongPage, ""},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(CKestrine().FindContactPage(c.szPage.c_str(), "http://site.com/dir/page.htm"), c.szExpected)
            << c.szPage;
    EXPECT_EQ(CKestrine().FindContactPage(nullptr, "http://site.com/"), "");
    EXPECT_EQ(CKestrine().FindContactPage("<a href=\"/c\">contact</a>", nullptr), "");
}

TEST_F(KestrineClientTest, KeywordAnswers) {
    CKestrine client;
    EXPECT_TRUE(client.FoundKeywords("<p>cheap flights</p>", "hotels\r\nflights"));
    EXPECT_FALSE(client.FoundKeywords("<p>cheap flights</p>", "hotels"));
    EXPECT_FALSE(client.FindKeywords("<p>cheap flights</p>", "\r\n"));
    EXPECT_FALSE(client.FindKeywords(nullptr, "flights"));
    EXPECT_FALSE(client.FindKeywords("<p>cheap flights</p>", nullptr));
}

class WhoIsClientTest : public KestrineClientTest {
protected:
    void SetUp() override {
        KestrineClientTest::SetUp();
        ASSERT_TRUE(m_server.Listen()) << "cannot listen on " << PELLMARK_WHOIS_HOST;
        // The service knows one domain.
        m_server.SetHandler([](const simweb::HttpRequestHead& request) {
            simweb::HttpAnswer reply;
            reply.body = request.target == "/cgi-bin/checkdomain.pl?domain=www.site.com"
                             ? "<pre>owner@site.com\nadmin@site.com</pre>"
                             : "<p>No match</p>";
            return reply;
        });
    }
    COptionsSandbox m_sandbox;  // no sources key: the classic WhoIs lookup page
    simweb::CScriptedServer m_server{PELLMARK_WHOIS_HOST};
};

TEST_F(WhoIsClientTest, FilesEveryAddressAndAnswersTheFirst) {
    CKestrine client;
    const char* szWhoIs = client.GetWhoIs("http://www.site.com/dir/page.htm");
    ASSERT_NE(szWhoIs, nullptr);
    EXPECT_STREQ(szWhoIs, "owner@site.com");
    ASSERT_EQ(m_server.RequestCount(), 1u);
    EXPECT_EQ(m_server.Requests().front().target, "/cgi-bin/checkdomain.pl?domain=www.site.com");
    EXPECT_TRUE(g_MailSender.HasEntry("http://www.site.com", true));
    EXPECT_EQ(AddressFile(), "[WhoIs][http://www.site.com]\r\r\nowner@site.com\r\r\nadmin@site.com\r\r\n");
}

TEST_F(WhoIsClientTest, NothingFoundFilesNothing) {
    EXPECT_EQ(CKestrine().GetWhoIs("http://unknown.org/"), nullptr);
    // Without "http://" the text up to its first "/" is sent as it is.
    EXPECT_EQ(CKestrine().GetWhoIs("ftp://www.site.com/file"), nullptr);
    EXPECT_EQ(CKestrine().GetWhoIs(nullptr), nullptr);
    ASSERT_EQ(m_server.RequestCount(), 2u);
    EXPECT_EQ(m_server.Requests()[0].target, "/cgi-bin/checkdomain.pl?domain=unknown.org");
    EXPECT_EQ(m_server.Requests()[1].target, "/cgi-bin/checkdomain.pl?domain=ftp:");
    EXPECT_FALSE(g_MailSender.HasEntry("http://unknown.org", true));
}

// Creating a component fails on a thread without COM exactly as it does
// when the component is not registered: every check answers quietly.
TEST_F(KestrineClientTest, ChecksFailQuietlyWhenNoComponentCanBeCreated) {
    const std::string szLogBase = m_folder.File("client");
    ASSERT_TRUE(g_Log.Open(szLogBase.c_str()));
    bool bEmailNone = false, bContactEmpty = false, bKeywordsFalse = false, bWhoIsEmpty = false;
    std::thread([&] {
        CKestrine client;
        char* szEmail = client.GetEmailAddress("<p>a@site.com</p>", "http://site.com/");
        bEmailNone = szEmail == nullptr;
        delete[] szEmail;
        bContactEmpty = client.FindContactPage("<a href=\"/c\">contact</a>", "http://site.com/").empty();
        bKeywordsFalse = !client.FindKeywords("<p>flights</p>", "flights");
        const char* szWhoIs = client.GetWhoIs("http://site.com/");
        bWhoIsEmpty = szWhoIs != nullptr && szWhoIs[0] == '\0';
    }).join();
    g_Log.Close();
    EXPECT_TRUE(bEmailNone);
    EXPECT_TRUE(bContactEmpty);
    EXPECT_TRUE(bKeywordsFalse);
    EXPECT_TRUE(bWhoIsEmpty);
    EXPECT_FALSE(g_MailSender.HasEntry("http://site.com/", false));
    const std::string szLog = ReadWholeFile(szLogBase + "_1.log");
    std::size_t nFailures = 0;
    for (std::size_t n = szLog.find("Fail to create instance of Kestrinelib.Trawler"); n != std::string::npos;
         n = szLog.find("Fail to create instance of Kestrinelib.Trawler", n + 1))
        ++nFailures;
    EXPECT_EQ(nFailures, 3u);
    EXPECT_NE(szLog.find("Fail to create instance of OSTRELLib::COstrel"), std::string::npos);
}

struct ScriptCase {
    const char* szPage;
    const char* szExpected;
};

class ScriptRemovalCases : public ::testing::TestWithParam<ScriptCase> {};

TEST_P(ScriptRemovalCases, TakesEachEndBackToTheLastStartBeforeIt) {
    EXPECT_EQ(RemoveScriptElements(GetParam().szPage), GetParam().szExpected) << GetParam().szPage;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ScriptRemovalCases,
    ::testing::Values(ScriptCase{"", ""}, ScriptCase{"plain", "plain"},
                      ScriptCase{"a<script>x</script>b", "ab"}, ScriptCase{"a<SCRIPT>x</Script>b", "ab"},
                      ScriptCase{"a<script>1<script>2</script>b", "a<script>1b"},
                      ScriptCase{"a<script>x</script>b<script>y</script>c", "abc"},
                      ScriptCase{"a</script>b<script>c", "a</script>b<script>c"},
                      ScriptCase{"a<script>x</script>b</script>c", "ab</script>c"},
                      ScriptCase{"a<script>x", "a<script>x"}, ScriptCase{"<script>x</script>", ""}));

}  // namespace
