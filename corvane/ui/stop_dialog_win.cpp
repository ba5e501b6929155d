#include "ui/stop_dialog_win.h"

#include <atomic>

#include "base/diagnostic_log.h"
#include "base/exception_barrier.h"
#include "base/run_state.h"
#include "resources/resource.h"
#include "run/run_controller_win.h"

namespace {

std::atomic<HWND> s_hStopDialog{nullptr};

INT_PTR HandleMessage(UINT uMsg, WPARAM wParam) {
    if (uMsg == WM_INITDIALOG) return TRUE;
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDC_FORCE) {
        ForceStop();
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK StopDlgProc(HWND, UINT uMsg, WPARAM wParam, LPARAM) {
    return GuardedValue("Exception in the stop dialog", INT_PTR{FALSE}, [&] { return HandleMessage(uMsg, wParam); });
}

}  // namespace

HWND OpenStopDialog(HWND hOwner, const char* szText, bool bShowForce) {
    HWND hDlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_STOP), hOwner, StopDlgProc, 0);
    if (!hDlg) return nullptr;
    if (bShowForce) {
        s_hStopDialog = hDlg;
        ShowWindow(GetDlgItem(hDlg, IDC_FORCE), SW_SHOW);
    }
    ShowWindow(hDlg, SW_SHOW);
    SetStopDialogText(hDlg, szText);
    return hDlg;
}

void SetStopDialogText(HWND hDlg, const char* szText) {
    SetDlgItemTextA(hDlg, IDC_STOPTEXT, szText ? szText : "");
    RedrawWindow(hDlg, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void CloseStopDialog() {
    HWND hDlg = s_hStopDialog.exchange(nullptr);
    if (hDlg) DestroyWindow(hDlg);
}
