#include "page_rank.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace simweb {

namespace {

int IdealRank(double dValue, double dLow, double dHigh) {
    int nRank = static_cast<int>(std::floor(ToolbarScale(dValue, dLow, dHigh) + 1e-9));
    return std::min(std::max(nRank, 0), kMaxToolbarRank);
}

// Sorted by PageRank, ties by in-degree, so a tie never hides a boundary.
std::vector<int> PagesByRank(const std::vector<double>& pageRank, const std::vector<int>& inDegree) {
    std::vector<int> order(pageRank.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        if (pageRank[a] != pageRank[b]) return pageRank[a] < pageRank[b];
        return inDegree[a] < inDegree[b];
    });
    return order;
}

}  // namespace

double ToolbarScale(double dValue, double dLow, double dHigh) {
    if (!(dHigh > dLow) || dValue <= dLow) return 0;
    return kMaxToolbarRank * std::log(dValue / dLow) / std::log(dHigh / dLow);
}

std::vector<double> ComputePageRank(const std::vector<std::vector<int>>& outLinks, double dTolerance,
                                    int nMaxRounds) {
    const std::size_t n = outLinks.size();
    if (n == 0) return {};
    std::vector<double> rank(n, 1.0 / n), next(n);
    for (int nRound = 0; nRound < nMaxRounds; ++nRound) {
        double dDangling = 0;
        for (std::size_t i = 0; i < n; ++i)
            if (outLinks[i].empty()) dDangling += rank[i];
        double dBase = (1.0 - kDamping) / n + kDamping * dDangling / n;
        std::fill(next.begin(), next.end(), dBase);
        for (std::size_t i = 0; i < n; ++i) {
            if (outLinks[i].empty()) continue;
            double dShare = kDamping * rank[i] / outLinks[i].size();
            for (int target : outLinks[i]) next[target] += dShare;
        }
        double dChange = 0;
        for (std::size_t i = 0; i < n; ++i) dChange += std::fabs(next[i] - rank[i]);
        rank.swap(next);
        if (dChange < dTolerance) break;
    }
    return rank;
}

std::vector<int> ToolbarRanks(const std::vector<double>& pageRank, const std::vector<int>& inDegree) {
    const std::size_t n = pageRank.size();
    std::vector<int> ranks(n, 0);
    if (n == 0) return ranks;
    std::vector<int> order = PagesByRank(pageRank, inDegree);
    // suffixMin[i]: fewest in-links among order[i..n-1].
    std::vector<int> suffixMin(n + 1, std::numeric_limits<int>::max());
    for (std::size_t i = n; i-- > 0;) suffixMin[i] = std::min(suffixMin[i + 1], inDegree[order[i]]);
    double dLow = pageRank[order.front()], dHigh = pageRank[order.back()];
    std::size_t blockStart = 0;
    int nPrefixMax = 0;
    for (std::size_t i = 0; i < n; ++i) {
        nPrefixMax = std::max(nPrefixMax, inDegree[order[i]]);
        bool bLast = i + 1 == n;
        bool bBoundary = bLast || (pageRank[order[i]] < pageRank[order[i + 1]] && nPrefixMax <= suffixMin[i + 1]);
        if (!bBoundary) continue;
        // The block takes the step of its middle page.
        int nStep = IdealRank(pageRank[order[(blockStart + i) / 2]], dLow, dHigh);
        for (std::size_t k = blockStart; k <= i; ++k) ranks[order[k]] = nStep;
        blockStart = i + 1;
    }
    return ranks;
}

}  // namespace simweb
