#pragma once

#include <optional>

// Whether the desktop's visual styles are active for the application. On this platform
// they are when the application's Qt style is not the plain "Windows" style. The answer is
// kept as a flag, refreshed when the application's style object changes, so asking on
// every event costs a comparison.
bool visualStylesActive();

// Tests force the answer; an empty value returns to the real one.
void setVisualStylesOverride(std::optional<bool> active);
