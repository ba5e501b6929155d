// A keyword run finished as a user finishes it: the report opened from the
// end-of-run question and saved as CSV and HTML through the save-file
// dialog, each file checked against the rows of the list.
#include "runs/report_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/options_sandbox.h"

namespace {

// Sites of this program: 127.0.80.N.
class KeywordReportTest : public RunWebTest {
protected:
    static void SetUpTestSuite() { StartWeb("127.0.80.2", 0); }

    COptionsSandbox m_sandbox;
};

TEST_F(KeywordReportTest, TwoKeywordsEndInTheReportSavedAsCsvAndHtml) {
    std::string first = PickQuery(Corpus(), 4, 15);
    std::string second = PickQuery(Corpus(), 4, 15, {first});
    ASSERT_FALSE(second.empty());
    std::vector<int> firstPages = Corpus().Search(first), secondPages = Corpus().Search(second);
    ChooseOptions(PageOptions{});
    SavedReport saved;
    SaveReportFiles(m_window, TrawlKeywords(first + "\r\n" + second), saved);

    std::vector<int> all = firstPages;
    all.insert(all.end(), secondPages.begin(), secondPages.end());
    ExpectRows(m_window, Corpus(), all);
    ExpectReportFiles(m_window, saved,
                      {{first, static_cast<int>(firstPages.size())}, {second, static_cast<int>(secondPages.size())}},
                      PageOptions{});
}

}  // namespace
