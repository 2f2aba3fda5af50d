#include "pixelCanvas.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using Pixels = std::set<std::pair<int, int>>;

Pixels blackPixels(const QImage& image) {
    Pixels out;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == qRgb(0, 0, 0)) out.insert({x, y});
    return out;
}

QImage whiteImage(int w = 24, int h = 24) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

struct LineCase {
    const char* name;
    QPoint from, to;
    Pixels expected;
};

TEST(PixelCanvasLine, CoversTheClassicPixels) {
    const std::vector<LineCase> cases = {
        {"shallow down-right", {0, 0}, {4, 2}, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {"zero length draws nothing", {3, 3}, {3, 3}, {}},
        {"horizontal leaves out its end", {2, 5}, {6, 5}, {{2, 5}, {3, 5}, {4, 5}, {5, 5}}},
        {"vertical up", {1, 6}, {1, 3}, {{1, 6}, {1, 5}, {1, 4}}},
        {"diagonal", {1, 1}, {4, 4}, {{1, 1}, {2, 2}, {3, 3}}},
        // Ties go to the minor step for x-major lines going up...
        {"shallow up-right", {0, 2}, {4, 0}, {{0, 2}, {1, 1}, {2, 1}, {3, 0}}},
        // ...and for y-major lines going left.
        {"steep down-left", {2, 0}, {0, 4}, {{2, 0}, {1, 1}, {1, 2}, {0, 3}}},
        {"steep down-right", {0, 0}, {2, 4}, {{0, 0}, {0, 1}, {1, 2}, {1, 3}}},
        {"off the image is clipped", {-2, 1}, {2, 1}, {{0, 1}, {1, 1}}},
    };
    for (const auto& c : cases) {
        QImage image = whiteImage();
        PixelCanvas canvas(&image);
        canvas.setPenColor(Qt::black);
        canvas.moveTo(c.from.x(), c.from.y());
        canvas.lineTo(c.to.x(), c.to.y());
        EXPECT_EQ(blackPixels(image), c.expected) << c.name;
        EXPECT_EQ(canvas.penPosition(), c.to) << c.name;
    }
}

TEST(PixelCanvasLine, SpinFaceDiagonalsLieOnTheirAntiDiagonals) {
    // The three lines of a 20 x 20 diagonal face: x + y = 18, 19 and 20.
    QImage image = whiteImage(20, 20);
    PixelCanvas canvas(&image);
    canvas.setPenColor(Qt::black);
    canvas.moveTo(1, 17);
    canvas.lineTo(18, 0);
    Pixels expected;
    for (int x = 1; x <= 17; ++x)
        expected.insert({x, 18 - x});
    EXPECT_EQ(blackPixels(image), expected);
}

struct RectCase {
    const char* name;
    int left, top, right, bottom;
    int blackCount;
    int whiteInside;
};

TEST(PixelCanvasRectangle, OutlinesWithoutRightAndBottomEdges) {
    const std::vector<RectCase> cases = {
        {"two rows high is a solid band", 2, 2, 7, 4, 10, 0},
        {"outline and brush", 1, 1, 5, 5, 12, 4},
        {"right left of left is turned round", 5, 1, 4, 3, 2, 0},
        {"left equal to right draws nothing", 5, 1, 5, 3, 0, 0},
        {"top equal to bottom draws nothing", 1, 3, 6, 3, 0, 0},
        {"far past the image is clipped", 20, 0, 1 << 24, 2, 8, 0},
    };
    for (const auto& c : cases) {
        QImage image(24, 24, QImage::Format_RGB32);
        image.fill(Qt::red);
        PixelCanvas canvas(&image);
        canvas.setPenColor(Qt::black);
        canvas.setBrushColor(Qt::white);
        canvas.rectangle(c.left, c.top, c.right, c.bottom);
        int white = 0;
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 24; ++x)
                white += image.pixel(x, y) == qRgb(255, 255, 255);
        EXPECT_EQ(int(blackPixels(image).size()), c.blackCount) << c.name;
        EXPECT_EQ(white, c.whiteInside) << c.name;
    }
}

TEST(PixelCanvasClip, DrawsOnlyInsideTheClipRegion) {
    // Rows of 32-bit images are written directly, other formats pixel by pixel: both clip.
    for (const QImage::Format format :
         {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB888}) {
        QImage image = whiteImage(10, 10).convertToFormat(format);
        PixelCanvas canvas(&image);
        canvas.setPenColor(Qt::black);
        canvas.setBrushColor(Qt::black);
        canvas.setClip(QRegion(0, 0, 5, 10));
        canvas.intersectClip(QRect(0, 0, 10, 3));
        canvas.fillRect(QRect(0, 0, 10, 10));
        EXPECT_EQ(blackPixels(image).size(), 15u) << format;
        canvas.setClip(QRegion(2, 0, 3, 10) + QRegion(7, 0, 1, 10));
        canvas.moveTo(0, 5);
        canvas.lineTo(10, 5);
        Pixels onTheLine;
        for (const auto& pixel : blackPixels(image))
            if (pixel.second == 5) onTheLine.insert(pixel);
        EXPECT_EQ(onTheLine, Pixels({{2, 5}, {3, 5}, {4, 5}, {7, 5}}))
            << "a line stays inside its clip, format " << format;
        canvas.removeClip();
        canvas.moveTo(0, 9);
        canvas.lineTo(10, 9);
        EXPECT_EQ(blackPixels(image).size(), 29u) << format;
    }
}

} // namespace
