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

namespace {

// The 32-bit formats the canvases draw into are written straight into their rows: a run
// draws thousands of pixels per particle, and setPixel costs several calls each.
uchar* directBits(QImage* image, bool clipped) {
    const QImage::Format f = image->format();
    return !clipped && (f == QImage::Format_ARGB32 || f == QImage::Format_RGB32) ? image->bits()
                                                                                 : nullptr;
}

} // namespace

bool PixelCanvas::inside(int x, int y) const {
    if (!FImage || x < 0 || y < 0 || x >= FImage->width() || y >= FImage->height()) return false;
    return !FHasClip || FClip.contains(QPoint(x, y));
}

void PixelCanvas::setPixel(int x, int y, const QColor& color) {
    if (inside(x, y)) FImage->setPixel(x, y, color.rgba());
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
    const std::int64_t width = FImage->width(), height = FImage->height();
    uchar* const bits = directBits(FImage, FHasClip);
    const qsizetype stride = FImage->bytesPerLine();
    for (std::int64_t i = 0; i < steps; ++i) {
        if (px >= 0 && py >= 0 && px < width && py < height) {
            if (bits)
                reinterpret_cast<QRgb*>(bits + py * stride)[px] = pen;
            else if (inside(int(px), int(py)))
                FImage->setPixel(int(px), int(py), pen);
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
    changed(QRect(from, FPosition).normalized().adjusted(-1, -1, 1, 1));
}

void PixelCanvas::rectangle(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left == right || top == bottom || !FImage) return;
    // Loops run over the visible part only: a bar may be far longer than the image.
    const int x0 = std::max(left, 0), x1 = std::min(right, FImage->width());
    const int y0 = std::max(top, 0), y1 = std::min(bottom, FImage->height());
    const QRgb pen = FPen.rgba();
    for (int x = x0; x < x1; ++x) {
        if (inside(x, top)) FImage->setPixel(x, top, pen);
        if (inside(x, bottom - 1)) FImage->setPixel(x, bottom - 1, pen);
    }
    for (int y = y0; y < y1; ++y) {
        if (inside(left, y)) FImage->setPixel(left, y, pen);
        if (inside(right - 1, y)) FImage->setPixel(right - 1, y, pen);
    }
    if (!FBrushClear) {
        const QRgb brush = FBrush.rgba();
        for (int y = std::max(top + 1, y0); y < std::min(bottom - 1, y1); ++y)
            for (int x = std::max(left + 1, x0); x < std::min(right - 1, x1); ++x)
                if (inside(x, y)) FImage->setPixel(x, y, brush);
    }
    changed(QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1)));
}

void PixelCanvas::fillRect(const QRect& rect) {
    if (!FImage) return;
    const QRect area = rect.normalized().intersected(FImage->rect());
    const QRgb brush = FBrush.rgba();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (inside(x, y)) FImage->setPixel(x, y, brush);
    if (!area.isEmpty()) changed(area);
}
