#include "edge3d.h"

#include "systemColors.h"

namespace {
struct RingColors {
    QColor topLeft, bottomRight;
};

// Colours of a ring, or nothing when the edge has no such ring.
bool outerColors(unsigned edge, bool soft, RingColors& c) {
    if (edge & BDR_RAISEDOUTER)
        c = {soft ? clBtnHighlight() : cl3DLight(), cl3DDkShadow()};
    else if (edge & BDR_SUNKENOUTER)
        c = {soft ? cl3DDkShadow() : clBtnShadow(), clBtnHighlight()};
    else
        return false;
    return true;
}

bool innerColors(unsigned edge, bool soft, RingColors& c) {
    if (edge & BDR_RAISEDINNER)
        c = {soft ? cl3DLight() : clBtnHighlight(), clBtnShadow()};
    else if (edge & BDR_SUNKENINNER)
        c = {soft ? clBtnShadow() : cl3DDkShadow(), cl3DLight()};
    else
        return false;
    return true;
}

void row(PixelCanvas& canvas, int y, int x0, int x1, const QColor& c) {
    for (int x = x0; x <= x1; ++x)
        canvas.setPixel(x, y, c);
}

void column(PixelCanvas& canvas, int x, int y0, int y1, const QColor& c) {
    for (int y = y0; y <= y1; ++y)
        canvas.setPixel(x, y, c);
}
} // namespace

void drawEdge(PixelCanvas& canvas, WinRect& rect, unsigned edge, unsigned flags) {
    const bool soft = flags & BF_SOFT;
    const bool left = flags & BF_LEFT, top = flags & BF_TOP;
    const bool right = flags & BF_RIGHT, bottom = flags & BF_BOTTOM;
    const int l = rect.left, t = rect.top, r = rect.right - 1, b = rect.bottom - 1;
    int rings = 0;

    RingColors c;
    if (outerColors(edge, soft, c)) {
        ++rings;
        if (top) row(canvas, t, l, r, c.topLeft);
        if (left) column(canvas, l, t, b, c.topLeft);
        if (bottom) row(canvas, b, l, r, c.bottomRight);
        if (right) column(canvas, r, t, b, c.bottomRight);
    }
    if (innerColors(edge, soft, c)) {
        ++rings;
        const int x0 = left ? l + 1 : l, x1 = right ? r - 1 : r;
        const int y0 = top ? t + 1 : t, y1 = bottom ? b - 1 : b;
        if (top) row(canvas, t + 1, x0, x1, c.topLeft);
        if (left) column(canvas, l + 1, y0, y1, c.topLeft);
        if (bottom) row(canvas, b - 1, x0, x1, c.bottomRight);
        if (right) column(canvas, r - 1, y0, y1, c.bottomRight);
    }
    if (flags & BF_ADJUST) {
        if (left) rect.left += rings;
        if (top) rect.top += rings;
        if (right) rect.right -= rings;
        if (bottom) rect.bottom -= rings;
    }
}
