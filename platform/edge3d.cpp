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

void row(PixelCanvas& canvas, qint64 y, qint64 x0, qint64 x1, const QColor& c) {
    canvas.fillSpan(y, x0, x1 + 1, c.rgba());
}

// Cut to the image first, so a huge rectangle costs no more than the image.
void column(PixelCanvas& canvas, qint64 x, qint64 y0, qint64 y1, const QColor& c) {
    const QImage* image = canvas.image();
    if (!image) return;
    y0 = std::max<qint64>(y0, 0);
    y1 = std::min<qint64>(y1, image->height() - 1);
    for (qint64 y = y0; y <= y1; ++y)
        canvas.fillSpan(y, x, x + 1, c.rgba());
}
} // namespace

void drawEdge(PixelCanvas& canvas, WinRect& rect, unsigned edge, unsigned flags) {
    const bool soft = flags & BF_SOFT;
    const bool left = flags & BF_LEFT, top = flags & BF_TOP;
    const bool right = flags & BF_RIGHT, bottom = flags & BF_BOTTOM;
    // 64-bit, so that rectangles at the ends of the int range cannot overflow.
    const qint64 l = rect.left, t = rect.top, r = qint64(rect.right) - 1,
                 b = qint64(rect.bottom) - 1;
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
        const qint64 x0 = left ? l + 1 : l, x1 = right ? r - 1 : r;
        const qint64 y0 = top ? t + 1 : t, y1 = bottom ? b - 1 : b;
        if (top) row(canvas, t + 1, x0, x1, c.topLeft);
        if (left) column(canvas, l + 1, y0, y1, c.topLeft);
        if (bottom) row(canvas, b - 1, x0, x1, c.bottomRight);
        if (right) column(canvas, r - 1, y0, y1, c.bottomRight);
    }
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
