#include "edge3d.h"

#include "systemColors.h"

#include <QApplication>
#include <QPalette>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Distinct colours for the four roles, so every pixel tells which one it got.
class Edge3dTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = QApplication::palette();
        QPalette p = saved;
        p.setColor(QPalette::Light, QColor(255, 255, 255));
        p.setColor(QPalette::Midlight, QColor(220, 220, 220));
        p.setColor(QPalette::Dark, QColor(128, 128, 128));
        p.setColor(QPalette::Shadow, QColor(64, 64, 64));
        QApplication::setPalette(p);
        image = QImage(20, 20, QImage::Format_RGB32);
        image.fill(Qt::red);
    }
    void TearDown() override { QApplication::setPalette(saved); }

    // One letter per pixel: H, L, S, D for the edge colours, . for untouched.
    std::vector<std::string> picture() const {
        std::vector<std::string> rows;
        for (int y = 0; y < image.height(); ++y) {
            std::string row;
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                row += c == clBtnHighlight().rgb() ? 'H'
                       : c == cl3DLight().rgb()    ? 'L'
                       : c == clBtnShadow().rgb()  ? 'S'
                       : c == cl3DDkShadow().rgb() ? 'D'
                                                   : '.';
            }
            rows.push_back(row);
        }
        return rows;
    }

    QPalette saved;
    QImage image;
};

TEST_F(Edge3dTest, RaisedAllSidesMatchesTheClassicPicture) {
    PixelCanvas canvas(&image);
    WinRect r{0, 0, 20, 20};
    drawEdge(canvas, r, EDGE_RAISED, BF_RECT | BF_SOFT);
    const auto rows = picture();
    EXPECT_EQ(rows[0], "HHHHHHHHHHHHHHHHHHHD");
    EXPECT_EQ(rows[1], "HLLLLLLLLLLLLLLLLLSD");
    EXPECT_EQ(rows[10], "HL................SD");
    EXPECT_EQ(rows[18], "HSSSSSSSSSSSSSSSSSSD");
    EXPECT_EQ(rows[19], "DDDDDDDDDDDDDDDDDDDD");
    EXPECT_EQ(r, (WinRect{0, 0, 20, 20})) << "no BF_ADJUST, no change";
}

TEST_F(Edge3dTest, SunkenAllSidesSwapsTheColours) {
    PixelCanvas canvas(&image);
    WinRect r{0, 0, 20, 20};
    drawEdge(canvas, r, EDGE_SUNKEN, BF_RECT | BF_SOFT);
    const auto rows = picture();
    EXPECT_EQ(rows[0], "DDDDDDDDDDDDDDDDDDDH");
    EXPECT_EQ(rows[1], "DSSSSSSSSSSSSSSSSSLH");
    EXPECT_EQ(rows[18], "DLLLLLLLLLLLLLLLLLLH");
    EXPECT_EQ(rows[19], "HHHHHHHHHHHHHHHHHHHH");
}

TEST_F(Edge3dTest, InnerEndsArePulledInOnlyBesideADrawnSide) {
    PixelCanvas canvas(&image);
    WinRect r{0, 0, 20, 20};
    drawEdge(canvas, r, EDGE_RAISED, BF_LEFT | BF_TOP | BF_SOFT);
    auto rows = picture();
    EXPECT_EQ(rows[0], "HHHHHHHHHHHHHHHHHHHH");
    EXPECT_EQ(rows[1], "HLLLLLLLLLLLLLLLLLLL");
    EXPECT_EQ(rows[19], "HL..................");

    image.fill(Qt::red);
    drawEdge(canvas, r, EDGE_RAISED, BF_RIGHT | BF_BOTTOM | BF_SOFT);
    rows = picture();
    EXPECT_EQ(rows[0], "..................SD");
    EXPECT_EQ(rows[18], "SSSSSSSSSSSSSSSSSSSD");
    EXPECT_EQ(rows[19], "DDDDDDDDDDDDDDDDDDDD");
}

struct AdjustCase {
    const char* name;
    unsigned sides;
    WinRect expected;
};

class AdjustTest : public Edge3dTest, public ::testing::WithParamInterface<AdjustCase> {};

TEST_P(AdjustTest, AdjustMovesEachDrawnSideInByTwo) {
    PixelCanvas canvas(&image);
    WinRect r{0, 0, 20, 20};
    drawEdge(canvas, r, EDGE_SUNKEN, GetParam().sides | BF_SOFT | BF_ADJUST);
    EXPECT_EQ(r, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sides, AdjustTest,
    ::testing::Values(AdjustCase{"all", BF_RECT, {2, 2, 18, 18}},
                      AdjustCase{"left_top", BF_LEFT | BF_TOP, {2, 2, 20, 20}},
                      AdjustCase{"right_bottom", BF_RIGHT | BF_BOTTOM, {0, 0, 18, 18}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Edge3dTest, TinyEmptyAndOutsideRectanglesStayWithinTheImage) {
    PixelCanvas canvas(&image);
    for (WinRect r :
         {WinRect{5, 5, 5, 5}, WinRect{5, 5, 6, 6}, WinRect{5, 5, 7, 7}, WinRect{9, 9, 3, 3},
          WinRect{-30, -30, 50, 50}, WinRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX},
          WinRect{INT_MIN, 0, INT_MIN, 3}}) {
        image.fill(Qt::red);
        drawEdge(canvas, r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_ADJUST);
    }
    WinRect one{5, 5, 6, 6};
    image.fill(Qt::red);
    drawEdge(canvas, one, EDGE_RAISED, BF_RECT | BF_SOFT);
    EXPECT_EQ(picture()[5][5], 'D') << "a single pixel: bottom and right own it";
}

} // namespace
