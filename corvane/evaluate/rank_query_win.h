#pragma once
// The two search-engine queries of page evaluation: the page's rank from
// the toolbar rank service and its backward-link count from a "link:"
// search. Each pauses for the query interval first and stamps
// g_tLastQuery afterwards, whatever the load gave.
#include "base/link_record.h"

// The rank of the address from the run's rank service; 0 when none was
// learned. A negative nProgress shows g_nLinks as the loader's progress
// position.
int GetCorvane(const char* szAddress, int nProgress);

// The number of pages linking to the record's Source; 0 when none was
// found, kNotMeasured when the run's result service answers no "link:"
// query.
int GetBackwardLinks(const URLInfo* lpInfo);
