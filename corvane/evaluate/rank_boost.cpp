#include "evaluate/rank_boost.h"

#include <algorithm>

#include "base/diagnostic_log.h"

namespace {

// Each rank step is worth six times the one below; rank 0 is worth nothing.
constexpr int32_t kWorth[11] = {0, 6, 36, 216, 1296, 7776, 46656, 279936, 1679616, 10077696, 60466176};
constexpr int32_t kTopRank = 10;

}  // namespace

bool GetPRBoost(URLInfo* lpInfo) {
    if (!lpInfo) {
        g_Log.Write("Exception while counting PR-Boost");
        return false;
    }
    lpInfo->lPoint = 0;
    if (lpInfo->Outcoming <= 0) {
        lpInfo->lPoint = lpInfo->Rank;
        return true;
    }
    // The service may answer outside 0..10; such a rank counts as the
    // nearest end of the scale.
    int32_t nRank = std::clamp(lpInfo->Rank, 0, kTopRank);
    int32_t nShare = kWorth[nRank] / lpInfo->Outcoming;
    for (int32_t i = 0; i <= kTopRank && nShare >= kWorth[i]; ++i) lpInfo->lPoint = i;
    return true;
}
