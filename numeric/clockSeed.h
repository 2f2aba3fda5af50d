#pragma once

#include <cstdint>

// Low 32 bits of the system's high-resolution monotonic counter, or its millisecond tick count
// when that counter cannot be read. One file per system, chosen in CMake.
std::uint32_t ClockSeed();
