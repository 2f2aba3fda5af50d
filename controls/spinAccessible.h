#pragma once

// Shows every TQuarnSpinButton to assistive technology as one spin control with the
// actions increase (a click on the top half) and decrease (a click on the bottom half).
// Safe to call more than once.
void installSpinButtonAccessibility();
