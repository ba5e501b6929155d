#pragma once
// The Help menu's contact box with its web and mail links, modal over the
// given owner.
#include <windows.h>

void ShowContactBox(HWND hOwner);

INT_PTR CALLBACK ContactDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
