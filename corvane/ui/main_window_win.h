#pragma once
// The main window: a modal dialog that lives as long as the program runs.
#include <windows.h>

extern HWND g_hMainWnd;
extern HWND g_hList;

INT_PTR CALLBACK FaceDlgProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Columns 5 to 7 follow the WhoIs, contact-page and e-mail options.
void ApplyColumnVisibility();
// Rebuilds the report from the rows of the result list.
void CreateResList();
// The run animation and its caption.
void StartAnimation();
void StopAnimation();
// The window as it is while a run is in progress, and back.
void EnterRunningState();
void LeaveRunningState();
