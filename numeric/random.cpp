#include "random.h"

#include "clockSeed.h"

std::uint32_t RandomState = 0;

void SeedRandom() {
    RandomState = ClockSeed();
}

std::int32_t RandomBelow(std::int32_t n) {
    // Unsigned arithmetic throughout: the step wraps modulo 2^32 and a negative n is
    // simply its 32-bit pattern.
    RandomState = RandomState * 134775813u + 1u;
    const std::uint64_t product =
        static_cast<std::uint64_t>(RandomState) * static_cast<std::uint32_t>(n);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(product >> 32));
}
