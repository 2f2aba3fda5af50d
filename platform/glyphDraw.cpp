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
    const QRgb clear = transparentColor(glyph) & RGB_MASK;
    // Only the part of the glyph that can land on the image is visited.
    const qint64 gx0 = std::max<qint64>(0, -qint64(x));
    const qint64 gy0 = std::max<qint64>(0, -qint64(y));
    const qint64 gx1 = std::min<qint64>(glyph.width(), qint64(target->width()) - x);
    const qint64 gy1 = std::min<qint64>(glyph.height(), qint64(target->height()) - y);
    for (qint64 gy = gy0; gy < gy1; ++gy)
        for (qint64 gx = gx0; gx < gx1; ++gx) {
            const QRgb c = glyph.pixel(int(gx), int(gy));
            if ((c & RGB_MASK) != clear)
                canvas.setPixel(int(x + gx), int(y + gy), QColor::fromRgb(c | ~RGB_MASK));
        }
}
