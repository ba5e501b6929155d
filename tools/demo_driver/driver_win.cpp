// demo_driver.exe CORVANE_EXE OUTPUT_FOLDER KEYWORD1 KEYWORD2 [SEARXNG OPENPAGERANK_KEY [ADDRESSES]]
// Plays a user through one keyword run of Corvane.exe, started in
// OUTPUT_FOLDER: types the criteria, turns on the e-mail and WhoIs options,
// trawls, saves the report as CSV and HTML, sends the mail (recorded, not
// shown: POSTIL_RECORD) and closes the program. It uses only what a user
// can: texts typed into fields, clicks, answers to message boxes and the
// save-file dialog. Pictures of the windows go to OUTPUT_FOLDER as BMP.
// Prints "demo: ..." lines; "demo: rows N" carries the row count. Given a
// SearXNG instance's address and an Open PageRank key, it first chooses
// those services and RDAP for WhoIs in the Sources dialog and tests them.
// Given ADDRESSES (separated by ";"), it then trawls them in a URL run and
// takes a picture of their rows, WhoIs from RDAP among them.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

#include "resources/resource.h"
#include "screenshot_win.h"
#include "support/window_watch.h"

namespace {

constexpr DWORD kStartMs = 30000;
constexpr DWORD kDialogMs = 10000;
constexpr DWORD kRunMs = 80000;

struct Demo {
    std::string corvane;
    std::string folder;
    std::string keywords;
    PROCESS_INFORMATION process{};
    HWND hMain = nullptr;
    int nProblems = 0;
    // Today's services to choose (empty: keep the stored sources).
    std::string searxng;
    std::string openPageRankKey;
    std::string addresses;  // one per line; empty: no URL run
};

void Say(const std::string& line) {
    std::printf("demo: %s\n", line.c_str());
    std::fflush(stdout);
}

void Problem(Demo& demo, const std::string& line) {
    ++demo.nProblems;
    Say(line);
}

std::string InFolder(const Demo& demo, const char* szName) { return demo.folder + "\\" + szName; }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

LRESULT Send(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutA(hWnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &dwResult);
    return static_cast<LRESULT>(dwResult);
}

void TypeText(HWND hDialog, int nId, const std::string& text) {
    Send(GetDlgItem(hDialog, nId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void Picture(const Demo& demo, HWND hWnd, const char* szName) {
    // Paint now what the window was just told, before the screen is read.
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Send(hWnd, WM_NULL, 0, 0);
    if (!SaveWindowPicture(hWnd, InFolder(demo, szName))) Say(std::string("could not take the picture ") + szName);
}

int RowCount(const Demo& demo) {
    return static_cast<int>(Send(GetDlgItem(demo.hMain, IDC_RESULTS), LVM_GETITEMCOUNT, 0, 0));
}

// A message box of the program's main thread with that caption, or none.
HWND MessageBoxOf(const Demo& demo, const char* szCaption, DWORD dwTimeoutMs) {
    HWND hBox = WaitForDialog(demo.process.dwThreadId, szCaption, dwTimeoutMs);
    return hBox && GetDlgItem(hBox, 0xFFFF) ? hBox : nullptr;
}

std::string MessageText(HWND hBox) { return WindowText(GetDlgItem(hBox, 0xFFFF)); }

// Answers an error box, if one is up, and says what it said.
bool AnswerError(Demo& demo, const char* szCaption) {
    HWND hBox = MessageBoxOf(demo, szCaption, 0);
    if (!hBox) return false;
    Problem(demo, "the program said: " + MessageText(hBox));
    PressButton(hBox, IDOK);
    return true;
}

bool FindMainWindow(Demo& demo) {
    WaitUntil([&] {
        HWND hWnd = WaitForDialog(demo.process.dwThreadId, "Pellmark", 0);
        if (hWnd && GetDlgItem(hWnd, IDC_RESULTS)) demo.hMain = hWnd;
        return demo.hMain != nullptr || AnswerError(demo, "Pellmark");
    }, kStartMs);
    return demo.hMain != nullptr;
}

bool StartProgram(Demo& demo) {
    // The mail component records what it would show instead of showing it.
    SetEnvironmentVariableA("POSTIL_RECORD", InFolder(demo, "mail-record.txt").c_str());
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::string commandLine = "\"" + demo.corvane + "\"";
    if (!CreateProcessA(demo.corvane.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        demo.folder.c_str(), &startup, &demo.process)) {
        Problem(demo, "could not start " + demo.corvane);
        return false;
    }
    if (FindMainWindow(demo)) return true;
    Problem(demo, "the main window did not open");
    return false;
}

const int kResultsTest[] = {IDC_SRC_RESULTS_TEST, IDC_SRC_RESULTS_ANSWER};
const int kRankTest[] = {IDC_SRC_RANK_TEST, IDC_SRC_RANK_ANSWER};

// Whether the stored sources wait for the user's first choice.
bool SourcesAwaitChoice() {
    DWORD dwChosen = 1, dwSize = sizeof dwChosen;
    return RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Pellmark\\Sources", "Chosen", RRF_RT_REG_DWORD, nullptr,
                        &dwChosen, &dwSize) == ERROR_SUCCESS &&
           dwChosen == 0;
}

// Today's services, as a user types them: a SearXNG instance for result
// pages and an Open PageRank key for ranks; each tested before the choice
// is saved, so that the picture shows what the tests said.
void ChooseTodaysSources(Demo& demo, HWND hSources) {
    Send(GetDlgItem(hSources, IDC_SRC_RESULTS_SEARXNG), BM_CLICK, 0, 0);
    TypeText(hSources, IDC_SRC_SEARXNG_ADDRESS, demo.searxng);
    Send(GetDlgItem(hSources, IDC_SRC_RANK_OPR), BM_CLICK, 0, 0);
    TypeText(hSources, IDC_SRC_OPR_KEY, demo.openPageRankKey);
    Send(GetDlgItem(hSources, IDC_SRC_WHOIS_RDAP), BM_CLICK, 0, 0);
    for (const int* lpIds : {kResultsTest, kRankTest}) {
        HWND hAnswer = GetDlgItem(hSources, lpIds[1]);
        SetWindowTextA(hAnswer, "");
        PressButton(hSources, lpIds[0]);
        // The answer replaces "Asking..." when the test's query is back.
        if (!WaitUntil([&] {
                const std::string answer = WindowText(hAnswer);
                return !answer.empty() && answer != "Asking..." && IsWindowEnabled(GetDlgItem(hSources, lpIds[0]));
            }, kDialogMs))
            Problem(demo, "a test of the sources did not end");
        Say("sources test: " + WindowText(GetDlgItem(hSources, lpIds[1])));
    }
}

// The Sources dialog opens by itself on the first start after a new
// install; otherwise the user opens it from the menu. Either way its
// picture is taken and the choice in it kept, or today's services chosen
// when the demo names them.
void LookAtSources(Demo& demo) {
    const bool bAsked = SourcesAwaitChoice();
    if (!bAsked) PostMessageA(demo.hMain, WM_COMMAND, MAKEWPARAM(ID_SETTINGS_SOURCES, 0), 0);
    HWND hSources = WaitForDialog(demo.process.dwThreadId, "Sources", kDialogMs);
    if (!hSources) {
        Problem(demo, bAsked ? "the first start did not ask for the sources" : "the Sources dialog did not open");
        return;
    }
    if (!demo.searxng.empty()) ChooseTodaysSources(demo, hSources);
    Picture(demo, hSources, "sources-dialog.bmp");
    Say(bAsked ? "sources: asked at the first start; the choice in the dialog kept"
               : demo.searxng.empty() ? "sources: looked at, kept"
                                     : "sources: SearXNG results, Open PageRank ranks, WhoIs from RDAP");
    PressButton(hSources, IDOK);
    WaitUntil([&] { return !IsWindow(hSources); }, kDialogMs);
}

void CheckBox(HWND hDialog, int nId) {
    HWND hBox = GetDlgItem(hDialog, nId);
    if (Send(hBox, BM_GETCHECK, 0, 0) != BST_CHECKED) Send(hBox, BM_CLICK, 0, 0);
}

void ChooseOptions(Demo& demo) {
    PostMessageA(demo.hMain, WM_COMMAND, MAKEWPARAM(ID_SETTINGS_OPTIONS, 0), 0);
    HWND hOptions = WaitForDialog(demo.process.dwThreadId, "Options", kDialogMs);
    if (!hOptions) {
        Problem(demo, "the options dialog did not open; the run goes on with the stored options");
        return;
    }
    CheckBox(hOptions, IDC_OPT_EMAIL);
    CheckBox(hOptions, IDC_OPT_WHOIS);
    Say("options: e-mail and WhoIs on");
    PressButton(hOptions, IDOK);
    WaitUntil([&] { return !IsWindow(hOptions); }, kDialogMs);
}

void EnterCriteria(const Demo& demo) {
    TypeText(demo.hMain, IDC_KEYWORDS, demo.keywords);
    TypeText(demo.hMain, IDC_MINRANK, "0");
    TypeText(demo.hMain, IDC_MAXRESULTS, "20");
}

// Trawls and waits for "Finished"; a picture is taken once rows show.
HWND Trawl(Demo& demo) {
    PressButton(demo.hMain, IDC_TRAWL);
    HWND hFinished = nullptr;
    bool bPictured = false;
    WaitUntil([&] {
        hFinished = MessageBoxOf(demo, "Finished", 0);
        if (!bPictured && (RowCount(demo) > 0 || hFinished)) {
            Picture(demo, demo.hMain, "main-window-running.bmp");
            bPictured = true;
        }
        return hFinished != nullptr || AnswerError(demo, "Error");
    }, kRunMs);
    return hFinished;
}

// Presses "Stop" after the time limit and waits for the end of the run.
HWND StopRun(Demo& demo) {
    Problem(demo, "the run did not finish in time; pressing Stop");
    PressButton(demo.hMain, IDC_TRAWL);
    return MessageBoxOf(demo, "Finished", kRunMs);
}

bool SaveReport(Demo& demo, HWND hReport, int nButton, const char* szName) {
    const std::string path = InFolder(demo, szName);
    if (!SaveThroughFileDialog(demo.process.dwThreadId, hReport, nButton, path, kDialogMs)) {
        Problem(demo, "the save-file dialog did not take the name " + path);
        return false;
    }
    if (WaitUntil([&] { return Exists(path); }, kDialogMs)) return true;
    Problem(demo, "the report was not saved as " + path);
    return false;
}

void ShowAndSaveReport(Demo& demo, HWND hFinished) {
    Say("finished: " + MessageText(hFinished));
    PressButton(hFinished, IDOK);
    HWND hReport = WaitForDialog(demo.process.dwThreadId, "Report", kDialogMs);
    if (!hReport) {
        Problem(demo, "the report dialog did not open");
        return;
    }
    HWND hText = GetDlgItem(hReport, IDC_REPORTTEXT);
    if (!WaitUntil([&] { return IsWindowVisible(hReport) && Send(hText, WM_GETTEXTLENGTH, 0, 0) > 0; }, kDialogMs))
        Problem(demo, "the report dialog shows no text");
    Picture(demo, hReport, "report-dialog.bmp");
    SaveReport(demo, hReport, IDC_SAVECSV, "pellmark-report.csv");
    SaveReport(demo, hReport, IDC_SAVEHTML, "pellmark-report.html");
    PressButton(hReport, IDCANCEL);
    WaitUntil([&] { return !IsWindow(hReport); }, kDialogMs);
}

void SendMail(Demo& demo) {
    const std::string record = InFolder(demo, "mail-record.txt");
    PressButton(demo.hMain, IDC_SENDMAIL);
    WaitUntil([&] { return Exists(record) || AnswerError(demo, "Pellmark"); }, kDialogMs);
    if (Exists(record)) Say("mail: the addresses went to the mail component");
}

// A URL run of the given addresses alone (no links followed), typed into
// the "URL Trawl" dialog; the report it offers is closed unread.
void TrawlAddresses(Demo& demo) {
    PressButton(demo.hMain, IDC_TRAWLURLS);
    HWND hDialog = WaitForDialog(demo.process.dwThreadId, "URL Trawl", kDialogMs);
    if (!hDialog) {
        Problem(demo, "the URL Trawl dialog did not open");
        return;
    }
    TypeText(hDialog, IDC_URLTEXT, demo.addresses);
    HWND hFollow = GetDlgItem(hDialog, IDC_FOLLOWLINKS);
    if (Send(hFollow, BM_GETCHECK, 0, 0) == BST_CHECKED) Send(hFollow, BM_CLICK, 0, 0);
    PressButton(hDialog, IDOK);
    HWND hFinished = MessageBoxOf(demo, "Finished", kRunMs);
    if (!hFinished) hFinished = StopRun(demo);
    if (!hFinished) {
        Problem(demo, "the URL run offered no end");
        return;
    }
    PressButton(hFinished, IDOK);
    HWND hReport = WaitForDialog(demo.process.dwThreadId, "Report", kDialogMs);
    if (hReport) PressButton(hReport, IDCANCEL);
    Say("URL run: " + std::to_string(RowCount(demo)) + " rows");
    // The WhoIs column in sight, as a user scrolls to it.
    Send(GetDlgItem(demo.hMain, IDC_RESULTS), LVM_SCROLL, 300, 0);
    Picture(demo, demo.hMain, "main-window-whois.bmp");
}

void CloseProgram(Demo& demo) {
    PressButton(demo.hMain, IDCANCEL);
    if (WaitForSingleObject(demo.process.hProcess, kDialogMs) == WAIT_OBJECT_0) return;
    Problem(demo, "the program did not close; ending it");
    TerminateProcess(demo.process.hProcess, 1);
}

void PlayUser(Demo& demo) {
    Picture(demo, demo.hMain, "main-window-start.bmp");
    LookAtSources(demo);
    EnterCriteria(demo);
    ChooseOptions(demo);
    HWND hFinished = Trawl(demo);
    if (!hFinished) hFinished = StopRun(demo);
    if (!hFinished) {
        Problem(demo, "no end of run was offered");
        return;
    }
    Say("rows " + std::to_string(RowCount(demo)));
    ShowAndSaveReport(demo, hFinished);
    Picture(demo, demo.hMain, "main-window-after.bmp");
    SendMail(demo);
    if (!demo.addresses.empty()) TrawlAddresses(demo);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5 && argc != 7 && argc != 8) {
        std::fprintf(stderr, "usage: demo_driver CORVANE_EXE OUTPUT_FOLDER KEYWORD1 KEYWORD2 "
                             "[SEARXNG_ADDRESS OPENPAGERANK_KEY [ADDRESSES]]\n");
        return 2;
    }
    Demo demo;
    demo.corvane = argv[1];
    demo.folder = argv[2];
    demo.keywords = std::string(argv[3]) + "\r\n" + argv[4];
    if (argc >= 7) {
        demo.searxng = argv[5];
        demo.openPageRankKey = argv[6];
    }
    if (argc == 8) {
        for (char c : std::string(argv[7])) demo.addresses += c == ';' ? std::string("\r\n") : std::string(1, c);
    }
    if (!StartProgram(demo)) return 1;
    PlayUser(demo);
    CloseProgram(demo);
    CloseHandle(demo.process.hThread);
    CloseHandle(demo.process.hProcess);
    if (demo.nProblems == 0) return 0;
    Say(std::to_string(demo.nProblems) + " thing(s) did not go as a user expects; see above");
    return 1;
}
