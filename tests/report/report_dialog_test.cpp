// The report dialog driven as a user drives it: read the text, save as CSV
// and HTML through the save-file dialog, cancel, and a file that cannot be
// created.
#include <gtest/gtest.h>

#include <windows.h>

#include "report/report_dialog_win.h"
#include "report/report_export.h"
#include "report_records.h"
#include "resources/resource.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "support/window_watch.h"
#include "tools_rules_binding.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class ReportDialog : public ::testing::Test {
protected:
    void SetUp() override {
        ClearTextResults();
        m_records = {Rec("http://a.example/?x=1,2", 5, 3, 12, 40, "http://a.example/contact", "<b>x@a.example;</b>",
                         "=cmd|' /C calc'!A0"),
                     Rec("http://b.example/", 2, 1, 0, 7)};
        CreateTextResults(false, "seo", &m_records, true);
    }
    void TearDown() override { ClearTextResults(); }

    CLogCapture m_log;
    CBoundSearch m_search;
    CReportOptions m_options{{true, true, true}};
    CTempFolder m_folder;
    std::vector<URLInfo> m_records;
};

// The dialog saves the report it opened with, also after a new run (the
// main window stays usable behind it) has cleared and rebuilt the report.
TEST_F(ReportDialog, ShowsTheTextAndSavesBothFiles) {
    const std::string openedText = g_ReportText;
    std::string shownText;
    CWindowScript script([&](DWORD dwThread) {
        HWND hReport = WaitForDialog(dwThread, "Report");
        if (!hReport) return false;
        shownText = WindowText(GetDlgItem(hReport, IDC_REPORTTEXT));
        std::vector<URLInfo> nextRun = {Rec("http://next.example/", 1, 0, 0, 0)};
        ClearTextResults();
        CreateTextResults(true, "next", &nextRun, true);
        bool bSaved = SaveThroughFileDialog(dwThread, hReport, IDC_SAVECSV, m_folder.File("report")) &&
                      WaitUntil([&] { return Exists(m_folder.File("report.csv")); }) &&
                      SaveThroughFileDialog(dwThread, hReport, IDC_SAVEHTML, m_folder.File("page.html")) &&
                      WaitUntil([&] { return Exists(m_folder.File("page.html")); });
        PressButton(hReport, IDCANCEL);
        return bSaved;
    });
    ShowTextResults();
    ASSERT_TRUE(script.Join());

    EXPECT_EQ(shownText, openedText);
    EXPECT_EQ(ReadWholeFile(m_folder.File("report.csv")),
              "#,URL,Page rank,Estimated,Outbound,Backward,Contact Page ,EmailIds,WhoIs Information\n"
              "1,http://a.example/?x=1%2C2,5,3,12,40,http://a.example/contact,<b>x@a.example;</b>,'=cmd|' /C calc'!A0\n"
              "2,http://b.example/,2,1,0,7,,,\n");
    EXPECT_EQ(ReadWholeFile(m_folder.File("page.html")), BuildHtmlReport(openedText));
    EXPECT_NE(ReadWholeFile(m_folder.File("page.html")).find("&lt;b&gt;x@a.example;&lt;/b&gt;"), std::string::npos);
    EXPECT_FALSE(Exists(m_folder.File("page.html.htm")));
}

TEST_F(ReportDialog, CancelledFileDialogWritesNothing) {
    CWindowScript script([&](DWORD dwThread) {
        HWND hReport = WaitForDialog(dwThread, "Report");
        if (!hReport) return false;
        PressButton(hReport, IDC_SAVECSV);
        HWND hSave = WaitForDialog(dwThread, "Select file");
        if (hSave) PressButton(hSave, IDCANCEL);
        bool bClosed = hSave && WaitUntil([&] { return !IsWindow(hSave); });
        PressButton(hReport, IDCANCEL);
        return bClosed;
    });
    ShowTextResults();
    ASSERT_TRUE(script.Join());
    WIN32_FIND_DATAA data;
    HANDLE hFind = FindFirstFileA(m_folder.File("*.*").c_str(), &data);
    int nEntries = 0;
    if (hFind != INVALID_HANDLE_VALUE) {
        do nEntries += data.cFileName[0] != '.';
        while (FindNextFileA(hFind, &data));
        FindClose(hFind);
    }
    EXPECT_EQ(nEntries, 0);
}

// The chosen name gets its extension, and a folder already has that name:
// the file cannot be created, whichever export asks.
TEST_F(ReportDialog, FileThatCannotBeCreatedIsReported) {
    ASSERT_TRUE(CreateDirectoryA(m_folder.File("taken.csv").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(m_folder.File("taken.htm").c_str(), nullptr));
    std::vector<std::string> messages;
    CWindowScript script([&](DWORD dwThread) {
        HWND hReport = WaitForDialog(dwThread, "Report");
        if (!hReport) return false;
        bool bAnswered = true;
        for (int nButton : {IDC_SAVECSV, IDC_SAVEHTML}) {
            HWND hError = nullptr;
            bAnswered = bAnswered && SaveThroughFileDialog(dwThread, hReport, nButton, m_folder.File("taken")) &&
                        (hError = WaitForDialog(dwThread, "Error")) != nullptr;
            if (!hError) break;
            std::string text;
            for (const std::string& piece : StaticTexts(hError)) text += piece;
            messages.push_back(text);
            PressButton(hError, IDOK);
            bAnswered = WaitUntil([&] { return !IsWindow(hError); });
        }
        PressButton(hReport, IDCANCEL);
        return bAnswered;
    });
    ShowTextResults();
    ASSERT_TRUE(script.Join());
    EXPECT_EQ(messages, (std::vector<std::string>{"Error creating file", "Error creating file"}));
}

TEST(ReportDialogWithoutReport, ShowsNothing) {
    CLogCapture log;
    ClearTextResults();
    // With no report there is no dialog, so this returns at once.
    ShowTextResults();
    EXPECT_TRUE(log.Holds("Could not found result!"));
}

}  // namespace
