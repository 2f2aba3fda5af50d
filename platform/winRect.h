#pragma once

#include <QRect>
#include <QRegion>

// A rectangle as the classic canvas calls take it: left and top inside, right and bottom
// just outside.
struct WinRect {
    int left = 0, top = 0, right = 0, bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    // The same pixels as a QRect; empty when right <= left or bottom <= top.
    QRect toQRect() const { return QRect(left, top, right - left, bottom - top); }
    friend bool operator==(const WinRect&, const WinRect&) = default;
};

inline void inflateRect(WinRect& r, int dx, int dy) {
    r.left -= dx;
    r.top -= dy;
    r.right += dx;
    r.bottom += dy;
}

inline void offsetRect(WinRect& r, int dx, int dy) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
}

// A rectangular clip region; empty for an empty rectangle.
inline QRegion rectRegion(const WinRect& r) {
    return r.width() > 0 && r.height() > 0 ? QRegion(r.toQRect()) : QRegion();
}
