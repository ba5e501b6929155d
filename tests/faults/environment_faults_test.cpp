// The whole program, Corvane.exe in a process of its own, in a broken
// environment: the analysis components unregistered, or the settings key
// missing. Each run ends with its question and its rows as the rules say,
// with no message box of its own, and leaves the stored settings and an
// existing address file as they were.
#include "faults/program_web_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "components/component_test_util_win.h"
#include "support/options_sandbox.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "ui/result_columns_win.h"

namespace {

// Sites of this program: 127.0.94.N.
const char kSiteBase[] = "127.0.94.2";
const char kAddressFile[] = "EmailAdd.txt";
const char kOldAddresses[] = "http://earlier.example/\r\r\nold@earlier.example\r\r\n";

struct EnvironmentCase {
    const char* szName;
    bool bOptionsKey;    // the settings key exists...
    DWORD dwEmail;       // ...with these options
    DWORD dwWhoIs;
    bool bRegistered;    // the analysis and WhoIs components are registered
    bool bRows;          // the pages become rows
};

const EnvironmentCase kCases[] = {
    {"settings_key_missing", false, 0, 0, true, true},
    // Without its component the WhoIs lookup finds nothing and rejects nothing.
    {"unregistered_whois_lookup", true, 0, 1, false, true},
    // Without its component the e-mail check finds nothing: every page is rejected.
    {"unregistered_email_check", true, 1, 0, false, false},
};

void RegisterComponents(bool bRegister) {
    for (const char* szLibrary : {"Kestrine.dll", "Ostrel.dll"})
        EXPECT_EQ(RunProcess(std::string("regsvr32 /s ") + (bRegister ? "" : "/u ") + "\"" + BinPath(szLibrary) + "\"",
                             "", 60000),
                  0)
            << szLibrary;
}

class EnvironmentFaultsTest : public CProgramWebTest<::testing::TestWithParam<EnvironmentCase>> {
protected:
    static void SetUpTestSuite() { StartProgramWeb(kSiteBase); }

    void SetUp() override {
        ASSERT_TRUE(s_web->IsRunning());
        const EnvironmentCase& c = GetParam();
        if (c.bOptionsKey) {
            m_options.CreateEmpty();
            m_options.SetDword("bEmail", c.dwEmail);
            m_options.SetDword("bWhoIs", c.dwWhoIs);
            m_options.SetDword("dQueryDelay", 0);
        } else {
            m_options.RemoveParent();
        }
        if (!c.bRegistered) RegisterComponents(false);
    }
    void TearDown() override {
        if (!GetParam().bRegistered) RegisterComponents(true);
    }

    // Two pages with an e-mail address each, from different sites.
    std::vector<int> Pages() const {
        const simweb::CCorpus& corpus = s_web->Corpus();
        std::vector<int> pages;
        for (std::size_t i = 0; i < corpus.PageCount() && pages.size() < 2; ++i) {
            int page = static_cast<int>(i);
            if (!corpus.Emails(page).empty() && (pages.empty() || corpus.Page(pages[0]).site != corpus.Page(page).site))
                pages.push_back(page);
        }
        return pages;
    }

    void ExpectOptionsUnchanged() const {
        const EnvironmentCase& c = GetParam();
        ASSERT_EQ(m_options.Exists(), c.bOptionsKey) << "the program never creates the key";
        if (!c.bOptionsKey) return;
        EXPECT_EQ(m_options.Dword("bEmail"), c.dwEmail);
        EXPECT_EQ(m_options.Dword("bWhoIs"), c.dwWhoIs);
        EXPECT_EQ(m_options.Dword("dQueryDelay"), 0u);
    }

};


TEST_P(EnvironmentFaultsTest, RunEndsAsTheRulesSayAndKeepsWhatExisted) {
    const EnvironmentCase& c = GetParam();
    const simweb::CCorpus& corpus = s_web->Corpus();
    CTempFolder folder;
    CopyProgram(folder.Path());
    WriteWholeFile(folder.File(kAddressFile), kOldAddresses);
    CProgramRun program(folder.Path());
    ASSERT_TRUE(program.Started());
    HWND hMain = program.WaitForWindow("Pellmark");
    ASSERT_NE(hMain, nullptr);
    std::vector<int> pages = Pages();
    ASSERT_EQ(pages.size(), 2u);
    ASSERT_TRUE(program.StartUrlRun(hMain, corpus.Page(pages[0]).address + "\r\n" + corpus.Page(pages[1]).address));
    HWND hBox = program.WaitForWindow("Finished", 300000);
    ASSERT_NE(hBox, nullptr);
    EXPECT_EQ(RemoteMessageText(hBox), "Trawled!\nClick OK to see/save report.");
    EXPECT_EQ(program.WaitForWindow("Error", 0), nullptr) << "component failures are quiet";
    std::vector<std::string> rows, expected;
    for (const std::vector<std::string>& row : program.Rows(hMain, kColumnCount))
        rows.push_back(row[kColUrl] + " rank " + row[kColRank] + " backward " + row[kColBackward] + " whois [" +
                       row[kColWhoIs] + "] contact [" + row[kColContact] + "] email [" + row[kColEmail] + "]");
    for (int page : c.bRows ? pages : std::vector<int>{})
        expected.push_back(corpus.Page(page).address + " rank " + std::to_string(corpus.Rank(page)) + " backward " +
                           std::to_string(corpus.BacklinkCount(page)) + " whois [] contact [] email []");
    EXPECT_EQ(rows, expected) << "WhoIs, contact and e-mail cells stay empty";
    PostClick(hBox, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return program.WaitForWindow("Finished", 0) == nullptr; }, 60000));
    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    EXPECT_EQ(ReadWholeFile(folder.File(kAddressFile)), kOldAddresses);
    ExpectOptionsUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Faults, EnvironmentFaultsTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<EnvironmentCase>& info) { return info.param.szName; });

}  // namespace
