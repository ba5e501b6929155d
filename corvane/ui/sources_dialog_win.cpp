#include "ui/sources_dialog_win.h"

#include <memory>
#include <string>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_fence.h"
#include "resources/resource.h"
#include "run/run_controller_win.h"
#include "web/service_queries_win.h"
#include "ui/dialog_items_win.h"
#include "ui/source_settings_win.h"

namespace {

// A test's answer, posted back to the dialog by the thread that asked.
constexpr UINT kWmTestAnswer = WM_APP + 21;

void ShowChoices(HWND hDlg, const CSourceSettings& sources) {
    SetChecked(hDlg, IDC_SRC_RESULTS_CLASSIC, sources.results == EResultsSource::Classic);
    SetChecked(hDlg, IDC_SRC_RESULTS_SEARXNG, sources.results == EResultsSource::SearXng);
    SetChecked(hDlg, IDC_SRC_RESULTS_BRAVE, sources.results == EResultsSource::Brave);
    SetDlgItemTextA(hDlg, IDC_SRC_SEARXNG_ADDRESS, sources.searxngInstance.c_str());
    SetDlgItemTextA(hDlg, IDC_SRC_BRAVE_KEY, sources.braveKey.c_str());
    SetChecked(hDlg, IDC_SRC_RANK_CLASSIC, sources.rank == ERankSource::Classic);
    SetChecked(hDlg, IDC_SRC_RANK_OPR, sources.rank == ERankSource::OpenPageRank);
    SetDlgItemTextA(hDlg, IDC_SRC_OPR_KEY, sources.openPageRankKey.c_str());
    SetChecked(hDlg, IDC_SRC_WHOIS_CLASSIC, sources.whois == EWhoIsSource::Classic);
    SetChecked(hDlg, IDC_SRC_WHOIS_RDAP, sources.whois == EWhoIsSource::Rdap);
}

// The dialog's choices over the sources in force, which keep what the
// dialog does not show (the services' own addresses).
CSourceSettings TakeChoices(HWND hDlg) {
    CSourceSettings sources = TakeSourceSettings();
    sources.bChosen = true;
    sources.results = IsChecked(hDlg, IDC_SRC_RESULTS_SEARXNG) ? EResultsSource::SearXng
                      : IsChecked(hDlg, IDC_SRC_RESULTS_BRAVE) ? EResultsSource::Brave
                                                                : EResultsSource::Classic;
    sources.searxngInstance = FieldText(hDlg, IDC_SRC_SEARXNG_ADDRESS);
    sources.braveKey = FieldText(hDlg, IDC_SRC_BRAVE_KEY);
    sources.rank = IsChecked(hDlg, IDC_SRC_RANK_OPR) ? ERankSource::OpenPageRank : ERankSource::Classic;
    sources.openPageRankKey = FieldText(hDlg, IDC_SRC_OPR_KEY);
    sources.whois = IsChecked(hDlg, IDC_SRC_WHOIS_RDAP) ? EWhoIsSource::Rdap : EWhoIsSource::Classic;
    return sources;
}

// One test on a thread of its own: a query may wait for the loader's
// time-outs, and the dialog must go on answering meanwhile.
struct TestRequest {
    HWND hDlg;
    int nAnswerId;
    CSourceSettings sources;
};

unsigned __stdcall TestThread(void* lpParam) {
    std::unique_ptr<TestRequest> request(static_cast<TestRequest*>(lpParam));
    // A stop that ended the last run does not cut the test's answer short.
    BindThreadToRun(kOutsideRuns);
    auto answer = std::make_unique<std::string>();
    Guarded("Exception in a source test", [&] {
        *answer = request->nAnswerId == IDC_SRC_RESULTS_ANSWER ? TestResultsSource(request->sources)
                                                               : TestRankSource(request->sources);
    });
    if (answer->empty()) *answer = "The test could not be made.";
    if (PostMessageA(request->hDlg, kWmTestAnswer, static_cast<WPARAM>(request->nAnswerId),
                     reinterpret_cast<LPARAM>(answer.get())))
        answer.release();  // the dialog owns it now
    return 0;
}

void StartTest(HWND hDlg, int nButtonId, int nAnswerId) {
    auto request = std::make_unique<TestRequest>(TestRequest{hDlg, nAnswerId, TakeChoices(hDlg)});
    if (!StartThread(TestThread, request.get())) {
        SetDlgItemTextA(hDlg, nAnswerId, "The test could not be started.");
        return;
    }
    request.release();  // the thread owns it now
    EnableItem(hDlg, nButtonId, false);
    SetDlgItemTextA(hDlg, nAnswerId, "Asking...");
}

void ShowTestAnswer(HWND hDlg, WPARAM wAnswerId, LPARAM lAnswer) {
    std::unique_ptr<std::string> answer(reinterpret_cast<std::string*>(lAnswer));
    const int nAnswerId = static_cast<int>(wAnswerId);
    SetDlgItemTextA(hDlg, nAnswerId, answer->c_str());
    EnableItem(hDlg, nAnswerId == IDC_SRC_RESULTS_ANSWER ? IDC_SRC_RESULTS_TEST : IDC_SRC_RANK_TEST, true);
}

void AcceptChoices(HWND hDlg) {
    CSourceSettings sources = TakeChoices(hDlg);
    PutSourceSettings(sources);
    if (!SaveSourceSettings(sources)) {
        g_Log.Write("Sources: the choice could not be stored");
        MessageBoxA(hDlg, "The sources could not be stored in the registry; they hold until Pellmark ends.",
                    "Sources", MB_OK | MB_ICONWARNING);
    }
    EndDialog(hDlg, 1);
}

INT_PTR HandleMessage(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_INITDIALOG:
        ShowChoices(hDlg, TakeSourceSettings());
        return TRUE;
    case kWmTestAnswer:
        ShowTestAnswer(hDlg, wParam, lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: AcceptChoices(hDlg); return TRUE;
        case IDCANCEL: EndDialog(hDlg, 0); return TRUE;
        case IDC_SRC_RESULTS_TEST: StartTest(hDlg, IDC_SRC_RESULTS_TEST, IDC_SRC_RESULTS_ANSWER); return TRUE;
        case IDC_SRC_RANK_TEST: StartTest(hDlg, IDC_SRC_RANK_TEST, IDC_SRC_RANK_ANSWER); return TRUE;
        default: return FALSE;
        }
    case WM_CLOSE:
        EndDialog(hDlg, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK SourcesDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return GuardedValue("Exception in the sources dialog", INT_PTR{FALSE},
                        [&] { return HandleMessage(hDlg, uMsg, wParam, lParam); });
}

}  // namespace

INT_PTR ShowSourcesDialog(HWND hOwner) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SOURCES), hOwner, SourcesDlgProc, 0);
}
