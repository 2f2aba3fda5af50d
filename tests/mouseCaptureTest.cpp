#include "mouseCapture.h"

#include <QDialog>
#include <QtTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// What the widget's own handlers see of the left-button flag and the capture.
class Probe : public QWidget {
public:
    MouseCapture capture{this};
    bool leftInPress = false, capturedInPress = false, leftInRelease = true;

protected:
    void mousePressEvent(QMouseEvent*) override {
        leftInPress = capture.leftButtonDown();
        capturedInPress = capture.captured();
    }
    void mouseReleaseEvent(QMouseEvent*) override { leftInRelease = capture.leftButtonDown(); }
};

class MouseCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(100, 100);
        probe = new Probe;
        probe->setParent(&host);
        probe->setGeometry(10, 10, 30, 30);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }
    QWidget host;
    Probe* probe = nullptr;
};

TEST_F(MouseCaptureTest, TheLeftFlagFollowsTheLeftButtonAndOnlyALeftPressCaptures) {
    QTest::mousePress(probe, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(probe->leftInPress);
    EXPECT_TRUE(probe->capturedInPress);
    QTest::mouseMove(probe, QPoint(80, 80));
    EXPECT_TRUE(probe->capture.captured()) << "outside the widget too";
    QTest::mousePress(probe, Qt::RightButton, {}, QPoint(80, 80));
    QTest::mouseRelease(probe, Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_FALSE(probe->leftInRelease);
    EXPECT_TRUE(probe->capture.captured()) << "the right button is still down";
    QTest::mouseRelease(probe, Qt::RightButton, {}, QPoint(80, 80));
    EXPECT_FALSE(probe->capture.captured());
    QTest::mousePress(probe, Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_FALSE(probe->capture.captured()) << "a right press alone captures nothing";
    QTest::mouseRelease(probe, Qt::RightButton, {}, QPoint(5, 5));
}

TEST_F(MouseCaptureTest, AnExplicitGrabElsewhereTakesTheCaptureAway) {
    QTest::mousePress(probe, Qt::LeftButton, {}, QPoint(5, 5));
    QWidget other(&host);
    other.show();
    other.grabMouse();
    EXPECT_FALSE(probe->capture.captured());
    other.releaseMouse();
    EXPECT_TRUE(probe->capture.captured());
    QTest::mouseRelease(probe, Qt::LeftButton, {}, QPoint(5, 5));
}

TEST_F(MouseCaptureTest, AModalWindowOverOursTakesTheButtonAndCaptureAway) {
    QTest::mousePress(probe, Qt::LeftButton, {}, QPoint(5, 5));
    QDialog box;
    box.setModal(true);
    box.show();
    EXPECT_FALSE(probe->capture.captured());
    box.hide();
    EXPECT_TRUE(probe->capture.captured());
    QTest::mouseRelease(probe, Qt::LeftButton, {}, QPoint(5, 5));
}

} // namespace
