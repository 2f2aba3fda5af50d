#include "glyphDraw.h"

#include <algorithm>
#include <cmath>

QRgb transparentColor(const QImage& glyph) {
    if (glyph.isNull() || glyph.width() <= 0 || glyph.height() <= 0) return qRgb(255, 255, 255);
    if (glyph.depth() == 1) return qRgb(255, 255, 255);
    return glyph.pixel(0, glyph.height() - 1);
}

void drawTransparent(PixelCanvas& canvas, int x, int y, const QImage& glyph) {
    const QImage* target = canvas.image();
    if (!target || glyph.isNull() || glyph.width() <= 0 || glyph.height() <= 0) return;
    const QRgb clear = transparentColor(glyph);
    // What is drawn is always opaque, whatever alpha the glyph's pixels carry.
    QImage opaque = glyph.convertToFormat(QImage::Format_ARGB32);
    // Each glyph pixel becomes a square as wide as a line's pen, so the glyph keeps its
    // shape and symmetry at any scale; it is centred where the logical glyph would be.
    const int w = canvas.pen();
    qint64 dx = x, dy = y;
    if (canvas.scale() != 1) {
        const auto centred = [&](int at, int size) {
            return qint64(std::llround((at + size / 2.0) * canvas.scale() - size * w / 2.0));
        };
        dx = centred(x, glyph.width());
        dy = centred(y, glyph.height());
        if (w != 1) opaque = opaque.scaled(opaque.size() * w);
    }
    // Only the rows that can land on the image are visited.
    const qint64 gy0 = std::max<qint64>(0, -dy);
    const qint64 gy1 = std::min<qint64>(opaque.height(), qint64(target->height()) - dy);
    for (qint64 gy = gy0; gy < gy1; ++gy) {
        auto* row = reinterpret_cast<QRgb*>(opaque.scanLine(int(gy)));
        for (int gx = 0; gx < opaque.width(); ++gx)
            row[gx] |= ~RGB_MASK;
        canvas.copySpan(dy + gy, dx, row, opaque.width(), clear);
    }
}
