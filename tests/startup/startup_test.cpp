#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>
#include <string>
#include <vector>

#include "support/main_window_harness.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace {

struct MissingLibraryCase {
    std::vector<std::pair<std::string, std::string>> copies;  // file, name in the folder
    const char* szMessage;
};

TEST(StartUp, MissingOrInvalidLibrariesStopTheProgram) {
    const std::vector<MissingLibraryCase> cases = {
        {{}, "Core DLL not found"},
        {{{"brannick.dll", "brannick.dll"}}, "Core DLL not found"},
        {{{"checksum_missing.dll", "vossic.dll"}, {"brannick.dll", "brannick.dll"}}, "Core DLL is invalid"},
        {{{"vossic.dll", "vossic.dll"}}, "Tools DLL not found"},
    };
    for (const MissingLibraryCase& c : cases) {
        CTempFolder folder;
        CopyBinary("Corvane.exe", folder.Path());
        for (const auto& copy : c.copies) CopyBinary(copy.first, folder.Path(), copy.second);
        CProgramRun program(folder.Path());
        ASSERT_TRUE(program.Started());
        HWND hBox = program.WaitForWindow("Error");
        ASSERT_NE(hBox, nullptr) << c.szMessage;
        EXPECT_EQ(CMainWindowHarness::MessageText(hBox), c.szMessage);
        PostMessageA(hBox, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(program.WaitForExit()) << c.szMessage;
        EXPECT_EQ(program.ExitCode(), 0u);
        EXPECT_EQ(program.WaitForWindow("Pellmark", 0), nullptr) << "the main window never opened";
    }
}

std::string TodaysLogName() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_s(&utc, &now);
    return std::to_string(utc.tm_mday) + "_" + std::to_string(utc.tm_mon + 1) + "_" +
           std::to_string(utc.tm_year + 1900) + "_1.log";
}

void StartAndClose(const std::string& folder) {
    CProgramRun program(folder);
    ASSERT_TRUE(program.Started());
    HWND hMain = program.WaitForWindow("Pellmark");
    ASSERT_NE(hMain, nullptr);
    PostMessageA(hMain, WM_CLOSE, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(program.ExitCode(), 0u);
}

TEST(StartUp, LogGoesToTheLogFolderOfTheCurrentFolder) {
    CTempFolder folder;
    CopyProgram(folder.Path());
    CreateDirectoryA(folder.File("log").c_str(), nullptr);
    StartAndClose(folder.Path());
    std::string log = ReadWholeFile(folder.File("log\\" + TodaysLogName()));
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.find("Starting Session"), std::string::npos);
    EXPECT_NE(log.rfind("Clossed Session"), std::string::npos) << "closed with its banner at exit";
}

TEST(StartUp, WithoutALogFolderTheProgramRunsWithoutALog) {
    CTempFolder folder;
    CopyProgram(folder.Path());
    StartAndClose(folder.Path());
    EXPECT_EQ(GetFileAttributesA(folder.File("log").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
