#pragma once
// The "URL Trawl" dialog: the start addresses and the three run flags.
#include <windows.h>

constexpr int kUrlTextLimit = 131072;

// szBuffer holds 4096 characters; answers 1 (confirmed) or 0 (cancelled).
INT_PTR ShowUrlDialog(HWND hOwner, char* szBuffer);
INT_PTR CALLBACK KeywordDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
