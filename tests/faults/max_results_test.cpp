// "Max results" over the values a user types, through the real program:
// Corvane.exe in its own process, run with the address space of the Wine
// processes limited (the CTest entry starts Wine under "ulimit -v"), so
// that a 64-bit build sees what a 32-bit process sees. Every value the
// field accepts starts a URL, a back-link and a keyword run that each end
// with "Trawled!", and the program then closes normally; 0 and a text that
// is not a number give the criteria message and start nothing.
#include "faults/program_web_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "ui/result_columns_win.h"

namespace {

// Sites of this test program: 127.0.98.N.
const char kSiteBase[] = "127.0.98.2";
constexpr int kRunMs = 300000;

struct MaxResultsCase {
    const char* szName;
    const char* szMax;
    bool bAccepted;
    std::size_t nMax;  // the value as the program reads it
};

class MaxResultsTest : public CProgramWebTest<::testing::TestWithParam<MaxResultsCase>> {
protected:
    static void SetUpTestSuite() { StartProgramWeb(kSiteBase); }

    void SetUp() override {
        ASSERT_TRUE(s_web->IsRunning());
        m_options.CreateEmpty();
        m_options.SetDword("dQueryDelay", 0);
    }


    static void TypeMax(HWND hMain, const char* szMax) {
        SendMessageA(GetDlgItem(hMain, IDC_MINRANK), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("0"));
        SendMessageA(GetDlgItem(hMain, IDC_MAXRESULTS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(szMax));
    }

    // Waits for the run's question; the rows are the run's pages in their
    // order, as many of them as the maximum lets through.
    void ExpectRunEnds(const CProgramRun& program, HWND hMain, const char* szRun, std::vector<std::string> pages,
                       std::size_t nMax) {
        HWND hBox = program.WaitForWindow("Finished", kRunMs);
        ASSERT_NE(hBox, nullptr) << szRun << " ended";
        EXPECT_EQ(RemoteMessageText(hBox), "Trawled!\nClick OK to see/save report.") << szRun;
        if (pages.size() > nMax) pages.resize(nMax);
        std::vector<std::string> rows;
        for (const std::vector<std::string>& row : program.Rows(hMain, kColUrl + 1)) rows.push_back(row[kColUrl]);
        EXPECT_EQ(rows, pages) << szRun;
        PostClick(hBox, IDCANCEL);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hBox); }, 60000)) << szRun;
    }

    // The criteria message; no run starts.
    void ExpectRefused(const CProgramRun& program, HWND hMain, int nButton) {
        PostClick(hMain, nButton);
        HWND hBox = program.WaitForWindow("Error");
        ASSERT_NE(hBox, nullptr) << nButton;
        EXPECT_EQ(RemoteMessageText(hBox), "Maximum search results can't be zero");
        PostClick(hBox, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(hBox); }, 60000));
        EXPECT_EQ(program.WaitForWindow("URL Trawl", 0), nullptr);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(hMain, IDCANCEL))) << "no run is in progress";
    }

};


TEST_P(MaxResultsTest, AcceptedValuesRunToTheEndOthersAreRefused) {
    const MaxResultsCase& c = GetParam();
    CTempFolder folder;
    CopyProgram(folder.Path());
    CProgramRun program(folder.Path());
    ASSERT_TRUE(program.Started());
    HWND hMain = program.WaitForWindow("Pellmark");
    ASSERT_NE(hMain, nullptr);
    TypeMax(hMain, c.szMax);
    if (!c.bAccepted) {
        ExpectRefused(program, hMain, IDC_TRAWLURLS);
        SendMessageA(GetDlgItem(hMain, IDC_KEYWORDS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("anything"));
        ExpectRefused(program, hMain, IDC_TRAWL);
    } else {
        const std::string first = Corpus().Page(0).address, second = Corpus().Page(1).address;
        ASSERT_TRUE(StartUrlRun(hMain, program.ProcessId(), first + "\r\n" + second, false, false));
        ExpectRunEnds(program, hMain, "URL run", {first, second}, c.nMax);
        // More than ten pages for the back-link and keyword runs: a maximum
        // of ten cuts them, the larger ones do not.
        int linked = -1;
        for (std::size_t i = 0; i < Corpus().PageCount() && linked < 0; ++i)
            if (Corpus().BacklinkCount(static_cast<int>(i)) > 10) linked = static_cast<int>(i);
        ASSERT_GE(linked, 0);
        ASSERT_TRUE(StartUrlRun(hMain, program.ProcessId(), Corpus().Page(linked).address, false, false, true));
        ExpectRunEnds(program, hMain, "back-link run", Addresses(Corpus(), Corpus().Backlinks(linked)), c.nMax);
        const std::string word = PickQuery(Corpus(), 11, 40);
        ASSERT_FALSE(word.empty());
        SendMessageA(GetDlgItem(hMain, IDC_KEYWORDS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(word.c_str()));
        PostClick(hMain, IDC_TRAWL);
        ExpectRunEnds(program, hMain, "keyword run", Addresses(Corpus(), Corpus().Search(word)), c.nMax);
    }
    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

const MaxResultsCase kValues[] = {
    {"one", "1", true, 1},
    {"ten", "10", true, 10},
    {"largest", "2147483647", true, 2147483647},
    {"a_billion", "1000000000", true, 1000000000},
    {"not_a_number", "many", false, 0},
    {"zero", "0", false, 0},
};

INSTANTIATE_TEST_SUITE_P(Values, MaxResultsTest, ::testing::ValuesIn(kValues),
                         [](const ::testing::TestParamInfo<MaxResultsCase>& info) { return info.param.szName; });

}  // namespace
