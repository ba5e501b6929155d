// "PR boost to you" from rank and outbound link count.
#include <gtest/gtest.h>

#include "evaluate/rank_boost.h"

namespace {

struct BoostCase {
    int32_t rank;
    int32_t outcoming;
    int32_t boost;
};

const BoostCase kCases[] = {
    {5, 10, 3}, {5, 1, 5},  {10, 1, 10}, {3, 36, 1}, {3, 37, 0}, {7, 100, 4}, {1, 2, 0}, {0, 5, 0}, {4, 0, 4},
    // Beyond the table: a rank above 10 counts as 10, a negative one as 0.
    {12, 1, 10}, {12, 6, 9}, {-2, 3, 0},
    // No links: the page passes on its own rank, whatever it is.
    {12, 0, 12}, {6, -1, 6},
};

class GetPRBoostTest : public ::testing::TestWithParam<BoostCase> {};

TEST_P(GetPRBoostTest, MatchesTheTable) {
    const BoostCase& c = GetParam();
    URLInfo info = MakeRecord("http://host/");
    info.Rank = c.rank;
    info.Outcoming = c.outcoming;
    info.lPoint = -99;
    EXPECT_TRUE(GetPRBoost(&info));
    EXPECT_EQ(info.lPoint, c.boost) << "rank " << c.rank << ", links " << c.outcoming;
    EXPECT_EQ(info.Rank, c.rank);
    EXPECT_EQ(info.Outcoming, c.outcoming);
}

INSTANTIATE_TEST_SUITE_P(Rows, GetPRBoostTest, ::testing::ValuesIn(kCases));

TEST(GetPRBoost, NoRecordIsAFailure) { EXPECT_FALSE(GetPRBoost(nullptr)); }

}  // namespace
