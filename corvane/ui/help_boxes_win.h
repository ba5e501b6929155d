#pragma once
// The Help menu's informational boxes, modal over the given owner.
#include <windows.h>

void ShowAboutBox(HWND hOwner);
void ShowContactBox(HWND hOwner);

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ContactDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
