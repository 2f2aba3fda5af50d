#include "pause.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace {

// A busy machine makes a pause longer, never shorter; every other test replaces it.
TEST(Pause, LastsAtLeastItsMillisecondsUnlessReplaced) {
    using Clock = std::chrono::steady_clock;
    for (const int ms : {1, 2, 5}) {
        const Clock::time_point start = Clock::now();
        Sleep(ms);
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(ms)) << ms;
    }
    Sleep(0);
    Sleep(-1);
    std::vector<int> seen;
    setPauseHook([&seen](int ms) { seen.push_back(ms); });
    Sleep(0);
    Sleep(7);
    setPauseHook({});
    EXPECT_EQ(seen, (std::vector<int>{0, 7}));
}

} // namespace
