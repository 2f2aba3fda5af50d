#include "random.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

struct Draw {
    std::int32_t n;
    std::int32_t result;
    std::uint32_t stateAfter;
};

TEST(RandomBelow, SequenceFromStateZero) {
    const Draw draws[] = {
        {1000, 0, 1u},           {1000, 31, 134775814u},   {1000, 861, 3698175007u},
        {1000, 202, 870078620u}, {1000, 272, 1172187917u},
    };
    RandomState = 0;
    for (const Draw& d : draws) {
        EXPECT_EQ(RandomBelow(d.n), d.result);
        EXPECT_EQ(RandomState, d.stateAfter);
    }
}

TEST(RandomBelow, ZeroGivesZeroAndStillAdvances) {
    RandomState = 0;
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomState, 1u);
    EXPECT_EQ(RandomBelow(0), 0);
    EXPECT_EQ(RandomState, 134775814u);
}

TEST(RandomBelow, StateWrapsModulo2To32) {
    RandomState = 0xFFFFFFFFu;
    RandomBelow(1);
    EXPECT_EQ(RandomState, static_cast<std::uint32_t>(0xFFFFFFFFull * 134775813ull + 1));
}

// A negative n is its unsigned 32-bit pattern: -1 is 2^32 - 1, so the result is the state
// minus one (or 0 for state 0), which reads back as a signed value.
TEST(RandomBelow, NegativeBoundIsTakenAsUnsigned) {
    const Draw draws[] = {
        {-1, 0, 1u},
        {-1, 134775813, 134775814u},
        {-1, -596792290, 3698175007u},
        {INT32_MIN, 435039310, 870078620u},
    };
    RandomState = 0;
    for (const Draw& d : draws) {
        EXPECT_EQ(RandomBelow(d.n), d.result);
        EXPECT_EQ(RandomState, d.stateAfter);
    }
}

TEST(RandomBelow, StaysBelowBoundForEveryState) {
    const std::int32_t bounds[] = {1, 2, 3, 99, 1000, 0x7FFFFFFF};
    for (std::int32_t n : bounds) {
        RandomState = 0x9E3779B9u;
        for (int i = 0; i < 10000; ++i) {
            const std::int32_t r = RandomBelow(n);
            ASSERT_GE(r, 0) << "n=" << n;
            ASSERT_LT(r, n) << "n=" << n;
        }
    }
}

TEST(SeedRandom, TakesTheClock) {
    // Two seeds a little apart differ: the state follows a running nanosecond clock.
    SeedRandom();
    const std::uint32_t first = RandomState;
    std::uint32_t second = first;
    for (int i = 0; i < 1000 && second == first; ++i) {
        SeedRandom();
        second = RandomState;
    }
    EXPECT_NE(first, second);
}

} // namespace
