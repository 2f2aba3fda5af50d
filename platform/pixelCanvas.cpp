#include "pixelCanvas.h"

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

bool PixelCanvas::inside(int x, int y) const {
    if (!FImage || x < 0 || y < 0 || x >= FImage->width() || y >= FImage->height())
        return false;
    return !FHasClip || FClip.contains(QPoint(x, y));
}

void PixelCanvas::setPixel(int x, int y, const QColor& color) {
    if (inside(x, y))
        FImage->setPixel(x, y, color.rgba());
}

void PixelCanvas::lineTo(int x, int y) {
    const QPoint from = FPosition;
    FPosition = QPoint(x, y);
    const int dx = x - from.x(), dy = y - from.y();
    const int adx = std::abs(dx), ady = std::abs(dy);
    const int steps = std::max(adx, ady);
    if (steps == 0 || !FImage)
        return;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0);
    const int sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    const bool xMajor = adx >= ady;
    const int major = xMajor ? adx : ady, minor = xMajor ? ady : adx;
    // Ties break toward the minor step for x-major lines going up and y-major lines going left.
    const int bias = (xMajor && dy < 0) || (!xMajor && dx < 0) ? 1 : 0;
    int err = 2 * minor - major;
    int px = from.x(), py = from.y();
    const QRgb pen = FPen.rgba();
    for (int i = 0; i < steps; ++i) {
        if (inside(px, py))
            FImage->setPixel(px, py, pen);
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
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    if (left == right || top == bottom || !FImage)
        return;
    const QRgb pen = FPen.rgba();
    for (int x = left; x < right; ++x) {
        if (inside(x, top))
            FImage->setPixel(x, top, pen);
        if (inside(x, bottom - 1))
            FImage->setPixel(x, bottom - 1, pen);
    }
    for (int y = top; y < bottom; ++y) {
        if (inside(left, y))
            FImage->setPixel(left, y, pen);
        if (inside(right - 1, y))
            FImage->setPixel(right - 1, y, pen);
    }
    if (!FBrushClear) {
        const QRgb brush = FBrush.rgba();
        for (int y = top + 1; y < bottom - 1; ++y)
            for (int x = left + 1; x < right - 1; ++x)
                if (inside(x, y))
                    FImage->setPixel(x, y, brush);
    }
    changed(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void PixelCanvas::fillRect(const QRect& rect) {
    if (!FImage)
        return;
    const QRect area = rect.normalized().intersected(FImage->rect());
    const QRgb brush = FBrush.rgba();
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (inside(x, y))
                FImage->setPixel(x, y, brush);
    if (!area.isEmpty())
        changed(area);
}
