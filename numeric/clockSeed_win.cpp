#include "clockSeed.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

std::uint32_t ClockSeed() {
    LARGE_INTEGER count{};
    if (QueryPerformanceCounter(&count)) return static_cast<std::uint32_t>(count.LowPart);
    return static_cast<std::uint32_t>(GetTickCount());
}
