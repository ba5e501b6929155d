#pragma once
// The two search-engine answers page evaluation reads: the rank service's
// reply and the summary line of a "link:" result page. Portable.
#include <cstdint>
#include <string>

// The leading decimal integer of a text: blanks skipped, an optional sign,
// digits up to the first non-digit; 0 without digits. Values beyond the
// 32-bit range give its nearest end.
int32_t LeadingInteger(const char* szText);

// The number after the second ":" of the rank service's reply; 0 for an
// empty reply, the loader's "fail", fewer than two colons or nothing after
// the second.
int32_t ParseRankAnswer(const std::string& response);

// The total in bold after "of about" (or the first "of") of a "link:" result
// page; 0 when the markers are missing or the bold part is out of shape. A
// total of more than ten digits gives 2,147,483,647.
int32_t ParseBackwardLinksAnswer(const std::string& response);
