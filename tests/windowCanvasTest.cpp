#include "windowCanvas.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class WindowCanvasTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(200, 100);
        window.setAutoFillBackground(true);
        label = new QLabel("under", &window);
        label->setGeometry(10, 10, 60, 20);
        canvas = std::make_unique<WindowCanvas>(&window);
        edit = new QLineEdit(&window);
        edit->setAutoFillBackground(true);
        edit->setGeometry(100, 10, 60, 20);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        canvas->setPenColor(Qt::red);
    }

    QRgb at(int x, int y) { return window.grab().toImage().pixel(x, y); }

    QWidget window;
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    std::unique_ptr<WindowCanvas> canvas;
};

TEST_F(WindowCanvasTest, StrokeShowsOverLightControlsAndUnderWindowedOnes) {
    canvas->moveTo(0, 15);
    canvas->lineTo(200, 15);
    EXPECT_EQ(at(20, 15), qRgb(255, 0, 0)) << "over the label";
    EXPECT_NE(at(120, 15), qRgb(255, 0, 0)) << "under the edit";
    EXPECT_EQ(at(180, 15), qRgb(255, 0, 0));
}

TEST_F(WindowCanvasTest, InvalidationWipesOnlyWhenEventsAreProcessed) {
    canvas->moveTo(0, 50);
    canvas->lineTo(200, 50);
    canvas->invalidate();
    canvas->moveTo(0, 60);
    canvas->lineTo(200, 60);
    EXPECT_EQ(at(20, 50), qRgb(255, 0, 0)) << "still there until events are processed";
    QCoreApplication::processEvents();
    EXPECT_NE(at(20, 50), qRgb(255, 0, 0));
    EXPECT_NE(at(20, 60), qRgb(255, 0, 0)) << "a stroke drawn before the wipe goes too";
    canvas->moveTo(0, 70);
    canvas->lineTo(200, 70);
    QCoreApplication::processEvents();
    EXPECT_EQ(at(20, 70), qRgb(255, 0, 0)) << "strokes after the wipe stay";
}

TEST_F(WindowCanvasTest, KeepsTheDrawingWhenTheWindowGrows) {
    canvas->moveTo(0, 80);
    canvas->lineTo(200, 80);
    window.resize(300, 150);
    canvas->resizeToWindow();
    canvas->moveTo(250, 0);
    canvas->lineTo(250, 150);
    EXPECT_EQ(at(20, 80), qRgb(255, 0, 0));
    EXPECT_EQ(at(250, 120), qRgb(255, 0, 0));
}

TEST(WindowCanvasLifetime, DrawingAfterTheWindowIsGoneIsHarmless) {
    auto window = std::make_unique<QWidget>();
    window->resize(50, 50);
    WindowCanvas canvas(window.get());
    window->show();
    window.reset();
    canvas.moveTo(0, 0);
    canvas.lineTo(40, 40);
    canvas.invalidate();
    canvas.resizeToWindow();
    QCoreApplication::processEvents();
    SUCCEED();
}

} // namespace
