#pragma once
// The Help menu's About box, modal over the given owner.
#include <windows.h>

void ShowAboutBox(HWND hOwner);

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
