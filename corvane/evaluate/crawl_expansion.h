#pragma once
// "Follow links": the links of an accepted page become new records at the
// end of the run's work list, unless the run already knows them. Portable.
#include <string>
#include <vector>

#include "base/run_state.h"

// Appends the new, valid entries of lpLinks to g_RunList. An entry longer
// than the Source field is cut to it before anything else looks at it, so
// the duplicate test and the stored record agree.
void AddTrawledUrlsToList(const std::vector<std::string>* lpLinks, TRACEPROC TraceProc);

// First record of g_RunList whose Source contains the address (or, with
// "Domain links", its host), letter case ignored. *lpbNew is true when none
// does; an address without a host is never new.
URLInfo* IsURLExists(const char* szAddress, bool* lpbNew);
