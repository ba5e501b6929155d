// Runs with one page option on at a time (e-mail, contact page, keywords,
// WhoIs), as a URL run and as a keyword run: the option's column holds
// what the page shows, pages without it make no row (WhoIs never rejects),
// the saved report carries the column, and "&Send Mail" writes
// "EmailAdd.txt" with what was found.
#include "end_to_end_runs/report_files.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "end_to_end_runs/page_checks.h"
#include "end_to_end_runs/sent_mail.h"
#include "support/options_sandbox.h"
#include "support/temp_folder.h"

namespace {

// Every page holds the query word; each check has pages that pass it and
// pages that fail it, some of them only by a detail of its rules (a link
// in capitals or single quotes, a keyword in a script, an attribute or
// with a capital, a link word with a blank before it).
const char kQuery[] = "widget";
const char kKeyword[] = "gardening";

const std::vector<SiteFolder> kSites = {
    {"alpha.com",
     {"registrant@alpha.com", "hostmaster@alpha.com"},
     {{"index.html",
       "<html><head><title>Widget alpha home</title></head><body>\n"
       "<p>Our gardening widget shop.</p>\n<p>Write to info@alpha.com for offers.</p>\n"
       "<a href=\"contact.html\">Contact Us</a> <a href=\"http://www.widgets.example/\">Widgets</a>\n"
       "</body></html>\n"},
      {"contact.html",
       "<html><head><title>Widget alpha contact</title>\n"
       "<script type=\"text/javascript\">var topic = \"gardening\";</script></head><body>\n"
       "<p>Sales: sales@alpha.com, support: Mary.Jones@alpha.com.</p>\n"
       "<A HREF=\"index.html\">Contact</A> <a href='about.html'>About</a>\n</body></html>\n"}}},
    {"beta.com",
     {"owner@beta.com"},
     {{"index.html",
       "<html><head><title>Widget beta</title></head><body>\n"
       "<p>Gardening with a widget, and garden<b>ing</b> tips.</p>\n"
       "<a href=\"http://www.beta.example/feedback\">Feedback</a>\n</body></html>\n"},
      {"tips.html",
       "<html><head><title>Widget tips</title></head><body>\n"
       "<p><img src=\"logo.gif\" alt=\"gardening\"> Gardening widget tips.</p>\n"
       "<a href=\"mailto:help@beta.com\">Help</a> <a href=\"about.html\">About&nbsp;Us</a>\n</body></html>\n"}}},
    {"gamma.com",
     {},
     {{"index.html",
       "<html><head><title>Widget gamma</title></head><body>\n"
       "<p>Nothing to mail here, widget fans.</p>\n</body></html>\n"},
      {"more.html",
       "<html><head><title>Widget gamma more</title></head><body>\n"
       "<table><tr><td>gardening</td><td>widget</td></tr></table>\n"
       "<p>Mail office@gamma.com. Or see <a href=\"contact.html\"> Contact</a> or "
       "<a href=\"about.html\">about us</a>.</p>\n</body></html>\n"}}},
};

// The outbound links of each page above: its absolute addresses and its
// double-quoted relative values (the single-quoted one is not seen).
const std::map<std::string, int> kOutbound = {
    {"/alpha.com/index.html", 2}, {"/alpha.com/contact.html", 1}, {"/beta.com/index.html", 1},
    {"/beta.com/tips.html", 2},   {"/gamma.com/index.html", 0},   {"/gamma.com/more.html", 2}};

std::vector<RowFacts> RowsOf(const simweb::CCorpus& corpus, const std::vector<int>& pages) {
    std::vector<RowFacts> rows;
    for (int page : pages) rows.push_back(FactsOf(corpus, corpus.Page(page).address, kOutbound.at(corpus.Page(page).path)));
    return rows;
}

enum Column { kWhoIsColumn = 5, kContactColumn = 6, kEmailColumn = 7 };

// What an option's check finds on a page; empty: nothing.
using FindOnPage = std::string (*)(const simweb::CCorpus& corpus, int page);

std::string FoundEmail(const simweb::CCorpus& corpus, int page) {
    return FactsOf(corpus, corpus.Page(page).address).email;
}
std::string FoundContact(const simweb::CCorpus& corpus, int page) {
    return ContactLink(corpus.Page(page).html, corpus.Page(page).address);
}
std::string FoundKeyword(const simweb::CCorpus& corpus, int page) {
    return HoldsKeyword(corpus.Page(page).html, {kKeyword}) ? kKeyword : "";
}
std::string FoundWhoIs(const simweb::CCorpus& corpus, int page) {
    return FactsOf(corpus, corpus.Page(page).address).whois;
}

struct OptionCase {
    const char* szName;
    PageOptions options;
    FindOnPage found;
    int nColumn;  // the column the option fills; -1: none
    bool bRejects;
};

PageOptions Only(bool bEmail, bool bContact, bool bKeyword, bool bWhoIs) {
    return PageOptions{bEmail, bContact, bKeyword, bWhoIs, bKeyword ? kKeyword : ""};
}

const OptionCase kCases[] = {
    {"e-mail", Only(true, false, false, false), FoundEmail, kEmailColumn, true},
    {"contact page", Only(false, true, false, false), FoundContact, kContactColumn, true},
    {"keywords", Only(false, false, true, false), FoundKeyword, -1, true},
    {"WhoIs", Only(false, false, false, true), FoundWhoIs, kWhoIsColumn, false},
};

enum class RunKind { Url, Keyword };

// Sites of this program: 127.0.81.N.
class PageOptionsRunTest : public RunWebTest {
protected:
    static void SetUpTestSuite() {
        s_corpus = new CTempFolder;
        std::string error;
        if (!WriteSiteFolders(s_corpus->Path(), kSites, error)) ADD_FAILURE() << error;
        StartWeb("127.0.81.2", 0, s_corpus->Path());
    }
    static void TearDownTestSuite() {
        RunWebTest::TearDownTestSuite();
        delete s_corpus;
        s_corpus = nullptr;
    }
    // The pages a run of that kind evaluates, in order.
    std::vector<int> Evaluated(RunKind kind) const {
        if (kind == RunKind::Keyword) return Corpus().Search(kQuery);
        std::vector<int> pages;
        for (std::size_t i = 0; i < Corpus().PageCount(); ++i) pages.push_back(static_cast<int>(i));
        return pages;
    }

    HWND Trawl(RunKind kind, const std::vector<int>& pages) {
        if (kind == RunKind::Keyword) return TrawlKeywords(kQuery);
        std::string typed;
        for (const std::string& address : Addresses(Corpus(), pages)) typed += address + "\r\n";
        return m_window.RunUrls(typed, false, false);
    }

    // The option's column holds what the page shows; the other optional
    // columns stay empty.
    void ExpectOptionColumns(const OptionCase& c, const std::vector<int>& accepted) const {
        for (std::size_t i = 0; i < accepted.size(); ++i)
            for (int nColumn : {kWhoIsColumn, kContactColumn, kEmailColumn})
                EXPECT_EQ(m_window.Cell(static_cast<int>(i), nColumn),
                          nColumn == c.nColumn ? c.found(Corpus(), accepted[i]) : "")
                    << Corpus().Page(accepted[i]).address << " column " << nColumn;
    }

    static CTempFolder* s_corpus;
    COptionsSandbox m_sandbox;
    CSentMail m_mail;
};

CTempFolder* PageOptionsRunTest::s_corpus = nullptr;

TEST_F(PageOptionsRunTest, EachOptionFillsItsColumnAndRejectsPagesWithout) {
    for (const OptionCase& c : kCases) {
        for (RunKind kind : {RunKind::Url, RunKind::Keyword}) {
            SCOPED_TRACE(std::string(c.szName) + (kind == RunKind::Url ? " in a URL run" : " in a keyword run"));
            std::vector<int> evaluated = Evaluated(kind), accepted;
            for (int page : evaluated)
                if (!c.bRejects || !c.found(Corpus(), page).empty()) accepted.push_back(page);
            ASSERT_FALSE(accepted.empty()) << "the corpus must have pages that pass";
            if (c.bRejects) {
                ASSERT_LT(accepted.size(), evaluated.size()) << "the corpus must have pages that fail";
            }
            ChooseOptions(c.options);
            SavedReport saved;
            SaveReportFiles(m_window, Trawl(kind, evaluated), saved);

            ExpectRows(m_window, RowsOf(Corpus(), accepted));
            ExpectOptionColumns(c, accepted);
            std::string heading = kind == RunKind::Keyword ? kQuery : "";
            ExpectReportFiles(m_window, saved, {{heading, static_cast<int>(accepted.size())}}, c.options);
            m_mail.ExpectSent(m_window, ExpectedMailingList(Corpus(), c.options, evaluated, accepted));
        }
    }
}

}  // namespace
