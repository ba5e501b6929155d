#pragma once
// The modeless "Working...." dialog shown while a stop is pending (and, with
// another title and no "Force", as the Top-20 run's progress window).
#include <windows.h>

// Opens the dialog owned by hOwner on the calling thread; the handle is
// also kept for CloseStopDialog.
HWND OpenStopDialog(HWND hOwner, const char* szText, bool bShowForce);
void SetStopDialogText(HWND hDlg, const char* szText);
// Destroys the dialog opened for a stop request, if it is open.
void CloseStopDialog();
