#pragma once

#include <functional>

class QAccessibleEvent;

// Tells assistive technology of `event` when one is listening. A test may listen in its
// place (the headless platform has no bridge to one); an empty function restores it.
void notifyAccessibility(QAccessibleEvent& event);
void setAccessibilityListener(std::function<void(QAccessibleEvent& event)> listener);
