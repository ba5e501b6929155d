#pragma once
// The second floor: the same requests made one after the other through
// WinHTTP, with the program's session habits, so that what WinHTTP itself
// costs under this platform is told apart from the program's own work.
#include "plain_client_win.h"

#include <string>

// A service the run asked over https (port 443), with the request headers
// the program sends it (a key among them).
struct SecureService {
    std::string host;
    std::string headers;
};

// Makes every request in order, each with its own connection and request
// handle in one shared session. The session is replaced before every
// fifteenth load and after a load that failed. A request to one of the
// secure services goes over https with its headers and fails unless it
// gets the status the run got.
ReplayResult ReplayRequestsWinHttp(const std::vector<simweb::RequestLogEntry>& requests,
                                   const std::vector<SecureService>& secure = {});
