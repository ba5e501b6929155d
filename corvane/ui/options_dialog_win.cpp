#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_state.h"
#include "resources/resource.h"
#include "ui/dialog_items_win.h"
#include "ui/main_window_win.h"
#include "ui/options_dialog_win.h"
#include "ui/settings_win.h"

namespace {

constexpr int kDelayFieldSize = 260;

void InitOptions(HWND hDlg) {
    // The field shows the delay in force; the stored one takes over after.
    int nCurrentDelay = g_nQueryDelay;
    if (!LoadStoredOptions()) return;
    char szDelay[kDelayFieldSize];
    std::snprintf(szDelay, sizeof szDelay, "%u", static_cast<unsigned>(nCurrentDelay));
    SetDlgItemTextA(hDlg, IDC_OPT_DELAY, szDelay);
    if (g_bKeyword) SetDlgItemTextA(hDlg, IDC_OPT_KEYWORDS, g_szKeywords.c_str());
    SetChecked(hDlg, IDC_OPT_KEYWORD, g_bKeyword);
    SetChecked(hDlg, IDC_OPT_EMAIL, g_bEmail);
    SetChecked(hDlg, IDC_OPT_CONTACT, g_bContact);
    SetChecked(hDlg, IDC_OPT_WHOIS, g_bWhoIs);
}

// The dialog's choices, copied into the run state and the settings object
// and saved as one step under the options lock: an evaluation that reloads
// the stored options meanwhile would otherwise put the old ones back in
// memory and have them saved, or change the keywords while they are copied.
void AcceptOptions(HWND hDlg) {
    std::string szKeywords = FieldText(hDlg, IDC_OPT_KEYWORDS);
    char szDelay[kDelayFieldSize] = "";
    GetDlgItemTextA(hDlg, IDC_OPT_DELAY, szDelay, sizeof szDelay);
    {
        std::lock_guard<CRecoverableLock> guard(OptionsLock());
        g_bKeyword = IsChecked(hDlg, IDC_OPT_KEYWORD);
        g_bEmail = IsChecked(hDlg, IDC_OPT_EMAIL);
        g_bContact = IsChecked(hDlg, IDC_OPT_CONTACT);
        g_bWhoIs = IsChecked(hDlg, IDC_OPT_WHOIS);
        g_szKeywords = std::move(szKeywords);
        g_Options.SetContactFlag(g_bContact);
        g_Options.SetEmailFlag(g_bEmail);
        g_Options.SetKeywordFlag(g_bKeyword);
        g_Options.SetWhoIsFlag(g_bWhoIs);
        g_Options.SetKeywords(g_szKeywords);
        g_nQueryDelay = static_cast<int>(std::strtol(szDelay, nullptr, 10));
        g_Options.SetQueryDelay(g_nQueryDelay);
        g_Options.Save();
    }
    ApplyColumnVisibility();
}

INT_PTR HandleMessage(HWND hDlg, UINT uMsg, WPARAM wParam) {
    switch (uMsg) {
    case WM_INITDIALOG:
        InitOptions(hDlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            AcceptOptions(hDlg);
            EndDialog(hDlg, 1);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(hDlg, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        EndDialog(hDlg, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK OptionsDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    return GuardedValue("Exception in the options dialog", INT_PTR{FALSE},
                        [&] { return HandleMessage(hDlg, uMsg, wParam); });
}

}  // namespace

INT_PTR ShowOptionsDialog(HWND hOwner) {
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPTIONS), hOwner, OptionsDlgProc, 0);
}
