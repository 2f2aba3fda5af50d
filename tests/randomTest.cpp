#include "random.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct Draw {
    std::int32_t n;
    std::int32_t result;
    std::uint32_t stateAfter;
};

void ExpectDraws(std::uint32_t start, std::initializer_list<Draw> draws) {
    RandomState = start;
    for (const Draw& d : draws) {
        EXPECT_EQ(RandomBelow(d.n), d.result) << "n=" << d.n;
        EXPECT_EQ(RandomState, d.stateAfter) << "n=" << d.n;
    }
}

TEST(RandomBelow, KnownSequences) {
    ExpectDraws(0, {{1000, 0, 1u},
                    {1000, 31, 134775814u},
                    {1000, 861, 3698175007u},
                    {1000, 202, 870078620u},
                    {1000, 272, 1172187917u}});
    // n = 0 gives 0 and still advances the state.
    ExpectDraws(0, {{0, 0, 1u}, {0, 0, 134775814u}});
    // A negative n is its unsigned pattern (-1 is 2^32 - 1); the result may read negative.
    ExpectDraws(0, {{-1, 0, 1u},
                    {-1, 134775813, 134775814u},
                    {-1, -596792290, 3698175007u},
                    {INT32_MIN, 435039310, 870078620u}});
}

TEST(RandomBelow, StaysBelowThePositiveBound) {
    for (std::int32_t n : {1, 2, 3, 99, 1000, INT32_MAX}) {
        RandomState = 0x9E3779B9u;
        for (int i = 0; i < 10000; ++i) {
            const std::int32_t r = RandomBelow(n);
            ASSERT_TRUE(r >= 0 && r < n) << "n=" << n << " gave " << r;
        }
    }
}

TEST(SeedRandom, FollowsARunningClock) {
    SeedRandom();
    const std::uint32_t first = RandomState;
    for (int i = 0; i < 1000 && RandomState == first; ++i)
        SeedRandom();
    EXPECT_NE(RandomState, first);
}

} // namespace
