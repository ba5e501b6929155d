#include "ui/url_dialog_win.h"

#include <string>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_state.h"
#include "resources/resource.h"
#include "ui/dialog_items_win.h"

namespace {

constexpr int kUrlBufferSize = 4096;

// "Trawl Backlinks" is open only while both other boxes are off.
void UpdateBacklinksBox(HWND hDlg) { EnableItem(hDlg, IDC_BACKLINKS, !g_bFollowLinks && !g_bDomainLinks); }

void OnInit(HWND hDlg, LPARAM lParam) {
    SetWindowLongPtrA(hDlg, DWLP_USER, lParam);
    SetChecked(hDlg, IDC_FOLLOWLINKS, true);
    SetChecked(hDlg, IDC_DOMAINLINKS, true);
    SendDlgItemMessageA(hDlg, IDC_URLTEXT, EM_SETLIMITTEXT, kUrlTextLimit, 0);
    g_bFollowLinks = true;
    g_bDomainLinks = true;
}

void OnOk(HWND hDlg) {
    g_bFollowLinks = IsChecked(hDlg, IDC_FOLLOWLINKS);
    g_bDomainLinks = IsChecked(hDlg, IDC_DOMAINLINKS);
    g_bTrawlBacklinks = IsChecked(hDlg, IDC_BACKLINKS);
    char* szBuffer = reinterpret_cast<char*>(GetWindowLongPtrA(hDlg, DWLP_USER));
    if (szBuffer) GetDlgItemTextA(hDlg, IDC_URLTEXT, szBuffer, kUrlBufferSize);
    EndDialog(hDlg, 1);
}

void OnCommand(HWND hDlg, int nId) {
    switch (nId) {
    case IDOK:
        OnOk(hDlg);
        break;
    case IDCANCEL:
        EndDialog(hDlg, 0);
        break;
    case IDC_FOLLOWLINKS:
        g_bFollowLinks = IsChecked(hDlg, IDC_FOLLOWLINKS);
        UpdateBacklinksBox(hDlg);
        break;
    case IDC_DOMAINLINKS:
        g_bDomainLinks = IsChecked(hDlg, IDC_DOMAINLINKS);
        UpdateBacklinksBox(hDlg);
        break;
    case IDC_BACKLINKS: {
        bool bBacklinks = IsChecked(hDlg, IDC_BACKLINKS);
        EnableItem(hDlg, IDC_FOLLOWLINKS, !bBacklinks);
        EnableItem(hDlg, IDC_DOMAINLINKS, !bBacklinks);
        break;
    }
    default:
        break;
    }
}

INT_PTR HandleMessage(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_INITDIALOG:
        OnInit(hDlg, lParam);
        return TRUE;
    case WM_COMMAND:
        OnCommand(hDlg, LOWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        EndDialog(hDlg, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK KeywordDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return GuardedValue("Exception in KeywordDlgProc", INT_PTR{FALSE},
                        [&] { return HandleMessage(hDlg, uMsg, wParam, lParam); });
}

INT_PTR ShowUrlDialog(HWND hOwner, char* szBuffer) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_URL), hOwner, KeywordDlgProc,
                           reinterpret_cast<LPARAM>(szBuffer));
}
