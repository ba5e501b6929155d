// Runs of the whole program, Corvane.exe in a process of its own, over the
// hostile corner of the local web: a URL run over every hostile site and a
// keyword run whose results list them end normally, the window answers all
// along, the rows and the report of the ordinary pages come out as the
// corpus says, and the process's peak working set stays below 300 MB. The
// two runs spend most of their time waiting on sites that hang or trickle,
// so two programs make them side by side.
#include "faults/program_web_test.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "support/options_sandbox.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "support/wait_until.h"
#include "ui/result_columns_win.h"

namespace {

// Sites of this test program: 127.0.90.N, the hostile ones 127.0.91.N.
const char kSiteBase[] = "127.0.90.2";
const char kHostileBase[] = "127.0.91.1";

constexpr std::size_t kMemoryCeiling = 300u * 1024u * 1024u;
constexpr UINT kAnswerMs = 5000;
constexpr int kRunMs = 900000;

using Rows = std::vector<std::vector<std::string>>;

struct HostileRunCase {
    const char* szName;
    bool bUrlRun;
    bool bLogFolder;
};

// The keyword run starts from a folder without a "log" folder: the
// program then works the same, without a log.
const HostileRunCase kRuns[] = {
    {"url_run", true, true},
    {"keyword_run", false, false},
};

// One program of the test, from its start to its end.
struct ProgramInRun {
    explicit ProgramInRun(const HostileRunCase& run) : c(run) {}
    HostileRunCase c;
    CTempFolder folder;
    std::unique_ptr<CProgramRun> program;
    HWND hMain = nullptr;
    std::unique_ptr<CResponsivenessProbe> probe;
    std::vector<int> expected;
};

class HostileRunTest : public CProgramWebTest<::testing::Test> {
protected:
    static void SetUpTestSuite() { StartProgramWeb(kSiteBase, kHostileBase); }

    void SetUp() override {
        ASSERT_TRUE(s_web->IsRunning());
        // E-mail and WhoIs checks on, so every hostile page also goes
        // through the analysis component; no pause between queries.
        m_options.CreateEmpty();
        m_options.SetDword("bEmail", 1);
        m_options.SetDword("bWhoIs", 1);
        m_options.SetDword("dQueryDelay", 0);
    }


    std::vector<int> HostilePages() const { return ::HostilePages(Corpus()); }
    bool IsHostile(const std::string& address) const { return IsHostileAddress(Corpus(), address); }
    // Ordinary pages that are no hostile site's, with and without an e-mail address.
    std::vector<int> OrdinaryPages(bool bWithEmail, std::size_t nCount) const {
        std::vector<int> pages;
        for (std::size_t i = 0; i < Corpus().PageCount() && pages.size() < nCount; ++i) {
            int page = static_cast<int>(i);
            if (!IsHostile(Corpus().Page(page).address) && Corpus().Emails(page).empty() != bWithEmail)
                pages.push_back(page);
        }
        return pages;
    }

    // The hostile pages with ordinary pages between them; the 10,000
    // character address comes last, since the address text is cut at
    // 4095 characters. Expected rows: the ordinary pages with an address.
    std::string UrlRunText(std::vector<int>& expected) const {
        std::vector<int> withEmail = OrdinaryPages(true, 3), without = OrdinaryPages(false, 1);
        std::vector<int> order = {withEmail[0], without[0]};
        std::string longAddress;
        std::size_t nAt = 0;
        for (int page : HostilePages()) {
            if (Corpus().Page(page).address.size() >= simweb::kLongAddressLength) {
                longAddress = Corpus().Page(page).address;
                continue;
            }
            order.push_back(page);
            if (++nAt % 4 == 0 && nAt / 4 < withEmail.size()) order.push_back(withEmail[nAt / 4]);
        }
        std::string text;
        for (int page : order) {
            text += Corpus().Page(page).address + "\r\n";
            if (!Corpus().Emails(page).empty() && !IsHostile(Corpus().Page(page).address)) expected.push_back(page);
        }
        return text + longAddress;
    }

    // Types the run's input and starts it; the ordinary pages it must list.
    std::vector<int> StartRun(const CProgramRun& program, HWND hMain, bool bUrlRun) {
        std::vector<int> expected;
        if (bUrlRun) {
            EXPECT_TRUE(program.StartUrlRun(hMain, UrlRunText(expected)));
            return expected;
        }
        std::string word = PickQuery(Corpus(), 2, 10, {"hostile"});
        for (int page : Corpus().Search(word))
            if (!Corpus().Emails(page).empty()) expected.push_back(page);
        std::string keywords = "hostile\r\n" + word;
        TypeCriteria(hMain);
        SendMessageA(GetDlgItem(hMain, IDC_KEYWORDS), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(keywords.c_str()));
        PostClick(hMain, IDC_TRAWL);
        return expected;
    }

    // Rows of the ordinary pages, in order, hold the corpus's figures; every
    // other row is a hostile site's.
    void ExpectRows(const Rows& rows, const std::vector<int>& expected) const {
        std::vector<std::string> ordinary, wanted;
        for (const std::vector<std::string>& row : rows) {
            if (IsHostile(row[kColUrl])) continue;
            ordinary.push_back(row[kColUrl] + " rank " + row[kColRank] + " backward " + row[kColBackward]);
        }
        for (int page : expected)
            wanted.push_back(Corpus().Page(page).address + " rank " + std::to_string(Corpus().Rank(page)) + " backward " +
                             std::to_string(Corpus().BacklinkCount(page)));
        EXPECT_EQ(ordinary, wanted);
    }

    // The report holds a block for every row, in row order, with the row's figures.
    static void ExpectReport(const std::string& report, const Rows& rows) {
        std::size_t nAt = 0;
        for (const std::vector<std::string>& row : rows) {
            std::string block = row[kColUrl] + "\r\nRank: " + row[kColRank] + "\tEstimated: " + row[kColBoost] +
                                "\tOutbound: " + row[kColOutbound] + "\tBackward: " + row[kColBackward] + "\r\n";
            std::size_t nFound = report.find(block, nAt);
            ASSERT_NE(nFound, std::string::npos) << block.substr(0, 200);
            nAt = nFound + block.size();
        }
    }

    static bool Asked(const std::string& host) {
        for (const simweb::RequestLogEntry& entry : s_web->Requests())
            if (entry.host == host) return true;
        return false;
    }

    // Starts the program in a folder of its own and its run in it.
    void Start(ProgramInRun& run) {
        CopyProgram(run.folder.Path());
        if (run.c.bLogFolder) {
            ASSERT_TRUE(CreateDirectoryA(run.folder.File("log").c_str(), nullptr));
        }
        run.program = std::make_unique<CProgramRun>(run.folder.Path());
        ASSERT_TRUE(run.program->Started());
        run.hMain = run.program->WaitForWindow("Pellmark");
        ASSERT_NE(run.hMain, nullptr);
        run.probe = std::make_unique<CResponsivenessProbe>(run.hMain, kAnswerMs);
        run.expected = StartRun(*run.program, run.hMain, run.c.bUrlRun);
    }

    // Waits for the end of the run, checks what it gave and ends the program.
    void Finish(ProgramInRun& run, std::size_t nFrom) {
        const CProgramRun& program = *run.program;
        HWND hBox = program.WaitForWindow("Finished", kRunMs);
        ASSERT_NE(hBox, nullptr) << "the run ended";
        EXPECT_EQ(RemoteMessageText(hBox), "Trawled!\nClick OK to see/save report.");
        Rows rows = program.Rows(run.hMain, kColBoost + 1);
        PostClick(hBox, IDOK);
        HWND hReport = program.WaitForWindow("Report");
        ASSERT_NE(hReport, nullptr);
        std::string report = RemoteText(GetDlgItem(hReport, IDC_REPORTTEXT));
        run.probe->Stop();
        EXPECT_GT(run.probe->Sent(), 0u);
        EXPECT_EQ(run.probe->Unanswered(), 0u) << "of " << run.probe->Sent() << " messages";
        EXPECT_GT(s_web->RequestCount(), nFrom);
        ExpectRows(rows, run.expected);
        ExpectReport(report, rows);
        std::size_t nPeak = program.PeakWorkingSet();
        std::cout << "[ figure   ] " << run.c.szName << ": peak working set " << nPeak / (1024 * 1024) << " MB ("
                  << nPeak << " bytes)\n";
        RecordProperty(std::string(run.c.szName) + "PeakWorkingSetBytes", std::to_string(nPeak));
        EXPECT_GT(nPeak, 0u);
        EXPECT_LT(nPeak, kMemoryCeiling);
        PostClick(hReport, IDCANCEL);
        PostMessageA(run.hMain, WM_CLOSE, 0, 0);
        ASSERT_TRUE(program.WaitForExit());
        EXPECT_EQ(program.ExitCode(), 0u);
        // The local web logs a request once its answer has ended, which for
        // a site that trickles is when the client's connection goes: at the
        // latest with the program.
        for (int page : HostilePages()) {
            std::string host = Corpus().Site(Corpus().Page(page).site).host;
            EXPECT_TRUE(WaitUntil([&] { return Asked(host); })) << Corpus().Page(page).address.substr(0, 80);
        }
        EXPECT_EQ(GetFileAttributesA(run.folder.File("log").c_str()) != INVALID_FILE_ATTRIBUTES, run.c.bLogFolder);
    }

};


TEST_F(HostileRunTest, BothRunsEndNormallyWithinTheirMemory) {
    std::size_t nFrom = s_web->RequestCount();
    ProgramInRun programs[] = {ProgramInRun(kRuns[0]), ProgramInRun(kRuns[1])};
    for (ProgramInRun& program : programs) {
        SCOPED_TRACE(program.c.szName);
        Start(program);
    }
    if (HasFatalFailure()) return;
    for (ProgramInRun& program : programs) {
        SCOPED_TRACE(program.c.szName);
        Finish(program, nFrom);
    }
}

// Every log file of the folder's "log" folder, in name order.
std::string LogText(const CTempFolder& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found{};
    HANDLE hFind = FindFirstFileA(folder.File("log\\*.log").c_str(), &found);
    if (hFind == INVALID_HANDLE_VALUE) return "";
    do names.push_back(found.cFileName);
    while (FindNextFileA(hFind, &found));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names) text += ReadWholeFile(folder.File("log\\" + name));
    return text;
}

// "Force" while the URL run's worker waits on a site that never answers,
// then the window is closed at once: the worker left behind is still in
// its load, and the process ends it instead of freeing what it may use.
TEST_F(HostileRunTest, CloseWithAWorkerLeftByForceLetsTheProcessEndIt) {
    const std::string host = HostileHost(Corpus(), simweb::HostileKind::NeverAnswers);
    std::string address;
    for (int page : HostilePages())
        if (Corpus().Site(Corpus().Page(page).site).host == host) address = Corpus().Page(page).address;
    ASSERT_FALSE(address.empty());
    CTempFolder folder;
    CopyProgram(folder.Path());
    ASSERT_TRUE(CreateDirectoryA(folder.File("log").c_str(), nullptr));
    CProgramRun program(folder.Path());
    ASSERT_TRUE(program.Started());
    HWND hMain = program.WaitForWindow("Pellmark");
    ASSERT_NE(hMain, nullptr);
    ASSERT_TRUE(program.StartUrlRun(hMain, address));
    ASSERT_TRUE(WaitUntil([&] { return RemoteText(GetDlgItem(hMain, IDC_STATUS)).find(host) != std::string::npos; },
                          60000));
    PostClick(hMain, IDC_TRAWL);
    HWND hStop = program.WaitForWindow("Working....");
    ASSERT_NE(hStop, nullptr);
    PostClick(hStop, IDC_FORCE);
    HWND hBox = program.WaitForWindow("Finished");
    ASSERT_NE(hBox, nullptr);
    PostClick(hBox, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return program.WaitForWindow("Finished", 0) == nullptr; }, 60000));
    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
    const std::string log = LogText(folder);
    const std::size_t nEnd = log.find("Shut-down: 1 left workers are still alive; the process ends them");
    ASSERT_NE(nEnd, std::string::npos) << log.substr(log.size() > 2000 ? log.size() - 2000 : 0);
    EXPECT_NE(log.find("Clossed Session", nEnd), std::string::npos) << "the log is closed before the end";
    EXPECT_EQ(log.find("terminating"), std::string::npos) << "no thread is ended by force";
}

}  // namespace
