#include "uQuarnSpinEdit.h"

#include "application.h"
#include "messageTimer.h"
#include "visualStyles.h"

#include <QLineEdit>
#include <QPointer>
#include <QtTest>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

namespace {

struct Clicks {
    int top = 0, bottom = 0;
    std::vector<qint64> times; // manual clock time of each event
};

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// A shown window holding one spin button, the manual clock for its timer and a recorder
// in place of the error box. The classic looks unless a test asks for the themed ones.
class SpinFixture : public ::testing::Test {
protected:
    void SetUp() override { setVisualStylesOverride(false); }
    void TearDown() override {
        // Leaves Qt's notion of the held buttons clean for the next test.
        if (QGuiApplication::mouseButtons() != Qt::NoButton && spin)
            for (Qt::MouseButton b : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton})
                if (QGuiApplication::mouseButtons() & b)
                    QTest::mouseRelease(spin, b, {}, QPoint(-50, -50));
        host.reset();
        clock.reset();
        TApplication::setErrorBox({});
        setVisualStylesOverride(std::nullopt);
    }

    void make(int w = 20, int h = 20, TSpinButtonStyle style = sbsDefault) {
        host.reset();
        clock.reset();
        clock = std::make_unique<ManualTimerClock>();
        host = std::make_unique<QWidget>();
        host->resize(std::max(w + 60, 120), std::max(h + 60, 120));
        spin = new TQuarnSpinButton(host.get());
        spin->SetButtonStyle(style);
        spin->setGeometry(20, 20, w, h);
        spin->SetOnTopClick([this](QObject* sender) {
            EXPECT_EQ(sender, spin);
            ++clicks.top;
            clicks.times.push_back(clock->now());
        });
        spin->SetOnBottomClick([this](QObject* sender) {
            EXPECT_EQ(sender, spin);
            ++clicks.bottom;
            clicks.times.push_back(clock->now());
        });
        spin->installEventFilter(&paints);
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        TApplication::setErrorBox([this](const QString&, const QString& text) { errors << text; });
    }

    void press(QPoint p, Qt::MouseButton b = Qt::LeftButton) { QTest::mousePress(spin, b, {}, p); }
    void release(QPoint p, Qt::MouseButton b = Qt::LeftButton) {
        QTest::mouseRelease(spin, b, {}, p);
    }
    void move(QPoint p) { QTest::mouseMove(spin, p); }

    // The face the control paints now, found by painting it.
    TSpinFace shown() {
        const QImage painted = spin->grab().toImage().convertToFormat(QImage::Format_RGB32);
        for (TSpinFace f : {TSpinFace::TopPressed, TSpinFace::BottomPressed, TSpinFace::Normal,
                            TSpinFace::TopHot, TSpinFace::BottomHot})
            if (painted == spin->Face(f).convertToFormat(QImage::Format_RGB32)) return f;
        ADD_FAILURE() << "the painted image is none of the faces";
        return TSpinFace::Normal;
    }

    MessageTimer* timer() const { return spin->findChild<MessageTimer*>(); }
    int events() const { return clicks.top + clicks.bottom; }

    std::unique_ptr<ManualTimerClock> clock;
    std::unique_ptr<QWidget> host;
    TQuarnSpinButton* spin = nullptr;
    Clicks clicks;
    PaintCounter paints;
    QStringList errors;
};

// ---------------------------------------------------------------- the half test

struct HalfCase {
    const char* name;
    TSpinButtonStyle style;
    int w, h;
    QPoint at;
    bool bottom;
};

class HalfTest : public SpinFixture, public ::testing::WithParamInterface<HalfCase> {};

TEST_P(HalfTest, PressRaisesTheEventOfTheHalfHit) {
    const HalfCase& c = GetParam();
    make(c.w, c.h, c.style);
    press(c.at);
    release(c.at);
    EXPECT_EQ(clicks.top, c.bottom ? 0 : 1);
    EXPECT_EQ(clicks.bottom, c.bottom ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Halves, HalfTest,
    ::testing::Values(HalfCase{"diagonal_5_5_top", sbsDefault, 20, 20, {5, 5}, false},
                      HalfCase{"diagonal_15_15_bottom", sbsDefault, 20, 20, {15, 15}, true},
                      HalfCase{"diagonal_on_the_line_is_top", sbsDefault, 20, 20, {10, 10}, false},
                      HalfCase{"diagonal_below_the_line", sbsDefault, 20, 20, {10, 11}, true},
                      HalfCase{"diagonal_right_of_the_line", sbsDefault, 20, 20, {11, 10}, true},
                      HalfCase{
                          "diagonal_bottom_left_corner_is_top", sbsDefault, 20, 20, {0, 19}, false},
                      HalfCase{"wide_on_its_own_diagonal", sbsDefault, 40, 20, {20, 10}, false},
                      HalfCase{"wide_past_its_own_diagonal", sbsDefault, 40, 20, {21, 10}, true},
                      HalfCase{"uneven_ratio_on_the_line", sbsDefault, 30, 20, {15, 10}, false},
                      HalfCase{"uneven_ratio_past_the_line", sbsDefault, 30, 20, {16, 10}, true},
                      HalfCase{"stacked_row_10_is_top", sbsClassic, 20, 20, {10, 10}, false},
                      HalfCase{"stacked_row_11_is_bottom", sbsClassic, 20, 20, {3, 11}, true},
                      HalfCase{"stacked_tall_row_20_is_top", sbsClassic, 16, 41, {2, 20}, false},
                      HalfCase{"stacked_tall_row_21_is_bottom", sbsClassic, 16, 41, {2, 21}, true},
                      HalfCase{"one_pixel_control_is_top", sbsDefault, 1, 1, {0, 0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- holding

struct HoldCase {
    const char* name;
    TSpinButtonStyle style;
    int w, h;
    QPoint at;
    bool bottom;
};

class HoldTest : public SpinFixture, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(HoldTest, OneSecondRaisesEightEventsAtThePressAndFrom400msEvery100ms) {
    const HoldCase& c = GetParam();
    make(c.w, c.h, c.style);
    press(c.at);
    clock->advance(1000);
    EXPECT_EQ(clicks.times, (std::vector<qint64>{0, 400, 500, 600, 700, 800, 900, 1000}));
    EXPECT_EQ(c.bottom ? clicks.bottom : clicks.top, 8);
    EXPECT_EQ(shown(), c.bottom ? TSpinFace::BottomPressed : TSpinFace::TopPressed);
    release(c.at);
    clock->advance(1000);
    EXPECT_EQ(events(), 8) << "a release inside stops the repeats";
    EXPECT_EQ(shown(), TSpinFace::Normal);
}

INSTANTIATE_TEST_SUITE_P(
    Holds, HoldTest,
    ::testing::Values(HoldCase{"diagonal_top", sbsDefault, 20, 20, {5, 5}, false},
                      HoldCase{"diagonal_bottom", sbsDefault, 20, 20, {15, 15}, true},
                      HoldCase{"stacked_top", sbsClassic, 20, 20, {10, 3}, false},
                      HoldCase{"stacked_bottom", sbsClassic, 20, 20, {10, 15}, true},
                      HoldCase{"wide_diagonal_bottom", sbsDefault, 45, 17, {40, 15}, true},
                      HoldCase{"wide_stacked_top", sbsClassic, 45, 17, {40, 8}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpinFixture, HoldingTheTopHalfStepsAPaceOf20DownTo12) {
    make();
    int pace = 20;
    spin->SetOnTopClick([&](QObject*) { pace = std::max(0, pace - 1); });
    press({5, 5});
    clock->advance(1000);
    release({5, 5});
    EXPECT_EQ(pace, 12);
}

TEST_F(SpinFixture, AClickReleasedWithin400msRaisesExactlyOneEvent) {
    make();
    press({15, 15});
    clock->advance(399);
    release({15, 15});
    clock->advance(2000);
    EXPECT_EQ(clicks.bottom, 1);
    EXPECT_EQ(clicks.top, 0);
}

TEST_F(SpinFixture, ARealTimeHoldNeverRepeatsEarlierThanThePeriods) {
    clock.reset();
    host = std::make_unique<QWidget>();
    spin = new TQuarnSpinButton(host.get());
    QElapsedTimer sinceStart;
    std::vector<qint64> at;
    spin->SetOnBottomClick([&](QObject*) { at.push_back(sinceStart.elapsed()); });
    host->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
    sinceStart.start();
    QTest::mousePress(spin, Qt::LeftButton, {}, QPoint(15, 15));
    QTest::qWait(1000);
    const qint64 elapsed = sinceStart.elapsed();
    QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(15, 15));
    // A busy machine makes ticks late, never early: tick k comes 400 + 100 (k - 1) ms in.
    ASSERT_FALSE(at.empty());
    for (size_t k = 1; k < at.size(); ++k)
        EXPECT_GE(at[k], 400 + 100 * qint64(k - 1));
    EXPECT_LE(qint64(at.size()), 1 + std::max<qint64>(0, (elapsed - 400) / 100 + 1));
}

// ---------------------------------------------------------------- the press states

TEST_F(SpinFixture, IdleToHeldFiresOnceShowsPressedAndArmsTheTimerAt400) {
    make();
    const int before = paints.paints;
    press({5, 5});
    EXPECT_EQ(clicks.top, 1);
    EXPECT_GT(paints.paints, before) << "the pressed face is shown at once";
    EXPECT_EQ(shown(), TSpinFace::TopPressed);
    ASSERT_NE(timer(), nullptr);
    EXPECT_TRUE(timer()->running());
    EXPECT_EQ(timer()->interval(), 400);
    clock->advance(399);
    EXPECT_EQ(clicks.top, 1);
    clock->advance(1);
    EXPECT_EQ(clicks.top, 2);
}

TEST_F(SpinFixture, HeldSlidesOffIntoTheOtherHalfOrOutsideAndBackIntoItsOwn) {
    for (QPoint away : {QPoint(15, 15), QPoint(40, 5)}) {
        make();
        clicks = {};
        press({5, 5});
        clock->advance(450); // 400: first repeat
        ASSERT_EQ(clicks.top, 2);
        int before = paints.paints;
        move(away);
        EXPECT_GT(paints.paints, before);
        EXPECT_EQ(shown(), TSpinFace::Normal);
        clock->advance(500);
        EXPECT_EQ(clicks.top, 2) << "repeats pause while slid off";
        EXPECT_EQ(clicks.bottom, 0) << "the other half never becomes pressed";
        before = paints.paints;
        move({4, 4});
        EXPECT_GT(paints.paints, before);
        EXPECT_EQ(shown(), TSpinFace::TopPressed);
        clock->advance(100); // the running timer fires again, no new 400 ms wait
        EXPECT_EQ(clicks.top, 3);
        release({4, 4});
    }
}

TEST_F(SpinFixture, ReleaseInsideReturnsToIdleFromHeldAndFromSlidOff) {
    for (bool slidOff : {false, true}) {
        make();
        clicks = {};
        press({15, 15});
        if (slidOff) move({3, 3});
        const int before = paints.paints;
        release(slidOff ? QPoint(3, 3) : QPoint(15, 15));
        EXPECT_GT(paints.paints, before);
        EXPECT_EQ(shown(), TSpinFace::Normal);
        clock->advance(1000);
        EXPECT_EQ(events(), 1);
        press({5, 5});
        EXPECT_EQ(clicks.top, 1) << "the next press starts afresh";
        release({5, 5});
    }
}

TEST_F(SpinFixture, ReleaseOutsideAfterSlidingOffRaisesNothingMore) {
    make();
    press({5, 5});
    clock->advance(200);
    move({60, 60});
    EXPECT_EQ(shown(), TSpinFace::Normal) << "normal from the moment the pointer left";
    clock->advance(1000);
    release({60, 60});
    clock->advance(1000);
    EXPECT_EQ(events(), 1);
    EXPECT_EQ(shown(), TSpinFace::Normal);
}

TEST_F(SpinFixture, AHandlerThatSeesTheButtonComeUpEndsThePress) {
    make();
    spin->SetOnTopClick([this](QObject*) {
        ++clicks.top;
        QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(5, 5));
    });
    const int before = paints.paints;
    press({5, 5});
    EXPECT_EQ(paints.paints, before) << "the press draws nothing";
    EXPECT_EQ(shown(), TSpinFace::Normal);
    ASSERT_NE(timer(), nullptr);
    EXPECT_TRUE(timer()->running()) << "the timer is armed all the same";
    clock->advance(1000);
    EXPECT_EQ(clicks.top, 1) << "no repeats follow";
    press({5, 5});
    EXPECT_EQ(clicks.top, 2) << "slid off with no origin: the next press is a new one";
    release({5, 5});
}

TEST_F(SpinFixture, AHandlerErrorInThePressLeavesTheHalfPressedUntilAReleaseInside) {
    make();
    spin->SetOnBottomClick([this](QObject*) {
        ++clicks.bottom;
        throw std::runtime_error("press failed");
    });
    press({15, 15});
    EXPECT_EQ(errors, QStringList{"press failed."});
    EXPECT_EQ(timer(), nullptr) << "the timer is not armed";
    EXPECT_EQ(shown(), TSpinFace::BottomPressed);
    release({15, 15}); // not followed: the press was never accepted
    EXPECT_EQ(shown(), TSpinFace::BottomPressed);
    // Left pressed: a press anywhere raises nothing; its release inside ends it all.
    press({3, 3});
    EXPECT_EQ(clicks.bottom, 1);
    EXPECT_EQ(clicks.top, 0);
    EXPECT_EQ(shown(), TSpinFace::BottomPressed);
    release({3, 3});
    EXPECT_EQ(shown(), TSpinFace::Normal);
    press({3, 3});
    EXPECT_EQ(clicks.top, 1);
    release({3, 3});
}

TEST_F(SpinFixture, ReleaseOutsideWithoutAMoveLeavesTheHalfPressedAndTicksIdle) {
    make();
    press({5, 5});
    // Sent straight to the control: no move outside is reported before this release.
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(70, 70), spin->mapToGlobal(QPointF(70, 70)),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(spin, &up);
    EXPECT_EQ(shown(), TSpinFace::TopPressed);
    clock->advance(1000);
    EXPECT_EQ(clicks.top, 1) << "no capture: the ticks do nothing";
}

TEST_F(SpinFixture, LeftPressedThenPressedAgainLetsTheRunningTimerFireTheHalf) {
    make();
    press({5, 5});
    clock->advance(100);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(70, 70), spin->mapToGlobal(QPointF(70, 70)),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(spin, &up);
    QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(70, 70)); // Qt's own button state
    ASSERT_EQ(clicks.top, 1);
    const int restarts = timer()->restarts();
    press({15, 15}); // anywhere, even the other half
    EXPECT_EQ(events(), 1) << "no event";
    EXPECT_EQ(timer()->restarts(), restarts) << "timer untouched";
    clock->advance(300); // the first period ends at 400 after the first press
    EXPECT_EQ(clicks.top, 2);
    EXPECT_EQ(clicks.bottom, 0);
    release({15, 15});
    EXPECT_EQ(shown(), TSpinFace::Normal);
    clock->advance(1000);
    EXPECT_EQ(clicks.top, 2);
}

TEST_F(SpinFixture, APaintWhileDisabledEndsTheFollowingOfAPress) {
    make();
    press({15, 15});
    spin->setEnabled(false);
    shown(); // a paint
    spin->setEnabled(true);
    release({15, 15});
    EXPECT_EQ(shown(), TSpinFace::BottomPressed) << "left pressed: the release is not followed";
    clock->advance(1000);
    EXPECT_EQ(clicks.bottom, 1);
    press({5, 5});
    EXPECT_EQ(events(), 1);
    release({5, 5});
    EXPECT_EQ(shown(), TSpinFace::Normal);
}

// ---------------------------------------------------------------- other buttons, focus

TEST_F(SpinFixture, RightAndMiddlePressesRaiseNothing) {
    make();
    for (Qt::MouseButton b : {Qt::RightButton, Qt::MiddleButton}) {
        press({5, 5}, b);
        release({5, 5}, b);
    }
    clock->advance(1000);
    EXPECT_EQ(events(), 0);
    EXPECT_EQ(timer(), nullptr);
    EXPECT_EQ(shown(), TSpinFace::Normal);
}

TEST_F(SpinFixture, ARightReleaseInsideWhileTheLeftIsHeldEndsThePress) {
    make();
    press({5, 5});
    press({5, 5}, Qt::RightButton);
    EXPECT_EQ(shown(), TSpinFace::TopPressed) << "the right press leaves the state alone";
    release({5, 5}, Qt::RightButton);
    EXPECT_EQ(shown(), TSpinFace::Normal);
    clock->advance(1000);
    EXPECT_EQ(clicks.top, 1);
    release({5, 5});
}

TEST_F(SpinFixture, APressWithNoHandlerStillShowsPressedAndStartsTheTimer) {
    make();
    spin->SetOnTopClick({});
    press({5, 5});
    EXPECT_EQ(shown(), TSpinFace::TopPressed);
    ASSERT_NE(timer(), nullptr);
    EXPECT_TRUE(timer()->running());
    clock->advance(1000); // ticks call nothing
    release({5, 5});
}

TEST_F(SpinFixture, TheSecondPressOfADoubleClickIsAPress) {
    make();
    // A double click arrives as press, release, double click, release.
    QTest::mouseClick(spin, Qt::LeftButton, {}, QPoint(15, 15));
    QTest::mouseDClick(spin, Qt::LeftButton, {}, QPoint(15, 15));
    EXPECT_EQ(clicks.bottom, 2);
}

TEST_F(SpinFixture, ADisabledControlRaisesNothing) {
    make();
    spin->setEnabled(false);
    press({5, 5});
    release({5, 5});
    EXPECT_EQ(events(), 0);
}

TEST_F(SpinFixture, TheControlNeverTakesTheFocus) {
    make();
    EXPECT_EQ(spin->focusPolicy(), Qt::NoFocus);
}

struct FocusCase {
    const char* name;
    Qt::FocusPolicy policy;
    bool enabled, visible, focusedBefore;
    bool expectFocusIn;
};

class FocusTest : public SpinFixture, public ::testing::WithParamInterface<FocusCase> {};

class FocusInCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::FocusIn) ++count;
        return false;
    }
};

TEST_P(FocusTest, APressHandsTheFocusToAFocusableFocusControl) {
    const FocusCase& c = GetParam();
    make();
    auto* edit = new QLineEdit(host.get());
    auto* other = new QLineEdit(host.get());
    edit->setGeometry(50, 50, 40, 20);
    other->setGeometry(50, 80, 40, 20);
    edit->show();
    other->show();
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    (c.focusedBefore ? edit : other)->setFocus();
    edit->setFocusPolicy(c.policy);
    edit->setEnabled(c.enabled);
    edit->setVisible(c.visible);
    FocusInCounter focusIns;
    edit->installEventFilter(&focusIns);
    spin->SetFocusControl(edit);
    press({5, 5});
    release({5, 5});
    EXPECT_EQ(focusIns.count, c.expectFocusIn ? 1 : 0);
    EXPECT_EQ(edit->hasFocus(), c.expectFocusIn || c.focusedBefore);
    EXPECT_EQ(clicks.top, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Focus, FocusTest,
    ::testing::Values(FocusCase{"tab_stop_gets_it", Qt::StrongFocus, true, true, false, true},
                      FocusCase{"not_a_tab_stop", Qt::ClickFocus, true, true, false, false},
                      FocusCase{"disabled", Qt::StrongFocus, false, true, false, false},
                      FocusCase{"hidden", Qt::StrongFocus, true, false, false, false},
                      FocusCase{"already_focused_keeps_it", Qt::StrongFocus, true, true, true,
                                false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SpinFixture, ADestroyedFocusControlIsForgotten) {
    make();
    auto* edit = new QLineEdit(host.get());
    spin->SetFocusControl(edit);
    delete edit;
    EXPECT_EQ(spin->FocusControl(), nullptr);
    press({5, 5});
    release({5, 5});
    EXPECT_EQ(clicks.top, 1);
}

// ---------------------------------------------------------------- errors in a tick

TEST_F(SpinFixture, AnErrorInATickDisablesTheTimerUntilTheNextPress) {
    make();
    int calls = 0;
    spin->SetOnTopClick([&](QObject*) {
        if (++calls == 2) throw std::runtime_error("tick failed");
    });
    press({5, 5});
    clock->advance(1000);
    EXPECT_EQ(errors, QStringList{"tick failed."});
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(timer()->running());
    release({5, 5});
    press({5, 5});
    EXPECT_TRUE(timer()->running()) << "the next press enables it again";
    clock->advance(500);
    EXPECT_EQ(calls, 5); // press, 400, 500
    release({5, 5});
}

// ---------------------------------------------------------------- hover and the themed flag

TEST_F(SpinFixture, ThemedHoverFollowsThePointerBetweenTheHalves) {
    setVisualStylesOverride(true);
    make();
    move({60, 60});
    EXPECT_EQ(shown(), TSpinFace::Normal);
    move({4, 4});
    EXPECT_EQ(shown(), TSpinFace::TopHot);
    move({16, 16});
    EXPECT_EQ(shown(), TSpinFace::BottomHot);
    press({16, 16});
    EXPECT_EQ(shown(), TSpinFace::BottomPressed);
    release({16, 16});
    EXPECT_EQ(shown(), TSpinFace::BottomHot);
    move({4, 4});
    EXPECT_EQ(shown(), TSpinFace::TopHot);
    move({70, 70});
    EXPECT_EQ(shown(), TSpinFace::Normal);
}

TEST_F(SpinFixture, TheClassicLooksTrackNoHover) {
    make();
    move({4, 4});
    EXPECT_EQ(shown(), TSpinFace::Normal);
    EXPECT_TRUE(spin->Face(TSpinFace::TopHot).isNull());
}

TEST_F(SpinFixture, SwitchingVisualStylesRebuildsTheFacesAtTheNextEvent) {
    setVisualStylesOverride(true);
    make();
    move({4, 4});
    ASSERT_EQ(shown(), TSpinFace::TopHot);
    const QImage themed = spin->Face(TSpinFace::Normal);
    setVisualStylesOverride(false);
    move({5, 4});
    EXPECT_EQ(shown(), TSpinFace::Normal) << "no hot face in the classic looks";
    EXPECT_NE(spin->Face(TSpinFace::Normal), themed);
}

// ---------------------------------------------------------------- properties and sizes

TEST_F(SpinFixture, GlyphStyleAndEnabledChangesMarkTheFacesStale) {
    make();
    QImage glyph(3, 3, QImage::Format_RGB32);
    glyph.fill(Qt::red);
    const QImage before = spin->Face(TSpinFace::Normal);
    spin->SetUpGlyph(glyph);
    shown();
    EXPECT_NE(spin->Face(TSpinFace::Normal), before);
    spin->SetUpGlyph(QImage());
    shown();
    EXPECT_EQ(spin->Face(TSpinFace::Normal), before);
    spin->SetButtonStyle(sbsClassic);
    shown();
    EXPECT_NE(spin->Face(TSpinFace::Normal), before);
    spin->SetButtonStyle(sbsDefault);
    shown();
    spin->setEnabled(false);
    EXPECT_EQ(shown(), TSpinFace::Normal);
    EXPECT_EQ(spin->Face(TSpinFace::Normal), before) << "no disabled look";
}

TEST_F(SpinFixture, AnySizeSurvivesPressesAndPaints) {
    for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(0, 20), QSize(20, 0), QSize(3, 200),
                       QSize(4000, 3000), QSize(16000, 2)}) {
        for (TSpinButtonStyle style : {sbsDefault, sbsClassic}) {
            for (bool themed : {false, true}) {
                setVisualStylesOverride(themed);
                make(20, 20, style);
                spin->resize(size);
                const bool drawable =
                    !size.isEmpty() && qint64(size.width()) * size.height() <= (1 << 22);
                if (drawable)
                    shown();
                else
                    spin->grab();
                press({0, 0});
                move({size.width(), size.height()});
                release({size.width() / 2, size.height() / 2});
                clock->advance(500);
                if (drawable) {
                    EXPECT_EQ(spin->Face(TSpinFace::Normal).size(), size);
                } else if (!size.isEmpty()) {
                    EXPECT_TRUE(spin->Face(TSpinFace::Normal).isNull());
                }
            }
        }
    }
}

} // namespace
