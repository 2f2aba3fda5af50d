#include "themeParts.h"

#include <QApplication>
#include <QStyleFactory>

#include <gtest/gtest.h>

namespace {

QImage drawn(ThemeClass cls, int part, int state, const QRegion* clip = nullptr) {
    QImage image(24, 12, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    drawThemePart(image, clip, cls, part, state, WinRect{-1, -1, 25, 13});
    return image;
}

struct PartCase {
    const char* name;
    const char* style;
    ThemeClass cls;
    int part;
};

class ThemePartTest : public ::testing::TestWithParam<PartCase> {
protected:
    void SetUp() override { QApplication::setStyle(QStyleFactory::create(GetParam().style)); }
    void TearDown() override { QApplication::setStyle(QStyleFactory::create("Fusion")); }
};

TEST_P(ThemePartTest, DrawsOnlyInsideTheClip) {
    const PartCase& c = GetParam();
    const QRegion clip(0, 0, 10, 12);
    const QImage image = drawn(c.cls, c.part, 1, &clip);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 10; x < image.width(); ++x)
            ASSERT_EQ(image.pixel(x, y), QColor(Qt::magenta).rgb()) << x << "," << y;
    EXPECT_NE(image.pixel(5, 6), QColor(Qt::magenta).rgb());
}

INSTANTIATE_TEST_SUITE_P(
    Parts, ThemePartTest,
    ::testing::Values(PartCase{"fusion_button", "Fusion", ThemeClass::Button, BP_PUSHBUTTON},
                      PartCase{"fusion_spin_up", "Fusion", ThemeClass::Spin, SPNP_UP},
                      PartCase{"fusion_spin_down", "Fusion", ThemeClass::Spin, SPNP_DOWN},
                      PartCase{"windows_button", "Windows", ThemeClass::Button, BP_PUSHBUTTON}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ThemeParts, EmptyRectanglesAndNullImagesDrawNothing) {
    QImage null;
    drawThemePart(null, nullptr, ThemeClass::Spin, SPNP_UP, 1, WinRect{0, 0, 5, 5});
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    drawThemePart(image, nullptr, ThemeClass::Button, BP_PUSHBUTTON, 1, WinRect{3, 3, 3, 9});
    drawThemePart(image, nullptr, ThemeClass::Spin, SPNP_DOWN, 3, WinRect{5, 5, 1, 1});
    EXPECT_EQ(image.pixel(0, 0), QColor(Qt::magenta).rgb());
    EXPECT_EQ(image.pixel(3, 3), QColor(Qt::magenta).rgb());
}

} // namespace
