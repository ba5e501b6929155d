#pragma once
// The result list of the main window as the run sees it: accepted records
// become rows through blocking messages to the main window.
#include "base/link_record.h"

// Private messages from a run to the main window.
constexpr unsigned kWmListUpdated = 0x0400 + 1;    // WM_USER + 1, sent, lParam = URLInfo*
constexpr unsigned kWmFinished = 0x0400 + 1001;    // WM_USER + 1001, posted, wParam = report built

// Sent by UpdateList to the main window, which makes the row on its own
// thread: wParam = the run serial of the sending thread, lParam = URLInfo*.
constexpr unsigned kWmUpdateRow = 0x8000 + 1;      // WM_APP + 1

// Inserts (Item < 0) or updates the record's row; called on evaluation threads.
void UpdateList(URLInfo* lpInfo);
// The main window's side of UpdateList. A record from an evaluation of a
// run that has ended makes no row: after "Force" such an evaluation may
// still come back. Serial 0 belongs to no run and is always taken.
void ApplyRow(unsigned nSerial, URLInfo* lpInfo);
// Shows the rows that arrived since the last call; the rows themselves
// (their count, texts and order) are in the list from ApplyRow on. Called
// on the main window's thread.
void ShowHeldRows();
