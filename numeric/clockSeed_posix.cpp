#include "clockSeed.h"

#include <chrono>
#include <ctime>

std::uint32_t ClockSeed() {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC_RAW, &now) == 0) {
        const auto ns = static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
                        static_cast<std::uint64_t>(now.tv_nsec);
        return static_cast<std::uint32_t>(ns);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}
