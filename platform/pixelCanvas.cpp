#include "pixelCanvas.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

qint64 PixelCanvas::toDevice(qint64 v) const {
    return FScale == 1 ? v : std::llround(double(v) * FScale);
}

int PixelCanvas::pen() const {
    return std::max(1, int(std::lround(FScale)));
}

QRect PixelCanvas::toDevice(const QRect& logical) const {
    if (FScale == 1 || logical.isEmpty()) return logical;
    const auto fit = [](qint64 v) { return int(std::clamp<qint64>(v, INT_MIN / 2, INT_MAX / 2)); };
    const int l = fit(toDevice(logical.left())), t = fit(toDevice(logical.top()));
    const int r = fit(toDevice(qint64(logical.right()) + 1)),
              b = fit(toDevice(qint64(logical.bottom()) + 1));
    return QRect(l, t, r - l, b - t);
}

void PixelCanvas::setClip(const QRegion& region) {
    FClip = FScale == 1 ? region : QRegion();
    if (FScale != 1)
        for (const QRect& r : region)
            FClip += toDevice(r);
    FHasClip = true;
}

void PixelCanvas::intersectClip(const QRect& rect) {
    const QRect device = toDevice(rect.normalized());
    if (FHasClip)
        FClip = FClip.intersected(device);
    else
        FClip = QRegion(device);
    FHasClip = true;
}

void PixelCanvas::removeClip() {
    FClip = QRegion();
    FHasClip = false;
}

QRect PixelCanvas::logicalBounds() const {
    if (!FImage) return QRect();
    if (FScale == 1) return FImage->rect();
    return QRect(0, 0, int(std::ceil(FImage->width() / FScale)),
                 int(std::ceil(FImage->height() / FScale)));
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
    const qint64 x0 = toDevice(x), x1 = toDevice(qint64(x) + 1);
    for (qint64 row = toDevice(y), end = toDevice(qint64(y) + 1); row < end; ++row)
        fillSpan(row, x0, x1, color.rgba());
}

void PixelCanvas::lineTo(int x, int y) {
    const QPoint from = FPosition;
    FPosition = QPoint(x, y);
    if (!FImage || from == FPosition) return;
    // Bresenham between the device end points, so a scaled line steps at device resolution;
    // each step is pen() pixels across the line.
    const std::int64_t fromX = toDevice(from.x()), fromY = toDevice(from.y());
    const std::int64_t dx = toDevice(x) - fromX, dy = toDevice(y) - fromY;
    const std::int64_t adx = std::abs(dx), ady = std::abs(dy);
    const std::int64_t steps = std::max(adx, ady);
    if (steps == 0) return;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    const int sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    const bool xMajor = adx >= ady;
    const std::int64_t major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    // Ties break toward the minor step for x-major lines going up and y-major lines going left.
    const int bias = (xMajor && dy < 0) || (!xMajor && dx < 0) ? 1 : 0;
    const QRgb color = FPen.rgba();
    const Target t = target();
    // Each step is pen() pixels across the line: a wider span for a y-major line, the line
    // again one row lower for an x-major one.
    const int width = pen();
    const std::int64_t extra = xMajor ? 1 : width;
    for (int copy = 0; copy < (xMajor ? width : 1); ++copy) {
        std::int64_t err = 2 * minor - major;
        std::int64_t px = fromX, py = fromY + copy;
        // The pixels of one row go out as one span.
        std::int64_t runY = py, runLeft = px, runRight = px;
        for (std::int64_t i = 0; i < steps; ++i) {
            if (py != runY) {
                fillSpan(t, runY, runLeft, runRight + extra, color);
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
        fillSpan(t, runY, runLeft, runRight + extra, color);
    }
    const int reach = FScale == 1 ? 1 : 2;
    changed(QRect(from, FPosition).normalized().adjusted(-1, -1, reach, reach));
}

void PixelCanvas::rectangle(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left == right || top == bottom || !FImage) return;
    // Placed at its corner's device position and sized by its own scaled size, so rectangles of
    // one logical size (a histogram's bars) are all of one device size.
    const qint64 l = toDevice(left), tp = toDevice(top);
    const qint64 r = l + toDevice(qint64(right) - left), b = tp + toDevice(qint64(bottom) - top);
    const QRgb color = FPen.rgba(), brush = FBrush.rgba();
    const Target t = target();
    const qint64 width = pen();
    // Only the rows that can be visible: a rectangle may be far taller than the image.
    const qint64 y0 = std::max<qint64>(tp, 0), y1 = std::min<qint64>(b, t.height);
    // A rectangle without logical inside (two pixels high or wide) has none in device pixels.
    const bool rows = bottom - top > 2, columns = right - left > 2;
    for (qint64 y = y0; y < y1; ++y) {
        if (!rows || !columns || y < tp + width || y >= b - width) {
            fillSpan(t, y, l, r, color);
            continue;
        }
        fillSpan(t, y, l, std::min(l + width, r), color);
        if (!FBrushClear) fillSpan(t, y, l + width, r - width, brush);
        fillSpan(t, y, std::max(r - width, l), r, color);
    }
    const QRect bounds = logicalBounds();
    // Scaled separately, the size may reach part of a logical pixel past the right or bottom.
    const qint64 reach = FScale == 1 ? 0 : 1;
    const int x0 = std::max(left, 0), x1 = int(std::min<qint64>(right + reach, bounds.width()));
    const int ly0 = std::max(top, 0), ly1 = int(std::min<qint64>(bottom + reach, bounds.height()));
    changed(QRect(QPoint(x0, ly0), QPoint(x1 - 1, ly1 - 1)));
}

void PixelCanvas::fillRect(const QRect& rect) {
    if (!FImage) return;
    const QRect area = rect.normalized().intersected(logicalBounds());
    const QRect device = toDevice(area).intersected(FImage->rect());
    const QRgb brush = FBrush.rgba();
    const Target t = target();
    for (int y = device.top(); y <= device.bottom(); ++y)
        fillSpan(t, y, device.left(), qint64(device.right()) + 1, brush);
    if (!area.isEmpty()) changed(area);
}
