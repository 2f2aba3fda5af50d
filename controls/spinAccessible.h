#pragma once

#include "uQuarnSpinEdit.h"

#include <functional>

class QString;

// Shows every TQuarnSpinButton to assistive technology as one spin control with the
// actions "Zvýšit" (a click on the top half) and "Snížit" (a click on the bottom half).
// Safe to call more than once.
void installSpinButtonAccessibility();

// The Czech action names as assistive technology lists them.
QString spinRaiseAction();
QString spinLowerAction();

// Lets assistive technology read the value that `button` steps (read on request, so it is
// always the current one): `raises` is the half whose click adds to it. Only the halves
// change it; call spinValueChanged after every change so that a screen reader hears of it.
void setSpinButtonValue(TQuarnSpinButton* button, std::function<int()> current, TSpinHalf raises);
void spinValueChanged(TQuarnSpinButton* button);
