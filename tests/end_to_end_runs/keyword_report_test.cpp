// A keyword run finished as a user finishes it: the report opened from the
// end-of-run question and saved as CSV and HTML through the save-file
// dialog, each file checked against the rows of the list, the rows against
// the corpus, and "&Send Mail" against what the run found.
#include "end_to_end_runs/report_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "end_to_end_runs/sent_mail.h"
#include "support/options_sandbox.h"

namespace {

// Sites of this program: 127.0.80.N.
class KeywordReportTest : public RunWebTest {
protected:
    static void SetUpTestSuite() { StartWeb("127.0.80.2", 0); }

    // The pages of a keyword that the options let through, in result order.
    std::vector<int> Accepted(const std::string& keyword, const PageOptions& options) const {
        std::vector<int> pages;
        for (int page : Corpus().Search(keyword))
            if (!options.bEmail || !Corpus().Emails(page).empty()) pages.push_back(page);
        return pages;
    }

    COptionsSandbox m_sandbox;
    CSentMail m_mail;
};

std::vector<int> Joined(const std::vector<int>& first, const std::vector<int>& second) {
    std::vector<int> all = first;
    all.insert(all.end(), second.begin(), second.end());
    return all;
}

PageOptions EmailAndWhoIs() {
    PageOptions options;
    options.bEmail = options.bWhoIs = true;
    return options;
}

TEST_F(KeywordReportTest, TwoKeywordsEndInTheReportSavedAsCsvAndHtml) {
    std::string first = PickQuery(Corpus(), 4, 15);
    std::string second = PickQuery(Corpus(), 4, 15, {first});
    ASSERT_FALSE(second.empty());
    std::vector<int> evaluated = Joined(Corpus().Search(first), Corpus().Search(second));
    for (const PageOptions& options : {PageOptions{}, EmailAndWhoIs()}) {
        SCOPED_TRACE(options.bEmail ? "e-mail and WhoIs checks" : "no checks");
        std::vector<int> firstTaken = Accepted(first, options), secondTaken = Accepted(second, options);
        std::vector<int> accepted = Joined(firstTaken, secondTaken);
        ASSERT_FALSE(accepted.empty());
        if (options.bEmail) {
            ASSERT_LT(accepted.size(), evaluated.size()) << "the corpus must have pages without e-mail";
        }
        ChooseOptions(options);
        SavedReport saved;
        SaveReportFiles(m_window, TrawlKeywords(first + "\r\n" + second), saved);

        ExpectRowFacts(m_window, FactsOf(Corpus(), Addresses(Corpus(), accepted)), options.bEmail, options.bWhoIs);
        ExpectReportFiles(m_window, saved,
                          {{first, static_cast<int>(firstTaken.size())}, {second, static_cast<int>(secondTaken.size())}},
                          options);
        m_mail.ExpectSent(m_window, ExpectedMailingList(Corpus(), options, evaluated, accepted));
    }
}

}  // namespace
