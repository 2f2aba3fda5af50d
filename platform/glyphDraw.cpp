#include "glyphDraw.h"

#include <algorithm>
#include <cmath>
#include <vector>

QRgb transparentColor(const QImage& glyph) {
    if (glyph.isNull() || glyph.width() <= 0 || glyph.height() <= 0) return qRgb(255, 255, 255);
    if (glyph.depth() == 1) return qRgb(255, 255, 255);
    return glyph.pixel(0, glyph.height() - 1);
}

namespace {

// The glyph's size at `scale`: the nearest whole size of the same parity, so that a glyph with
// a middle column (or row) keeps one.
int scaledSize(int size, qreal scale) {
    const qreal exact = size * scale;
    int n = int(std::lround(exact));
    if ((n - size) % 2 != 0) n += n < exact ? 1 : -1;
    return std::max(n, 1);
}

// For each of `to` device columns, the glyph column it shows: nearest neighbour, taken from
// both ends toward the middle, so a mirror-symmetric glyph stays mirror-symmetric.
std::vector<int> sources(int from, int to) {
    std::vector<int> map(to);
    for (int i = 0; i < (to + 1) / 2; ++i) {
        map[i] = std::min(from - 1, int((i + 0.5) * from / to));
        map[to - 1 - i] = from - 1 - map[i];
    }
    return map;
}

QImage scaled(const QImage& glyph, qreal scale) {
    const int w = scaledSize(glyph.width(), scale), h = scaledSize(glyph.height(), scale);
    const std::vector<int> columns = sources(glyph.width(), w), rows = sources(glyph.height(), h);
    QImage out(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(glyph.constScanLine(rows[y]));
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = in[columns[x]];
    }
    return out;
}

} // namespace

void drawTransparent(PixelCanvas& canvas, int x, int y, const QImage& glyph) {
    const QImage* target = canvas.image();
    if (!target || glyph.isNull() || glyph.width() <= 0 || glyph.height() <= 0) return;
    const QRgb clear = transparentColor(glyph);
    // What is drawn is always opaque, whatever alpha the glyph's pixels carry.
    QImage opaque = glyph.convertToFormat(QImage::Format_ARGB32);
    qint64 dx = x, dy = y;
    if (canvas.scale() != 1) {
        // A glyph keeps its place and size in the layout, which was made around it: it is
        // scaled to the ratio, symmetric as drawn, and centred where the logical glyph is.
        opaque = scaled(opaque, canvas.scale());
        const auto centred = [&](int at, int size, int device) {
            return qint64(std::llround((at + size / 2.0) * canvas.scale() - device / 2.0));
        };
        dx = centred(x, glyph.width(), opaque.width());
        dy = centred(y, glyph.height(), opaque.height());
        // A glyph that fits its clip at its logical size is moved inside it rather than cut
        // where rounding makes it stick out.
        const QRect logical = canvas.toDevice(QRect(x, y, glyph.width(), glyph.height()));
        const QRect bounds = canvas.clipBounds();
        if (canvas.hasClip() && bounds.contains(logical)) {
            const auto inside = [](qint64 at, int size, int from, int length) {
                return size > length ? at : std::clamp<qint64>(at, from, from + length - size);
            };
            dx = inside(dx, opaque.width(), bounds.left(), bounds.width());
            dy = inside(dy, opaque.height(), bounds.top(), bounds.height());
        }
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
