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

void OnReportCommand(HWND hDlg, WORD wId) {
    switch (wId) {
        case IDCANCEL: EndDialog(hDlg, IDCANCEL); break;
        case IDC_SAVEHTML: ExportHtml(GetDlgItem(hDlg, IDC_REPORTTEXT)); break;
        case IDC_SAVECSV: ExportCsv(hDlg); break;
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

// A failed export (the content is built in memory) ends at the report
// dialog's barrier: the dialog stays open.
void ExportCsv(HWND hOwner) {
    ExportReport(hOwner, false, [] {
        return BuildCsvReport(g_CurList, CsvColumns{g_ReportIsTop20, g_bContact, g_bEmail, g_bWhoIs});
    });
}

void ExportHtml(HWND hOwner) {
    ExportReport(hOwner, true, [] { return BuildHtmlReport(g_ReportText); });
}

INT_PTR CALLBACK ResDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    Guarded("Exception in report dialog", [&] {
        if (uMsg == WM_INITDIALOG && g_bReportExists)
            SetDlgItemTextA(hDlg, IDC_REPORTTEXT, g_ReportText.c_str());
        else if (uMsg == WM_COMMAND)
            OnReportCommand(hDlg, LOWORD(wParam));
    });
    return FALSE;
}

void ShowTextResults() {
    if (!g_bReportExists) {
        g_Log.Write("Could not found result!\n", false);
        return;
    }
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_REPORT), nullptr, ResDlgProc, 0);
}
