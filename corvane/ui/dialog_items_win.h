#pragma once
// The few calls every dialog and the main window make on their own items.
#include <windows.h>

inline bool IsChecked(HWND hDlg, int nId) { return IsDlgButtonChecked(hDlg, nId) == BST_CHECKED; }

inline void SetChecked(HWND hDlg, int nId, bool bChecked) {
    CheckDlgButton(hDlg, nId, bChecked ? BST_CHECKED : BST_UNCHECKED);
}

inline void EnableItem(HWND hDlg, int nId, bool bEnable) { EnableWindow(GetDlgItem(hDlg, nId), bEnable ? TRUE : FALSE); }
