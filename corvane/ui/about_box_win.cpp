#include "resources/resource.h"
#include "ui/help_boxes_win.h"

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM) {
    if (uMsg == WM_INITDIALOG) return TRUE;
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDOK) EndDialog(hDlg, 0);
    return FALSE;
}

void ShowAboutBox(HWND hOwner) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ABOUT), hOwner, AboutDlgProc, 0);
}
