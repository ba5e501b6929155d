#pragma once
// "PR boost to you": the page's worth shared among its outbound links,
// turned back into a rank step. Integer arithmetic only. Portable.
#include "base/link_record.h"

// Sets lPoint from Rank and Outcoming; false when it could not be computed.
bool GetPRBoost(URLInfo* lpInfo);
