#pragma once
// The second floor: the same requests made one after the other through
// WinHTTP, with the program's session habits, so that what WinHTTP itself
// costs under this platform is told apart from the program's own work.
#include "plain_client_win.h"

// Makes every request in order, each with its own connection and request
// handle in one shared session. The session is replaced before every
// fifteenth load and after a load that failed.
ReplayResult ReplayRequestsWinHttp(const std::vector<simweb::RequestLogEntry>& requests);
