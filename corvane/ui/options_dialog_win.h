#pragma once
// The options dialog (resource 145): edits g_Options and, on OK, saves them
// and copies them into the run state.
#include <windows.h>

// Modal; the dialog's result.
INT_PTR ShowOptionsDialog(HWND hOwner);
