#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>

#include <optional>

// Drawing into an image with the pixel rules of the classic window canvas, which Qt's
// painter does not follow: a line leaves out its end point and steps like Bresenham's
// algorithm with a fixed tie rule, a rectangle leaves out its right column and bottom row.
// Everything is clipped to the image and, when set, to a clip region.
//
// Coordinates are logical pixels. With a scale other than 1 the image holds device pixels:
// a logical coordinate v lies at device round(v * scale), so fills and clips cover whole
// device rows and columns; a rectangle is as many device pixels as round(size * scale), so
// equal rectangles stay equal; and a one-pixel stroke (a line, an edge ring) is pen()
// device pixels wide everywhere, never alternating widths.
class PixelCanvas {
public:
    explicit PixelCanvas(QImage* image = nullptr) : FImage(image) {}
    virtual ~PixelCanvas() = default;

    QImage* image() const { return FImage; }
    void setImage(QImage* image) { FImage = image; }

    qreal scale() const { return FScale; }
    // Takes effect for what is drawn and clipped from now on.
    void setScale(qreal scale) { FScale = scale > 0 ? scale : 1; }
    // The device position of a logical coordinate.
    qint64 toDevice(qint64 v) const;
    // Device pixels across a one-pixel stroke: round(scale), at least 1.
    int pen() const;
    // The device pixels that a logical rectangle covers.
    QRect toDevice(const QRect& logical) const;

    QColor penColor() const { return FPen; }
    void setPenColor(const QColor& color) { FPen = color; }
    QColor brushColor() const { return FBrush; }
    void setBrushColor(const QColor& color) { FBrush = color; }
    // A clear brush leaves the inside of a rectangle alone.
    bool brushClear() const { return FBrushClear; }
    void setBrushClear(bool clear) { FBrushClear = clear; }

    void setClip(const QRegion& region);
    void intersectClip(const QRect& rect);
    void removeClip();
    bool hasClip() const { return FHasClip; }
    // The bounds of the clip region, in device pixels.
    QRect clipBounds() const { return FClip.boundingRect(); }

    QPoint penPosition() const { return FPosition; }
    void moveTo(int x, int y) { FPosition = QPoint(x, y); }
    // From the pen position to (x, y), the end point excluded; the pen ends there.
    void lineTo(int x, int y);
    // Outline x = l..r-1, y = t..b-1 with the pen, inside filled with the brush.
    // Normalised first; nothing when l == r or t == b.
    void rectangle(int left, int top, int right, int bottom);
    // The rectangle (right and bottom excluded) filled with the brush, no outline.
    void fillRect(const QRect& rect);
    // One pixel with the given colour, within image and clip.
    void setPixel(int x, int y, const QColor& color);

    // Every primitive above and the edge and glyph drawers put their pixels through these two,
    // so that the image bounds and the clip always hold. They work in device pixels on a
    // span: the pixels
    // [x0, x1) of row y, the right end excluded; coordinates are 64-bit, so callers may pass
    // spans far outside the image. 32-bit images (RGB32, ARGB32, ARGB32_Premultiplied) are
    // written straight into their rows; other formats go through QImage::setPixel.
    void fillSpan(qint64 y, qint64 x0, qint64 x1, QRgb color);
    // `count` colours from `colors` placed from x0 on; a pixel whose RGB part equals
    // `transparent` is left alone.
    void copySpan(qint64 y, qint64 x0, const QRgb* colors, qint64 count,
                  std::optional<QRgb> transparent = std::nullopt);

protected:
    // Reports the logical area that an operation may have changed, so a view can show it.
    virtual void changed(const QRect& area) { (void)area; }

private:
    // The image as the span writers see it, taken once per primitive: its size, and its
    // rows when they hold 32-bit pixels (otherwise `bits` is null).
    struct Target {
        uchar* bits = nullptr;
        qsizetype stride = 0;
        int width = 0, height = 0;
        QImage::Format format = QImage::Format_Invalid;
    };
    Target target() const;
    // The image's extent in logical pixels.
    QRect logicalBounds() const;
    // Calls write(row, from, to) for each visible piece of the span, left to right.
    template <class Write>
    void visiblePieces(const Target& t, qint64 y, qint64 x0, qint64 x1, Write write) const;
    void fillSpan(const Target& t, qint64 y, qint64 x0, qint64 x1, QRgb color);

    QImage* FImage;
    QColor FPen = Qt::black;
    QColor FBrush = Qt::white;
    bool FBrushClear = false;
    // In device pixels.
    QRegion FClip;
    bool FHasClip = false;
    qreal FScale = 1;
    QPoint FPosition;
};
