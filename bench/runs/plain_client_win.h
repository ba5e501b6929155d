#pragma once
// The floor a run is measured against: the same requests made by the
// simplest client, one after the other, one connection at a time.
#include "simweb_service_win.h"

#include <vector>

struct ReplayResult {
    double dSeconds;
    std::size_t nFailed;
};

// Makes every request in order. A connection is kept while the host stays
// the same and replaced when it changes, so there is never more than one.
ReplayResult ReplayRequests(const std::vector<simweb::RequestLogEntry>& requests);
