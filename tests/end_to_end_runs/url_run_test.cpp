#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/run_state.h"
#include "end_to_end_runs/report_files.h"
// After the local web's headers, which bring Winsock's before windows.h.
#include "components/component_test_util_win.h"
#include "report/text_report.h"
#include "resources/resource.h"
#include "source_registry.h"
#include "support/temp_folder.h"

namespace {

// Sites of this program: 127.0.71.1 to 127.0.71.5, in the order of kSites.
// A TLS front (tests/end_to_end_runs/CMakeLists.txt) serves them over https as well,
// and shows a broken certificate on 127.0.71.21 to 127.0.71.23. RDAP: the
// bootstrap file on 127.0.71.31, the registry on .32, registrars on .33
// and .34, https only.
const char kSiteBase[] = "127.0.71.1";

const std::vector<std::string>& Hosts() {
    static const std::vector<std::string> hosts = SiteHosts(kSiteBase, 5);
    return hosts;
}

simweb::RdapHosts RdapServers() {
    simweb::RdapHosts hosts;
    hosts.bootstrap = "127.0.71.31";
    hosts.registry = "127.0.71.32";
    hosts.registrars = {"127.0.71.33", "127.0.71.34"};
    return hosts;
}

std::string Page(int nSite, const std::string& name, const std::string& path) {
    return "http://" + Hosts()[nSite] + "/" + name + "/" + path;
}

// The pages by key: amber.com, birch.com, cobalt.com, dune.com.
std::string Address(const std::string& key) {
    static const std::map<std::string, std::string> addresses = {
        {"R", Page(0, "amber.com", "index.html")},
        {"P", Page(0, "amber.com", "plain.html")},
        {"B", Page(1, "birch.com", "index.html")},
        {"N", Page(1, "birch.com", "news.html")},
        {"C", Page(2, "cobalt.com", "index.html")},
        {"D", Page(3, "dune.com", "index.html")},
        {"X", Page(3, "dune.com", "extra.html")},
        {"L", Page(4, "elm.com", "index.html")},
        {"T", Page(0, "amber.com", "tiny.html")},
        // As a user may type it: blanks around it, no scheme.
        {"Btyped", "  " + Hosts()[1] + "/birch.com/index.html "},
        {"Rs", "https://" + Hosts()[0] + "/amber.com/index.html"},
        {"Bs", "https://" + Hosts()[1] + "/birch.com/index.html"},
        // Expired; issued for another name; self-signed.
        {"E1", "https://127.0.71.21/amber.com/index.html"},
        {"E2", "https://127.0.71.22/amber.com/index.html"},
        {"E3", "https://127.0.71.23/amber.com/index.html"},
    };
    return addresses.at(key);
}

std::string Html(const std::string& body) {
    return "<html><head><title>Page</title></head><body>\n" + body + "</body></html>\n";
}

// A page as sites write them: a script with an image address, links in
// every letter case and quoting, an address in the text, a mail link.
std::string AmberHome() {
    return "<html><head><title>Amber</title>\n<script type=\"text/javascript\">var pixel = \"" +
           Page(0, "amber.com", "pixel.GIF") + "\";</script>\n</head><body>\n" + Anchor(Address("B")) +
           "<A HREF=\"about.html\">About</A> <a href=\"About.html\">About</a> <a href=\"ABOUT.HTML\">About</a>\n"
           "<a href='" +
           Address("C") +
           "'>Cobalt</a>\n<a href = \"blanks.html\">Blanks</a> <a href=\"\">Empty</a>\n"
           "<a href=\"#top\">Top</a> <a href=\"mailto:info@amber.com\">Mail us</a>\n<p>See HTTP://" +
           Hosts()[3] + "/DUNE.COM/index.html! or " + Page(3, "dune.com", "a_b.html") + "</p>\n<img src=\"" +
           Page(0, "amber.com", "report.pdf.html") + "\">\n<p>Write to info@amber.com.</p>\n</body></html>\n";
}

// The outbound links of the pages that make rows, as written here: on
// amber's home four absolute addresses (the image and the pdf are not
// links) and three relative values, one of them in three spellings; on
// birch's home three addresses and a relative link; on cobalt's two
// addresses, on dune's one.
const std::map<std::string, int> kOutbound = {{"R", 7}, {"Rs", 7}, {"B", 4}, {"Bs", 4}, {"C", 2}, {"D", 1}, {"X", 0}};

std::vector<RowFacts> RowsOf(const simweb::CCorpus& corpus, const std::vector<std::string>& keys) {
    std::vector<RowFacts> rows;
    for (const std::string& key : keys) rows.push_back(FactsOf(corpus, Address(key), kOutbound.at(key)));
    return rows;
}

// E-mail addresses: two on amber's home, one on birch's, two on cobalt's,
// one on each of dune's pages, none on amber's plain page and birch's news.
std::vector<SiteFolder> UrlRunSites() {
    return {
        {"amber.com",
         {"registrant@amber.com", "hostmaster@amber.com"},
         {{"index.html", AmberHome()}, {"plain.html", Html("<p>Nothing to write to.</p>\n")}, {"tiny.html", "tiny"}}},
        {"birch.com",
         {"owner@birch.com"},
         {{"index.html", Html("<p>Mail sales@birch.com.</p>\n" + Anchor(Address("C")) + Anchor(Address("D")) +
                              Anchor(Address("N")) + Anchor("news.html"))},
          {"news.html", Html(Anchor(Address("P")))}}},
        {"cobalt.com",
         {},
         {{"index.html", Html("<p>a@cobalt.com b@cobalt.com</p>\n" + Anchor(Address("D")) + Anchor(Address("X")))}}},
        {"dune.com",
         {"admin@dune.com"},
         {{"index.html", Html("<p>x@dune.com</p>\n" + Anchor(Address("B")))},
          {"extra.html", Html("<p>y@dune.com</p>\n")}}},
        {"elm.com", {"registrant@elm.com", "tech@elm.com"}, {{"index.html", Html("<p>post@elm.com</p>\n")}}},
    };
}

class UrlRunTest : public RunWebTest {
protected:
    static void SetUpTestSuite() {
        StoreOptions(true, true);
        CTempFolder folder;
        std::string error;
        if (!WriteSiteFolders(folder.Path(), UrlRunSites(), error)) ADD_FAILURE() << error;
        StartWeb(kSiteBase, 0, folder.Path(), nullptr, kRunWebCorpus, simweb::DefaultSourceServices(), RdapServers());
    }
};

// WhoIs from RDAP, as the Sources dialog stores the choice, with the local
// web's bootstrap file in IANA's place; classic again when it ends.
class CRdapChoice {
public:
    CRdapChoice() {
        const DWORD dwRdap = 1;
        const std::string bootstrap = "https://" + RdapServers().bootstrap + simweb::kRdapBootstrapPath;
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSourcesKey, 0, nullptr, 0, KEY_WRITE, nullptr, m_key.Receive(),
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(m_key.Get(), kWhoIsSourceValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwRdap), sizeof dwRdap);
        RegSetValueExA(m_key.Get(), kRdapBootstrapValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(bootstrap.c_str()),
                       static_cast<DWORD>(bootstrap.size() + 1));
    }
    ~CRdapChoice() { RegDeleteValueA(m_key.Get(), kWhoIsSourceValue); }
    CRdapChoice(const CRdapChoice&) = delete;
    CRdapChoice& operator=(const CRdapChoice&) = delete;

private:
    CRegKey m_key;
};

// A site's name, as a user types its pages: "www.amber.com" for 127.0.71.1,
// through the test's own hosts file.
std::string NamedAddress(const simweb::CCorpus& corpus, const std::string& key) {
    const int nPage = corpus.FindPage(Address(key));
    const simweb::SimSite& site = corpus.Site(corpus.Page(nPage).site);
    return "http://www." + site.name + corpus.Page(nPage).path;
}

void NameSites(const simweb::CCorpus& corpus) {
    const char* szHostsFile = std::getenv("PELLMARK_HOSTS_FILE");
    ASSERT_NE(szHostsFile, nullptr) << "run through tools/with-hosts.sh";
    std::string lines = ReadWholeFile(szHostsFile);
    for (std::size_t i = 0; i < corpus.SiteCount(); ++i) {
        const simweb::SimSite& site = corpus.Site(static_cast<int>(i));
        lines += site.host + " " + site.name + " www." + site.name + "\n";
    }
    WriteWholeFile(szHostsFile, lines);
}

// What a domain's registrar shows of its contacts, through the component's
// reading: every WhoIs address (registrant first), the privacy service's
// one address, or nothing when they are withheld.
std::vector<std::string> RdapAddresses(const simweb::CCorpus& corpus, int nSite) {
    switch (simweb::RdapStyleOf(corpus, nSite)) {
    case simweb::RdapStyle::Plain:
    case simweb::RdapStyle::RateLimitedOnce: return corpus.WhoIsEmails(nSite);
    case simweb::RdapStyle::Privacy: return {simweb::PrivacyForwardingAddress(corpus, nSite)};
    default: return {};
    }
}

TEST_F(UrlRunTest, TheCorpusGivesEveryColumnSomethingToShow) {
    RowFacts amber = RowsOf(Corpus(), {"R"}).front();
    EXPECT_EQ(amber.email, "Multiple");
    EXPECT_EQ(amber.whois, "registrant@amber.com");
    EXPECT_EQ(RowsOf(Corpus(), {"B"}).front().email, "sales@birch.com");
    EXPECT_EQ(RowsOf(Corpus(), {"C"}).front().whois, "");
}

struct UrlRunCase {
    const char* szName;
    std::vector<std::string> typed;
    bool bFollowLinks;
    bool bDomainLinks;
    std::vector<std::string> loads;
    // Pages without an e-mail address are loaded but make no row, and
    // their links are not followed.
    std::vector<std::string> rows;
};

PageOptions EmailAndWhoIs() {
    PageOptions options;
    options.bEmail = true;
    options.bWhoIs = true;
    return options;
}

TEST_F(UrlRunTest, RowsReportAndSavedFilesWithTheEmailAndWhoIsChecks) {
    const std::vector<UrlRunCase> cases = {
        // The typed address is corrected before it is loaded; a page of
        // fewer than six characters is not evaluated.
        {"typed only",
         {"R", "P", "Btyped", "C", "N", "T"},
         false,
         false,
         {"R", "P", "B", "C", "N", "T"},
         {"R", "B", "C"}},
        {"domain links alone", {"B", "C"}, false, true, {"B", "C"}, {"B", "C"}},
        // news.html is N again; N has no address, so P is never reached.
        {"follow links", {"B"}, true, false, {"B", "C", "D", "N", "X"}, {"B", "C", "D", "X"}},
        // N shares B's host, X shares D's.
        {"follow links by domain", {"B"}, true, true, {"B", "C", "D"}, {"B", "C", "D"}},
        // Over https the same figures; the front passes the requests on
        // as plain ones, so the local web logs them as http addresses.
        {"typed over https", {"Rs", "Bs"}, false, false, {"R", "B"}, {"Rs", "Bs"}},
        // birch's "news.html" becomes https news, which is N over the other
        // scheme, and dune links back to B: each page is evaluated once.
        {"follow links from an https page", {"Bs"}, true, false, {"B", "C", "D", "N", "X"}, {"Bs", "C", "D", "X"}},
        // A refused certificate is a failed load: no row, and the run goes on.
        {"broken certificates", {"E1", "E2", "Rs", "E3"}, false, false, {"R"}, {"Rs"}},
    };
    for (const UrlRunCase& c : cases) {
        SCOPED_TRACE(c.szName);
        m_nFrom = s_web->RequestCount();
        SavedReport saved;
        SaveReportFiles(m_window, TrawlUrls(Addresses(c.typed, Address), c.bFollowLinks, c.bDomainLinks), saved);
        EXPECT_EQ(SiteRequests(*s_web, m_nFrom), Addresses(c.loads, Address));
        std::vector<RowFacts> rows = RowsOf(Corpus(), c.rows);
        ExpectRowFacts(m_window, rows, true, true);
        EXPECT_EQ(g_ReportText, UrlRunReport(rows, true, true));
        ExpectReportFiles(m_window, saved, {{"", static_cast<int>(rows.size())}}, EmailAndWhoIs());
    }
}

// A URL run of the sites by their names with WhoIs from RDAP: each row's
// WhoIs cell is the first address of the domain's own contacts, empty
// where the registrar withholds them or shows none; the one that asks
// for a pause first is asked again. A VBScript that asks the component
// through the system's script host gets every address.
TEST_F(UrlRunTest, WhoIsFromRdapForTheSitesByName) {
    CRdapChoice rdap;
    NameSites(Corpus());
    const std::vector<std::string> keys = {"R", "B", "C", "D", "L"};
    std::vector<std::string> typed, expected;
    std::string script = "Set o = CreateObject(\"Ostrel.COstrel\")\r\n";
    std::set<simweb::RdapStyle> styles;
    for (const std::string& key : keys) {
        typed.push_back(NamedAddress(Corpus(), key));
        const int nSite = Corpus().Page(Corpus().FindPage(Address(key))).site;
        styles.insert(simweb::RdapStyleOf(Corpus(), nSite));
        std::string list;
        for (const std::string& address : RdapAddresses(Corpus(), nSite)) list += address + ",";
        expected.push_back(list);
        script += "WScript.Echo \"[\" & o.GetEMails(\"www." + Corpus().Site(nSite).name + "\") & \"]\"\r\n";
    }
    EXPECT_EQ(styles.size(), simweb::kRdapStyles) << "every way a registrar shows contacts";
    RunUrls(typed, false, false);
    ASSERT_EQ(RowAddresses(m_window), typed);
    for (std::size_t i = 0; i < keys.size(); ++i)
        EXPECT_EQ(m_window.Cell(static_cast<int>(i), 5), expected[i].substr(0, expected[i].find(','))) << typed[i];

    CTempFolder folder;
    WriteWholeFile(folder.File("rdap.vbs"), script);
    const std::string output = folder.File("output.txt");
    ASSERT_EQ(RunProcess("cscript.exe //nologo \"" + folder.File("rdap.vbs") + "\"", output, 300000), 0)
        << ReadWholeFile(output);
    std::string echoed;
    for (const std::string& list : expected) echoed += "[" + list + "]\r\n";
    EXPECT_EQ(ReadWholeFile(output), echoed);
}

}  // namespace
