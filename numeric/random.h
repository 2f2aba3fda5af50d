#pragma once

#include <cstdint>

// The one generator of the process. Tests set it directly to make a run reproducible.
extern std::uint32_t RandomState;

// RandomState := low 32 bits of the monotonic high-resolution clock (millisecond tick
// count if that clock cannot be read).
void SeedRandom();

// Linear congruential step, then the upper half of RandomState * n: a value in 0..n-1
// (0 when n is 0).
std::int32_t RandomBelow(std::int32_t n);
