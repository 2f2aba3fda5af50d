#pragma once

#include <QColor>

// The classic system colours, taken from the application palette so the program follows
// the desktop's colours.
QColor clBtnFace();
QColor clBtnShadow();
QColor clBtnHighlight();
QColor cl3DLight();
QColor cl3DDkShadow();
QColor clWindowFrame();
QColor clWindowText();
