#include "report/report_dialog_win.h"

#include <commdlg.h>

#include <string>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_state.h"
#include "platform_owners_win.h"
#include "report/report_export.h"
#include "report/text_report.h"
#include "resources/resource.h"

namespace {

// Asks for a name, adds the extension and writes the content; the
// content is built only once the user has chosen a file.
template <typename BuildContent>
void ExportReport(HWND hOwner, bool bHtml, BuildContent buildContent) {
    char szPath[kBrowsePathSize] = "";
    if (!BrowseForFile(hOwner, szPath, bHtml)) return;
    std::string path = WithReportExtension(szPath, bHtml);
    CKernelHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        MessageBoxA(hOwner, "Error creating file", "Error", MB_OK | MB_ICONERROR);
        return;
    }
    std::string content = buildContent();
    DWORD dwWritten = 0;
    WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &dwWritten, nullptr);
}

// The report as it was when its dialog opened. The dialog has no owner,
// so the main window stays usable behind it: a new run may clear or
// rebuild the report meanwhile, and the dialog still saves what it shows.
// The CSV is kept as its text, a fraction of the records' size.
struct ReportSnapshot {
    std::string text;
    std::string csv;
};

ReportSnapshot TakeReportSnapshot() {
    return ReportSnapshot{g_ReportText,
                          BuildCsvReport(g_CurList, CsvColumns{g_ReportIsTop20, g_bContact, g_bEmail, g_bWhoIs})};
}

// A failed export (the content is built in memory) ends at the report
// dialog's barrier: the dialog stays open.
void ExportCsv(HWND hOwner, const ReportSnapshot& report) {
    ExportReport(hOwner, false, [&] { return report.csv; });
}

void ExportHtml(HWND hOwner, const ReportSnapshot& report) {
    ExportReport(hOwner, true, [&] { return BuildHtmlReport(report.text); });
}

void OnReportCommand(HWND hDlg, WORD wId) {
    const auto* lpReport = reinterpret_cast<const ReportSnapshot*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    switch (wId) {
        case IDCANCEL: EndDialog(hDlg, IDCANCEL); break;
        case IDC_SAVEHTML:
            if (lpReport) ExportHtml(GetDlgItem(hDlg, IDC_REPORTTEXT), *lpReport);
            break;
        case IDC_SAVECSV:
            if (lpReport) ExportCsv(hDlg, *lpReport);
            break;
        default: break;
    }
}

}  // namespace

bool BrowseForFile(HWND hOwner, char* szPath, bool bHtml) {
    static const char kHtmlFilter[] = "HTML files\0*.htm;*.html\0All files\0*.*\0";
    static const char kCsvFilter[] = "CSV files\0*.csv\0All files\0*.*\0";
    szPath[0] = '\0';
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hOwner;
    ofn.lpstrFilter = bHtml ? kHtmlFilter : kCsvFilter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = szPath;
    ofn.nMaxFile = kBrowsePathSize;
    ofn.lpstrTitle = "Select file";
    ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_ENABLESIZING;
    return GetSaveFileNameA(&ofn) != FALSE;
}

INT_PTR CALLBACK ResDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    Guarded("Exception in report dialog", [&] {
        if (uMsg == WM_INITDIALOG) {
            SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
            const auto* lpReport = reinterpret_cast<const ReportSnapshot*>(lParam);
            if (lpReport) SetDlgItemTextA(hDlg, IDC_REPORTTEXT, lpReport->text.c_str());
        } else if (uMsg == WM_COMMAND)
            OnReportCommand(hDlg, LOWORD(wParam));
    });
    return FALSE;
}

void ShowTextResults() {
    if (!g_bReportExists) {
        g_Log.Write("Could not found result!\n", false);
        return;
    }
    ReportSnapshot report = TakeReportSnapshot();
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_REPORT), nullptr, ResDlgProc,
                    reinterpret_cast<LPARAM>(&report));
}
