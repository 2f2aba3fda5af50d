// The drawing at the screen's device pixel ratio. ctest runs this file at 1 and, through
// QT_SCALE_FACTOR, at 1.25, 1.5 and 2: every check below must hold at each of them.
#include "support/distinctSystemColors.h"
#include "systemColors.h"
#include "uFKavalun.h"
#include "uQuarnSpinEdit.h"
#include "visualStyles.h"
#include "windowCanvas.h"

#include <QPushButton>
#include <QScreen>
#include <QWindow>
#include <QtTest>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

const QRgb black = 0xff000000u;

qint64 device(qint64 v, qreal ratio) {
    return std::llround(double(v) * ratio);
}

// A one-pixel stroke is this many device pixels wide everywhere.
int strokeWidth(qreal ratio) {
    return std::max(1, int(std::lround(ratio)));
}

class DeviceScaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(800, 1000);
        window.setAutoFillBackground(true);
        canvas = std::make_unique<WindowCanvas>(&window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        ratio = window.devicePixelRatioF();
        // The run must really be scaled when ctest asks for it.
        if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
            ASSERT_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
        }
        canvas->setPenColor(Qt::black);
    }

    bool isBlack(int x, int y) const { return canvas->image()->pixel(x, y) == black; }

    QWidget window;
    std::unique_ptr<WindowCanvas> canvas;
    qreal ratio = 1;
};

// Rays as a run draws them: from (100, 500) to (500, 500 + dy), flat, steep and both ways.
TEST_F(DeviceScaleTest, RaysAreEvenAndStepAtDeviceResolution) {
    const QImage& image = *canvas->image();
    ASSERT_EQ(image.size(), (QSizeF(window.size()) * ratio).toSize());
    for (int dy : {0, 35, -200, 395, 400, 495, -495}) {
        SCOPED_TRACE("dy " + std::to_string(dy));
        canvas->image()->fill(Qt::transparent);
        canvas->moveTo(100, 500);
        canvas->lineTo(500, 500 + dy);
        const qint64 x0 = device(100, ratio), y0 = device(500, ratio);
        const qint64 ddx = device(500, ratio) - x0, ddy = device(500 + dy, ratio) - y0;
        const bool xMajor = std::abs(ddx) >= std::abs(ddy);
        const qint64 steps = std::max(std::abs(ddx), std::abs(ddy));
        const int majorSign = xMajor ? 1 : (ddy < 0 ? -1 : 1);
        const qint64 majorFrom = xMajor ? x0 : y0, minorFrom = xMajor ? y0 : x0;
        const double slope = double(xMajor ? ddy : ddx) / double(steps);
        const int across = xMajor ? image.height() : image.width();
        qint64 lit = 0, lastStart = -1;
        for (qint64 i = 0; i < steps; ++i) {
            const int m = int(majorFrom + majorSign * i);
            // The ray's pixels across this column (or row): one run as wide as the pen,
            // on the straight line to within a pixel, moving at most a pixel per step.
            int start = -1, count = 0;
            for (int k = 0; k < across; ++k)
                if (xMajor ? isBlack(m, k) : isBlack(k, m)) {
                    if (start < 0) start = k;
                    ++count;
                    ASSERT_EQ(k, start + count - 1) << "a gap across the ray at " << m;
                }
            ASSERT_EQ(count, strokeWidth(ratio)) << "width across the ray at " << m;
            EXPECT_LE(std::abs(start - (minorFrom + slope * double(i))), 1.0) << "at " << m;
            if (lastStart >= 0) {
                EXPECT_LE(std::abs(start - lastStart), 1) << "at " << m;
            }
            lastStart = start;
            lit += count;
        }
        qint64 all = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                all += isBlack(x, y);
        EXPECT_EQ(all, lit) << "nothing lit beside the ray";
    }
}

// Bars as a run draws them, two logical rows high, five apart, of several lengths.
TEST_F(DeviceScaleTest, BarsCoverWholeDeviceRows) {
    const struct {
        int y, right;
    } bars[] = {{290, 520}, {295, 777}, {300, 503}, {305, 600}, {311, 502}};
    for (const auto& bar : bars)
        canvas->rectangle(501, bar.y, bar.right, bar.y + 2);
    const QImage& image = *canvas->image();
    const int left = int(device(501, ratio));
    int bar = -1, height = 0, right = -1, firstHeight = 0;
    const auto endBar = [&] {
        if (bar < 0) return;
        // Every bar as high as the others, near two logical rows.
        if (bar == 0) {
            firstHeight = height;
        } else {
            EXPECT_EQ(height, firstHeight) << "bar " << bar;
        }
        EXPECT_LE(std::abs(height - 2 * ratio), 0.5) << "bar " << bar;
        EXPECT_LE(std::abs(right - left - (bars[bar].right - 501) * ratio), 1.0) << "bar " << bar;
    };
    for (int y = int(device(280, ratio)); y < int(device(320, ratio)); ++y) {
        // A row is a bar's whole row, from its left edge to its right, or empty.
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x)
            if (isBlack(x, y)) {
                if (first < 0) first = x;
                ASSERT_EQ(x, last < 0 ? first : last + 1) << "row " << y << " has a gap";
                last = x;
            }
        if (first < 0) {
            if (height) endBar();
            height = 0;
            continue;
        }
        EXPECT_EQ(first, left) << "row " << y;
        if (height == 0) {
            ++bar;
            right = last + 1;
        }
        EXPECT_EQ(last + 1, right) << "row " << y << " of bar " << bar;
        ++height;
    }
    if (height) endBar();
    EXPECT_EQ(bar, 4) << "every bar apart from the next";
}

// What the window shows is the drawing, device pixel for device pixel.
TEST_F(DeviceScaleTest, TheScreenShowsTheDeviceDrawingUnscaled) {
    canvas->moveTo(100, 300);
    canvas->lineTo(300, 377);
    canvas->rectangle(301, 290, 380, 292);
    const QRect area(90, 280, 300, 110);
    const QRect pixels(
        QRectF(QRectF(area).topLeft() * ratio, QRectF(area).size() * ratio).toRect());
    // The offscreen platform grabs the window's device pixels only as far as its logical size.
    QImage shown;
    const auto mismatches = [&] {
        shown = window.screen()->grabWindow(window.winId()).toImage();
        int wrong = 0;
        for (int y = pixels.top(); y <= pixels.bottom(); ++y)
            for (int x = pixels.left(); x <= pixels.right(); ++x)
                wrong += !shown.valid(x, y) || (shown.pixel(x, y) == black) != isBlack(x, y);
        return wrong;
    };
    (void)QTest::qWaitFor([&] { return mismatches() == 0; });
    EXPECT_EQ(mismatches(), 0) << shown.width() << "x" << shown.height();
}

// The spin button's faces at the screen's resolution: each arrow keeps its size and is
// mirror-symmetric as at scale 1, in every face.
TEST(DeviceScaleSpin, FacesHoldDeviceDrawnSymmetricGlyphs) {
    DistinctSystemColors colors;
    setVisualStylesOverride(false);
    for (QSize size : {QSize(20, 20), QSize(31, 17), QSize(16, 41)}) {
        QWidget host;
        host.resize(120, 120);
        auto* spin = new TQuarnSpinButton(&host);
        spin->SetButtonStyle(sbsClassic);
        spin->setGeometry(20, 20, size.width(), size.height());
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
        spin->grab();
        const qreal ratio = spin->devicePixelRatioF();
        for (TSpinFace f : {TSpinFace::Normal, TSpinFace::TopPressed, TSpinFace::BottomPressed}) {
            const QImage face = spin->Face(f).convertToFormat(QImage::Format_RGB32);
            SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()) +
                         " face " + std::to_string(int(f)));
            ASSERT_EQ(face.width(), std::ceil(size.width() * ratio));
            ASSERT_EQ(face.height(), std::ceil(size.height() * ratio));
            const int middle = int(device(size.height() / 2, ratio));
            for (QRect half : {QRect(0, 0, face.width(), middle),
                               QRect(0, middle, face.width(), face.height() - middle)}) {
                QRect glyph;
                for (int y = half.top(); y <= half.bottom(); ++y)
                    for (int x = half.left(); x <= half.right(); ++x)
                        if (face.pixel(x, y) == black) glyph |= QRect(x, y, 1, 1);
                // The pole arrows are 7 x 4 pixels, whole in every face.
                ASSERT_LE(std::abs(glyph.width() - 7 * ratio), 1.0) << "half at " << half.top();
                ASSERT_LE(std::abs(glyph.height() - 4 * ratio), 1.0) << "half at " << half.top();
                for (int y = glyph.top(); y <= glyph.bottom(); ++y)
                    for (int x = glyph.left(); x <= glyph.right(); ++x)
                        EXPECT_EQ(face.pixel(x, y) == black,
                                  face.pixel(glyph.left() + glyph.right() - x, y) == black)
                            << "at " << x << "," << y;
            }
        }
    }
    setVisualStylesOverride(std::nullopt);
}

} // namespace

namespace {

// A window moved to a screen with another ratio gets a drawing of that screen's device
// pixels. Runs where ctest gives two screens of different ratios.
TEST(DeviceScaleScreens, TheDrawingFollowsTheWindowToAScreenOfAnotherRatio) {
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2 || screens[0]->devicePixelRatio() == screens[1]->devicePixelRatio())
        GTEST_SKIP() << "needs two screens of different ratios";
    QWidget window;
    window.resize(400, 300);
    WindowCanvas canvas(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    for (QScreen* screen : {screens[1], screens[0], screens[1]}) {
        const qreal ratio = screen->devicePixelRatio();
        SCOPED_TRACE("ratio " + std::to_string(ratio));
        window.move(screen->geometry().topLeft() + QPoint(50, 50));
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.devicePixelRatioF() == ratio; }));
        ASSERT_TRUE(QTest::qWaitFor([&] { return canvas.image()->devicePixelRatio() == ratio; }));
        EXPECT_EQ(canvas.image()->size(), QSize(400, 300) * ratio);
        canvas.setPenColor(Qt::black);
        canvas.moveTo(10, 20);
        canvas.lineTo(300, 20);
        // A horizontal line as thick as the ratio, at the ratio's rows.
        for (int y = 0; y < 60; ++y)
            EXPECT_EQ(canvas.image()->pixel(int(100 * ratio), y) == black,
                      y >= 20 * ratio && y < 20 * ratio + ratio)
                << "row " << y;
    }
}

} // namespace

namespace {

// The whole window at the screen's ratio, as a projector shows it: within the screen, and its
// picture made of the screen's own pixels. Bars and erased rays are whole device pixels, so
// right of the screen line there is nothing but black and the button face, which a picture
// drawn at 100 % and enlarged would blur.
TEST(DeviceScaleWindow, TheWindowIsWholeAndSharp) {
    TForm1 form;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const qreal ratio = form.devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        ASSERT_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    EXPECT_TRUE(form.screen()->availableGeometry().contains(form.windowHandle()->frameGeometry()));
    while (form.pace() > 0)
        form.QuarnSpinButton1TopClick(&form);
    form.AfterParticle = [&] {
        if (form.particleCount() == 2000 && form.running()) form.Button1->click();
    };
    form.Button1->click();
    const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), (QSizeF(form.size()) * ratio).toSize());
    int dark = 0, other = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = int(std::ceil(501 * ratio)); x < shot.width(); ++x) {
            const QRgb pixel = shot.pixel(x, y);
            dark += pixel == black;
            other += pixel != black && pixel != clBtnFace().rgb();
        }
    EXPECT_GT(dark, 0) << "bars are drawn";
    EXPECT_EQ(other, 0) << "pixels blended by scaling";
}

} // namespace
