#include "resources/resource.h"
#include "ui/about_box_win.h"

// OK, Esc (IDCANCEL) and the title bar's close button all close the box.
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    if (uMsg == WM_INITDIALOG) return TRUE;
    bool bClose = uMsg == WM_CLOSE || (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL));
    if (!bClose) return FALSE;
    EndDialog(hDlg, 0);
    return TRUE;
}

void ShowAboutBox(HWND hOwner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), hOwner, AboutDlgProc, 0);
}
