#pragma once
// The result list of the main window as the run sees it: accepted records
// become rows through blocking messages to the main window.
#include "run/link_record.h"

// Private messages from a run to the main window.
constexpr unsigned kWmListUpdated = 0x0400 + 1;    // WM_USER + 1, sent, lParam = URLInfo*
constexpr unsigned kWmFinished = 0x0400 + 1001;    // WM_USER + 1001, posted, wParam = report built

// Inserts (Item < 0) or updates the record's row; called on worker threads.
void UpdateList(URLInfo* lpInfo);
