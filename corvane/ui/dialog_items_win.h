#pragma once
// The few calls every dialog and the main window make on their own items.
#include <windows.h>

#include <string>

inline bool IsChecked(HWND hDlg, int nId) { return IsDlgButtonChecked(hDlg, nId) == BST_CHECKED; }

inline void SetChecked(HWND hDlg, int nId, bool bChecked) {
    CheckDlgButton(hDlg, nId, bChecked ? BST_CHECKED : BST_UNCHECKED);
}

inline void EnableItem(HWND hDlg, int nId, bool bEnable) { EnableWindow(GetDlgItem(hDlg, nId), bEnable ? TRUE : FALSE); }

// The whole text of an item, however long.
inline std::string FieldText(HWND hDlg, int nId) {
    HWND hField = GetDlgItem(hDlg, nId);
    int nLength = hField ? GetWindowTextLengthA(hField) : 0;
    if (nLength <= 0) return std::string();
    std::string text(static_cast<std::size_t>(nLength) + 1, '\0');
    int nCopied = GetWindowTextA(hField, &text[0], nLength + 1);
    text.resize(static_cast<std::size_t>(nCopied > 0 ? nCopied : 0));
    return text;
}
