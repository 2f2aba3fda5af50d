#include "random.h"

#include <chrono>
#include <ctime>

std::uint32_t RandomState = 0;

void SeedRandom() {
    timespec now{};
    if (clock_gettime(CLOCK_MONOTONIC_RAW, &now) == 0) {
        const auto ns = static_cast<std::uint64_t>(now.tv_sec) * 1000000000u +
                        static_cast<std::uint64_t>(now.tv_nsec);
        RandomState = static_cast<std::uint32_t>(ns);
        return;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    RandomState = static_cast<std::uint32_t>(ms.count());
}

std::int32_t RandomBelow(std::int32_t n) {
    // Unsigned arithmetic throughout: the step wraps modulo 2^32 and a negative n is
    // simply its 32-bit pattern.
    RandomState = RandomState * 134775813u + 1u;
    const std::uint64_t product =
        static_cast<std::uint64_t>(RandomState) * static_cast<std::uint32_t>(n);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(product >> 32));
}
