#pragma once
// The Sources dialog: where result pages and ranks come from, each with a
// "Test" that makes one real query and says what came back. Opened from
// the "Settings" menu, and by itself on the first start after a new
// install, when no source has been chosen yet.
#include <windows.h>

// Modal; 1 when the user saved a choice.
INT_PTR ShowSourcesDialog(HWND hOwner);
