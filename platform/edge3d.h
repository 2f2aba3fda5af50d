#pragma once

#include "pixelCanvas.h"
#include "winRect.h"

// The classic 3-D edge: up to two one-pixel rings (a line's pen wide on a scaled canvas)
// along the chosen sides of a rectangle, in the system colours.
enum : unsigned {
    BDR_RAISEDOUTER = 0x1,
    BDR_SUNKENOUTER = 0x2,
    BDR_RAISEDINNER = 0x4,
    BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,

    BF_LEFT = 0x1,
    BF_TOP = 0x2,
    BF_RIGHT = 0x4,
    BF_BOTTOM = 0x8,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_SOFT = 0x1000,
    BF_ADJUST = 0x2000,
};

// Draws the edge on `rect` through the canvas (so its clip applies). The outer ring's
// top and left sides come first, then bottom and right, which own the shared corners; the
// inner ring lies one pixel in, its ends pulled in by one only where the neighbouring side
// is drawn too. With BF_ADJUST, `rect` shrinks to the area inside the edge: each drawn side
// moves in by the number of rings.
void drawEdge(PixelCanvas& canvas, WinRect& rect, unsigned edge, unsigned flags);
