#include "pixelCanvas.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

void PixelCanvas::setClip(const QRegion& region) {
    FClip = region;
    FHasClip = true;
}

void PixelCanvas::intersectClip(const QRect& rect) {
    if (FHasClip)
        FClip = FClip.intersected(rect);
    else
        FClip = QRegion(rect);
    FHasClip = true;
}

void PixelCanvas::removeClip() {
    FClip = QRegion();
    FHasClip = false;
}

PixelCanvas::Target PixelCanvas::target() const {
    Target t;
    if (!FImage || FImage->isNull()) return t;
    t.width = FImage->width();
    t.height = FImage->height();
    t.format = FImage->format();
    if (t.format == QImage::Format_ARGB32 || t.format == QImage::Format_RGB32 ||
        t.format == QImage::Format_ARGB32_Premultiplied) {
        t.bits = FImage->bits();
        t.stride = FImage->bytesPerLine();
    }
    return t;
}

template <class Write>
void PixelCanvas::visiblePieces(const Target& t, qint64 y, qint64 x0, qint64 x1,
                                Write write) const {
    if (y < 0 || y >= t.height) return;
    x0 = std::max<qint64>(x0, 0);
    x1 = std::min<qint64>(x1, t.width);
    if (x0 >= x1) return;
    if (!FHasClip) {
        write(int(y), int(x0), int(x1));
        return;
    }
    // A region's rectangles never overlap, so no pixel is written twice.
    for (const QRect& r : FClip) {
        if (y < r.top() || y > r.bottom()) continue;
        const qint64 from = std::max<qint64>(x0, r.left());
        const qint64 to = std::min<qint64>(x1, qint64(r.right()) + 1);
        if (from < to) write(int(y), int(from), int(to));
    }
}

namespace {

// A colour as a 32-bit image keeps it: RGB32 with its alpha byte opaque (as QImage::setPixel
// stores it), a premultiplied image premultiplied.
QRgb stored(QImage::Format format, QRgb color) {
    if (format == QImage::Format_RGB32) return color | 0xff000000u;
    if (format == QImage::Format_ARGB32_Premultiplied) return qPremultiply(color);
    return color;
}

} // namespace

void PixelCanvas::fillSpan(const Target& t, qint64 y, qint64 x0, qint64 x1, QRgb color) {
    visiblePieces(t, y, x0, x1, [&](int row, int from, int to) {
        if (t.bits) {
            auto* line = reinterpret_cast<QRgb*>(t.bits + row * t.stride);
            std::fill(line + from, line + to, stored(t.format, color));
        } else {
            for (int x = from; x < to; ++x)
                FImage->setPixel(x, row, color);
        }
    });
}

void PixelCanvas::fillSpan(qint64 y, qint64 x0, qint64 x1, QRgb color) {
    fillSpan(target(), y, x0, x1, color);
}

void PixelCanvas::copySpan(qint64 y, qint64 x0, const QRgb* colors, qint64 count,
                           std::optional<QRgb> transparent) {
    const Target t = target();
    const QRgb key = transparent.value_or(0) & RGB_MASK;
    visiblePieces(t, y, x0, x0 + count, [&](int row, int from, int to) {
        auto* line = t.bits ? reinterpret_cast<QRgb*>(t.bits + row * t.stride) : nullptr;
        for (int x = from; x < to; ++x) {
            const QRgb c = colors[x - x0];
            if (transparent && (c & RGB_MASK) == key) continue;
            if (line)
                line[x] = stored(t.format, c);
            else
                FImage->setPixel(x, row, c);
        }
    });
}

void PixelCanvas::setPixel(int x, int y, const QColor& color) {
    fillSpan(y, x, qint64(x) + 1, color.rgba());
}

void PixelCanvas::lineTo(int x, int y) {
    const QPoint from = FPosition;
    FPosition = QPoint(x, y);
    // 64-bit, so that no pair of int coordinates can overflow the differences.
    const std::int64_t dx = std::int64_t(x) - from.x(), dy = std::int64_t(y) - from.y();
    const std::int64_t adx = std::abs(dx), ady = std::abs(dy);
    const std::int64_t steps = std::max(adx, ady);
    if (steps == 0 || !FImage) return;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    const int sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    const bool xMajor = adx >= ady;
    const std::int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    // Ties break toward the minor step for x-major lines going up and y-major lines going left.
    const int bias = (xMajor && dy < 0) || (!xMajor && dx < 0) ? 1 : 0;
    std::int64_t err = 2 * minor - major;
    std::int64_t px = from.x(), py = from.y();
    const QRgb pen = FPen.rgba();
    const Target t = target();
    // The pixels of one row go out as one span.
    std::int64_t runY = py, runLeft = px, runRight = px;
    for (std::int64_t i = 0; i < steps; ++i) {
        if (py != runY) {
            fillSpan(t, runY, runLeft, runRight + 1, pen);
            runY = py;
            runLeft = runRight = px;
        } else {
            runLeft = std::min(runLeft, px);
            runRight = std::max(runRight, px);
        }
        if (err + bias > 0) {
            if (xMajor)
                py += sy;
            else
                px += sx;
            err -= 2 * major;
        }
        err += 2 * minor;
        if (xMajor)
            px += sx;
        else
            py += sy;
    }
    fillSpan(t, runY, runLeft, runRight + 1, pen);
    changed(QRect(from, FPosition).normalized().adjusted(-1, -1, 1, 1));
}

void PixelCanvas::rectangle(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left == right || top == bottom || !FImage) return;
    const QRgb pen = FPen.rgba(), brush = FBrush.rgba();
    const Target t = target();
    fillSpan(t, top, left, right, pen);
    if (bottom - 1 > top) fillSpan(t, bottom - 1, left, right, pen);
    // Only the rows that can be visible: a rectangle may be far taller than the image.
    const int y0 = std::max(top, 0), y1 = std::min(bottom, FImage->height());
    for (int y = std::max(top + 1, y0); y < std::min(bottom - 1, y1); ++y) {
        fillSpan(t, y, left, qint64(left) + 1, pen);
        if (!FBrushClear) fillSpan(t, y, qint64(left) + 1, qint64(right) - 1, brush);
        fillSpan(t, y, qint64(right) - 1, right, pen);
    }
    const int x0 = std::max(left, 0), x1 = std::min(right, FImage->width());
    changed(QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)));
}

void PixelCanvas::fillRect(const QRect& rect) {
    if (!FImage) return;
    const QRect area = rect.normalized().intersected(FImage->rect());
    const QRgb brush = FBrush.rgba();
    const Target t = target();
    for (int y = area.top(); y <= area.bottom(); ++y)
        fillSpan(t, y, area.left(), qint64(area.right()) + 1, brush);
    if (!area.isEmpty()) changed(area);
}
