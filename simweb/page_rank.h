#pragma once
// PageRank over the corpus link graph and its 0-10 toolbar scale.
#include <cstddef>
#include <vector>

namespace simweb {

constexpr double kDamping = 0.85;
constexpr int kMaxToolbarRank = 10;

// outLinks[i]: the distinct pages page i links to (no self links). Pages
// without links share their weight with every page. Iterates until the
// total change of one round is below nTolerance. The values sum to 1.
std::vector<double> ComputePageRank(const std::vector<std::vector<int>>& outLinks, double dTolerance = 1e-12,
                                    int nMaxRounds = 1000);

// A PageRank on the toolbar's 0-10 logarithmic scale between the lowest
// and highest value, before it is cut to a whole step.
double ToolbarScale(double dValue, double dLow, double dHigh);

// Toolbar ranks 0..10: the logarithm of PageRank between the corpus's
// smallest and largest value, stretched over the scale. The scale has
// two promises: a higher PageRank never gives a lower rank, and a page
// that more pages link to never ranks below one that fewer link to.
// Where the two orders disagree, the pages in between share one step:
// a step boundary is only drawn where every page below it has no more
// in-links than any page above it.
std::vector<int> ToolbarRanks(const std::vector<double>& pageRank, const std::vector<int>& inDegree);

}  // namespace simweb
