#include "edge3d.h"

#include "support/distinctSystemColors.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

// Rows 0, 1, 10, 18 and 19 of a 20 x 20 image, one letter per pixel: H, L, S, D for the
// edge colours, . for untouched.
using Rows = std::array<std::string, 5>;

struct EdgeCase {
    const char* name;
    unsigned edge, sides;
    Rows rows;
    WinRect adjusted; // BF_ADJUST moves each drawn side in by 2
};

class Edge3dTest : public ::testing::TestWithParam<EdgeCase> {
protected:
    void SetUp() override { image.fill(Qt::red); }

    std::string row(int y) const {
        std::vector<QPoint> points;
        for (int x = 0; x < image.width(); ++x)
            points.emplace_back(x, y);
        return colorLetters(image, points, '.');
    }

    DistinctSystemColors colors;
    QImage image{20, 20, QImage::Format_RGB32};
};

TEST_P(Edge3dTest, DrawsTheClassicPixelsAndAdjustsTheRectangle) {
    const EdgeCase& c = GetParam();
    PixelCanvas canvas(&image);
    WinRect r{0, 0, 20, 20};
    drawEdge(canvas, r, c.edge, c.sides | BF_SOFT | BF_ADJUST);
    EXPECT_EQ((Rows{row(0), row(1), row(10), row(18), row(19)}), c.rows);
    EXPECT_EQ(r, c.adjusted);
}

// Bottom and right paint last and own the corners; an inner end is pulled in only beside
// a side that is drawn too.
INSTANTIATE_TEST_SUITE_P(
    Edges, Edge3dTest,
    ::testing::Values(
        EdgeCase{"raised_all_sides",
                 EDGE_RAISED,
                 BF_RECT,
                 {"HHHHHHHHHHHHHHHHHHHD", "HLLLLLLLLLLLLLLLLLSD", "HL................SD",
                  "HSSSSSSSSSSSSSSSSSSD", "DDDDDDDDDDDDDDDDDDDD"},
                 {2, 2, 18, 18}},
        EdgeCase{"sunken_all_sides",
                 EDGE_SUNKEN,
                 BF_RECT,
                 {"DDDDDDDDDDDDDDDDDDDH", "DSSSSSSSSSSSSSSSSSLH", "DS................LH",
                  "DLLLLLLLLLLLLLLLLLLH", "HHHHHHHHHHHHHHHHHHHH"},
                 {2, 2, 18, 18}},
        EdgeCase{"raised_left_top",
                 EDGE_RAISED,
                 BF_LEFT | BF_TOP,
                 {"HHHHHHHHHHHHHHHHHHHH", "HLLLLLLLLLLLLLLLLLLL", "HL..................",
                  "HL..................", "HL.................."},
                 {2, 2, 20, 20}},
        EdgeCase{"raised_right_bottom",
                 EDGE_RAISED,
                 BF_RIGHT | BF_BOTTOM,
                 {"..................SD", "..................SD", "..................SD",
                  "SSSSSSSSSSSSSSSSSSSD", "DDDDDDDDDDDDDDDDDDDD"},
                 {0, 0, 18, 18}}),
    [](const auto& info) { return std::string(info.param.name); });

struct ExtremeCase {
    WinRect rect, adjusted; // the adjusted sides stop at the ends of the int range
    int painted;            // pixels painted in the 20 x 20 image
    const char* corner;     // (5, 5), (6, 5), (5, 6), (6, 6)
};

TEST(Edge3d, TinyEmptyAndOutsideRectanglesStayWithinTheImageAndTheIntRange) {
    const ExtremeCase cases[] = {
        {{5, 5, 5, 5}, {7, 7, 3, 3}, 0, "...."},
        {{5, 5, 6, 6}, {7, 7, 4, 4}, 1, "D..."}, // bottom and right own a single pixel
        {{5, 5, 7, 7}, {7, 7, 5, 5}, 4, "HDDD"},
        {{9, 9, 3, 3}, {11, 11, 1, 1}, 0, "...."},
        {{-30, -30, 50, 50}, {-28, -28, 48, 48}, 0, "...."},
        {{-1, -1, 21, 21}, {1, 1, 19, 19}, 76, "...."}, // only the inner ring is inside
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
         {INT_MIN + 2, INT_MIN + 2, INT_MAX - 2, INT_MAX - 2},
         0,
         "...."},
        {{INT_MIN, 0, INT_MIN, 3}, {INT_MIN + 2, 2, INT_MIN, 1}, 0, "...."},
        {{INT_MAX - 1, INT_MAX - 1, INT_MAX, INT_MAX},
         {INT_MAX, INT_MAX, INT_MAX - 2, INT_MAX - 2},
         0,
         "...."},
    };
    DistinctSystemColors colors;
    for (const ExtremeCase& c : cases) {
        QImage image(20, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
        PixelCanvas canvas(&image);
        WinRect r = c.rect;
        drawEdge(canvas, r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST);
        int painted = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                painted += image.pixel(x, y) != QColor(Qt::red).rgb();
        EXPECT_EQ(r, c.adjusted) << c.rect.left << "," << c.rect.top;
        EXPECT_EQ(painted, c.painted) << c.rect.left << "," << c.rect.top;
        EXPECT_EQ(colorLetters(image, {{5, 5}, {6, 5}, {5, 6}, {6, 6}}, '.'), c.corner)
            << c.rect.left << "," << c.rect.top;
    }
}

} // namespace
