#pragma once

#include "winRect.h"

#include <QColor>
#include <QImage>
#include <QRegion>

// The visual-style parts that the program draws, rendered by the application's Qt style.
enum class ThemeClass { Button, Spin };

enum : int {
    BP_PUSHBUTTON = 1,
    PBS_NORMAL = 1,
    PBS_HOT = 2,
    PBS_PRESSED = 3,

    SPNP_UP = 1,
    SPNP_DOWN = 2,
    UPS_NORMAL = 1,
    UPS_HOT = 2,
    UPS_PRESSED = 3,
    DNS_NORMAL = 1,
    DNS_HOT = 2,
    DNS_PRESSED = 3,

    TMT_EDGELIGHTCOLOR = 3804,
    TMT_EDGESHADOWCOLOR = 3806,
    TMT_BORDERCOLORHINT = 3822,
};

// Draws a part in a state into `rect` of the image, limited to `clip` when it is not null.
// Hot shows the pointer over the part, pressed shows it pushed in.
void drawThemePart(QImage& image, const QRegion* clip, ThemeClass cls, int part, int state,
                   const WinRect& rect);

// A colour property of a part. The three edge colours come from the application palette:
// edge light = Light, border hint = Shadow, edge shadow = Mid. Anything else gives the
// button colour, so the caller always gets a colour.
QColor themeColor(ThemeClass cls, int part, int state, int property);
