#include "edge3d.h"

#include "systemColors.h"

#include <algorithm>
#include <climits>

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

// Device rows [y0, y1) from x0 to x1 (excluded), cut to the image first, so a huge rectangle
// costs no more than the image.
void block(PixelCanvas& canvas, qint64 x0, qint64 x1, qint64 y0, qint64 y1, const QColor& c) {
    const QImage* image = canvas.image();
    if (!image) return;
    y0 = std::max<qint64>(y0, 0);
    y1 = std::min<qint64>(y1, image->height());
    for (qint64 y = y0; y < y1; ++y)
        canvas.fillSpan(y, x0, x1, c.rgba());
}
} // namespace

void drawEdge(PixelCanvas& canvas, WinRect& rect, unsigned edge, unsigned flags) {
    const bool soft = flags & BF_SOFT;
    const bool left = flags & BF_LEFT, top = flags & BF_TOP;
    const bool right = flags & BF_RIGHT, bottom = flags & BF_BOTTOM;
    // Device pixels, 64-bit, so that rectangles at the ends of the int range cannot overflow.
    // A ring is pen() device pixels wide; ring k lies k rings in from the rectangle's sides.
    const qint64 l = canvas.toDevice(rect.left), t = canvas.toDevice(rect.top),
                 r = canvas.toDevice(rect.right), b = canvas.toDevice(rect.bottom);
    const qint64 w = canvas.pen();
    int rings = 0;
    const auto ring = [&](int k, const RingColors& c) {
        const qint64 in = k * w;
        // The ends are pulled in only where the neighbouring side is drawn too.
        const qint64 x0 = left ? l + in : l, x1 = right ? r - in : r;
        const qint64 y0 = top ? t + in : t, y1 = bottom ? b - in : b;
        if (top) block(canvas, x0, x1, t + in, t + in + w, c.topLeft);
        if (left) block(canvas, l + in, l + in + w, y0, y1, c.topLeft);
        if (bottom) block(canvas, x0, x1, b - in - w, b - in, c.bottomRight);
        if (right) block(canvas, r - in - w, r - in, y0, y1, c.bottomRight);
    };

    RingColors c;
    if (outerColors(edge, soft, c)) ring(rings++, c);
    if (innerColors(edge, soft, c)) ring(rings++, c);
    if (flags & BF_ADJUST) {
        const auto moved = [](int side, qint64 by) {
            return int(std::clamp<qint64>(side + by, INT_MIN, INT_MAX));
        };
        if (left) rect.left = moved(rect.left, rings);
        if (top) rect.top = moved(rect.top, rings);
        if (right) rect.right = moved(rect.right, -rings);
        if (bottom) rect.bottom = moved(rect.bottom, -rings);
    }
}
