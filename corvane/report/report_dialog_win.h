#pragma once
// The report dialog and the two exports it offers.
#include <windows.h>

constexpr std::size_t kBrowsePathSize = 260;

// Shows the report dialog (modal, no owner) when a report exists; it shows
// and saves the report as it is now, whatever a run does to it meanwhile.
void ShowTextResults();

INT_PTR CALLBACK ResDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// The save-file dialog; true with the chosen name in szPath (at least
// kBrowsePathSize bytes), false when the user cancels.
bool BrowseForFile(HWND hOwner, char* szPath, bool bHtml);
