#include "glyphDraw.h"

#include <algorithm>

QRgb transparentColor(const QImage& glyph) {
    if (glyph.isNull() || glyph.width() <= 0 || glyph.height() <= 0) return qRgb(255, 255, 255);
    if (glyph.depth() == 1) return qRgb(255, 255, 255);
    return glyph.pixel(0, glyph.height() - 1);
}

void drawTransparent(PixelCanvas& canvas, int x, int y, const QImage& glyph) {
    const QImage* target = canvas.image();
    if (!target || glyph.isNull()) return;
    const QRgb clear = transparentColor(glyph);
    // What is drawn is always opaque, whatever alpha the glyph's pixels carry.
    QImage opaque = glyph.convertToFormat(QImage::Format_ARGB32);
    // Only the rows that can land on the image are visited.
    const qint64 gy0 = std::max<qint64>(0, -qint64(y));
    const qint64 gy1 = std::min<qint64>(opaque.height(), qint64(target->height()) - y);
    for (qint64 gy = gy0; gy < gy1; ++gy) {
        auto* row = reinterpret_cast<QRgb*>(opaque.scanLine(int(gy)));
        for (int gx = 0; gx < opaque.width(); ++gx)
            row[gx] |= ~RGB_MASK;
        canvas.copySpan(y + gy, x, row, opaque.width(), clear);
    }
}
