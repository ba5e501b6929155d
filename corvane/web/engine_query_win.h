#pragma once
// One search-engine query, as every run and every evaluation makes it: the
// pause since the last query, the load, and the time stamp the next pause
// is measured from.
#include <string>

#include "web/page_loader_win.h"

// The page at szAddress (the loader's "fail" included), loaded after the
// query pause with nProgress as the loader's progress position.
// g_tLastQuery is stamped afterwards, whatever the load gave.
std::string LoadEnginePage(const char* szAddress, int nProgress);

// The same for a request to one of today's result or rank services: its
// request headers (which may hold a key) and its status with the body.
CPageAnswer LoadServiceAnswer(const std::string& address, const std::string& headers, int nProgress);
