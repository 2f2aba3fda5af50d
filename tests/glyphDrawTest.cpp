#include "glyphDraw.h"

#include <gtest/gtest.h>

namespace {

QImage mono(int w, int h, uint fillIndex) {
    QImage g(w, h, QImage::Format_Mono);
    g.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    g.fill(fillIndex);
    return g;
}

class GlyphDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        target = QImage(10, 10, QImage::Format_RGB32);
        target.fill(Qt::gray);
    }
    int count(QRgb c) const {
        int n = 0;
        for (int y = 0; y < target.height(); ++y)
            for (int x = 0; x < target.width(); ++x)
                n += target.pixel(x, y) == c;
        return n;
    }
    QImage target;
};

TEST_F(GlyphDrawTest, AMonochromeGlyphLeavesItsWhitePixels) {
    QImage g = mono(3, 2, 1);
    g.setPixel(1, 0, 0);
    g.setPixel(2, 1, 0);
    PixelCanvas canvas(&target);
    drawTransparent(canvas, 4, 5, g);
    EXPECT_EQ(target.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(6, 6), qRgb(0, 0, 0));
    EXPECT_EQ(count(qRgb(0, 0, 0)), 2);
    EXPECT_EQ(count(QColor(Qt::gray).rgb()), 98);
}

TEST_F(GlyphDrawTest, AColourGlyphLeavesTheColourOfItsBottomLeftPixel) {
    QImage g(3, 3, QImage::Format_RGB32);
    g.fill(Qt::green);
    g.setPixel(1, 1, qRgb(255, 0, 0));
    g.setPixel(0, 0, qRgb(255, 255, 255)); // white is an ordinary colour here
    PixelCanvas canvas(&target);
    drawTransparent(canvas, 0, 0, g);
    EXPECT_EQ(target.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(target.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(count(QColor(Qt::green).rgb()), 0);
}

TEST_F(GlyphDrawTest, ClipAndImageBoundsCutTheGlyph) {
    PixelCanvas canvas(&target);
    canvas.setClip(QRegion(0, 0, 10, 10).subtracted(QRegion(0, 0, 1, 1)));
    drawTransparent(canvas, -2, -2, mono(4, 4, 0)); // covers (0..1, 0..1) less the clip
    EXPECT_EQ(count(qRgb(0, 0, 0)), 3);
    drawTransparent(canvas, 8, 8, mono(100000, 5, 0));
    EXPECT_EQ(count(qRgb(0, 0, 0)), 7);
    drawTransparent(canvas, INT_MAX - 1, INT_MIN + 1, mono(4, 4, 0));
    drawTransparent(canvas, 0, 0, QImage());
    EXPECT_EQ(count(qRgb(0, 0, 0)), 7);
}

} // namespace
