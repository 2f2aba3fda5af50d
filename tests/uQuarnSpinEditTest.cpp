#include "uQuarnSpinEdit.h"

#include "application.h"
#include "bitmapResource.h"
#include "messageTimer.h"
#include "systemColors.h"
#include "visualStyles.h"

#include <QLineEdit>
#include <QPointer>
#include <QStyleFactory>
#include <QtTest>

#include <gtest/gtest.h>

#include <map>
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
        // The pointer starts off the control, wherever the last test left it.
        QTest::mouseMove(host.get(), QPoint(host->width() - 2, host->height() - 2));
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

// A press at a point, and the half it hits.
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

class HoldTest : public SpinFixture, public ::testing::WithParamInterface<HalfCase> {};

TEST_P(HoldTest, OneSecondRaisesEightEventsAtThePressAndFrom400msEvery100ms) {
    const HalfCase& c = GetParam();
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
    ::testing::Values(HalfCase{"diagonal_top", sbsDefault, 20, 20, {5, 5}, false},
                      HalfCase{"diagonal_bottom", sbsDefault, 20, 20, {15, 15}, true},
                      HalfCase{"stacked_top", sbsClassic, 20, 20, {10, 3}, false},
                      HalfCase{"stacked_bottom", sbsClassic, 20, 20, {10, 15}, true},
                      HalfCase{"wide_diagonal_bottom", sbsDefault, 45, 17, {40, 15}, true},
                      HalfCase{"wide_stacked_top", sbsClassic, 45, 17, {40, 8}, false}),
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

TEST_F(SpinFixture, ReleaseOutsideWithoutAMoveLeavesThePressedHalfForTheNextPress) {
    make();
    press({5, 5});
    clock->advance(100);
    // Sent straight to the control: no move outside is reported before this release.
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(70, 70), spin->mapToGlobal(QPointF(70, 70)),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(spin, &up);
    QTest::mouseRelease(spin, Qt::LeftButton, {}, QPoint(70, 70)); // Qt's own button state
    EXPECT_EQ(shown(), TSpinFace::TopPressed);
    clock->advance(400);
    ASSERT_EQ(clicks.top, 1) << "no capture: the ticks at 400 and 500 do nothing";
    const int restarts = timer()->restarts();
    press({15, 15}); // anywhere, even the other half
    EXPECT_EQ(events(), 1) << "no event";
    EXPECT_EQ(timer()->restarts(), restarts) << "timer untouched";
    clock->advance(100); // ticks every 100 ms since the one at 400
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
    // The offscreen platform may still deliver an enter from where an earlier test left
    // the pointer; a leave puts the control in a known state first.
    QApplication::processEvents();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(spin, &leave);
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

TEST_F(SpinFixture, ADisabledControlLooksLikeAnEnabledOne) {
    make();
    const QImage before = spin->Face(TSpinFace::Normal);
    spin->setEnabled(false);
    EXPECT_EQ(shown(), TSpinFace::Normal);
    EXPECT_EQ(spin->Face(TSpinFace::Normal), before);
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

// ================================================================ faces

using Picture = std::vector<std::string>; // top row first, X black

const Picture upArrow{"..XX..", ".XXXX.", "XXXXXX", "..XX..", "..XX..", "..XX.."};
const Picture downArrow{"..XX..", "..XX..", "..XX..", "XXXXXX", ".XXXX.", "..XX.."};
const Picture upPole{"...X...", "..XXX..", ".XXXXX.", "XXXXXXX"};
const Picture downPole{"XXXXXXX", ".XXXXX.", "..XXX..", "...X..."};

// The picture's black pixels are black in the face and its white ones are not.
::testing::AssertionResult glyphAt(const QImage& face, const Picture& picture, int x0, int y0) {
    for (int y = 0; y < int(picture.size()); ++y)
        for (int x = 0; x < int(picture[y].size()); ++x) {
            const bool black = face.pixel(x0 + x, y0 + y) == qRgb(0, 0, 0);
            if (black != (picture[y][x] == 'X'))
                return ::testing::AssertionFailure()
                       << "glyph pixel " << x << "," << y << " at " << x0 + x << "," << y0 + y;
        }
    return ::testing::AssertionSuccess();
}

// The pixels of a colour inside a rows band, as a bounding box plus a count.
struct Blob {
    QRect box;
    int count = 0;
};
Blob pixelsOf(const QImage& face, QRgb colour, int rowFrom = 0, int rowTo = INT_MAX) {
    Blob b;
    for (int y = std::max(0, rowFrom); y < std::min(face.height(), rowTo); ++y)
        for (int x = 0; x < face.width(); ++x)
            if (face.pixel(x, y) == colour) {
                b.box |= QRect(x, y, 1, 1);
                ++b.count;
            }
    return b;
}

QImage monoGlyph(int w, int h) {
    QImage g(w, h, QImage::Format_Mono);
    g.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    g.fill(0u);
    return g;
}

// A control on its own, faces built at once; distinct system colours so every pixel
// tells which colour it got.
class FacesTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = QApplication::palette();
        QPalette p = saved;
        p.setColor(QPalette::Button, QColor(200, 200, 200));
        p.setColor(QPalette::Light, QColor(255, 255, 255));
        p.setColor(QPalette::Midlight, QColor(225, 225, 225));
        p.setColor(QPalette::Dark, QColor(128, 128, 128));
        p.setColor(QPalette::Mid, QColor(160, 160, 160));
        p.setColor(QPalette::Shadow, QColor(64, 64, 64));
        QApplication::setPalette(p);
        setVisualStylesOverride(false);
        TApplication::setErrorBox([this](const QString&, const QString& text) { errors << text; });
    }
    void TearDown() override {
        spin.reset();
        setBitmapResourceHook({});
        setVisualStylesOverride(std::nullopt);
        TApplication::setErrorBox({});
        QApplication::setPalette(saved);
    }
    void make(int w, int h, TSpinButtonStyle style, bool themed = false) {
        setVisualStylesOverride(themed);
        spin = std::make_unique<TQuarnSpinButton>();
        spin->SetButtonStyle(style);
        spin->resize(w, h);
        rebuild();
    }
    void rebuild() { spin->grab(); }
    const QImage& face(TSpinFace f) const { return spin->Face(f); }

    QPalette saved;
    std::unique_ptr<TQuarnSpinButton> spin;
    QStringList errors;
};

const TSpinFace classicFaces[] = {TSpinFace::Normal, TSpinFace::TopPressed,
                                  TSpinFace::BottomPressed};
const TSpinFace allFaces[] = {TSpinFace::Normal, TSpinFace::TopPressed, TSpinFace::BottomPressed,
                              TSpinFace::TopHot, TSpinFace::BottomHot};

struct DiagonalFaceCase {
    const char* name;
    TSpinFace face;
    QPoint upAt;
    QColor (*upper)(), (*middle)(), (*lower)();
    QColor (*outerLeft)(), (*innerLeft)(), (*innerRight)(), (*outerRight)();
};

class ClassicDiagonalFace : public FacesTest,
                            public ::testing::WithParamInterface<DiagonalFaceCase> {};

TEST_P(ClassicDiagonalFace, ArrowsLinesAndEdgesOfTheFace) {
    const DiagonalFaceCase& c = GetParam();
    make(20, 20, sbsDefault);
    const QImage& f = face(c.face);
    ASSERT_EQ(f.size(), QSize(20, 20));
    EXPECT_TRUE(glyphAt(f, upArrow, c.upAt.x(), c.upAt.y()));
    EXPECT_TRUE(glyphAt(f, downArrow, 11, 11));
    for (int x = 1; x <= 17; ++x)
        ASSERT_EQ(f.pixel(x, 18 - x), c.upper().rgb()) << "upper line at x " << x;
    for (int x = 2; x <= 18; ++x) {
        ASSERT_EQ(f.pixel(x, 19 - x), c.middle().rgb()) << "middle line at x " << x;
        ASSERT_EQ(f.pixel(x, 20 - x), c.lower().rgb()) << "lower line at x " << x;
    }
    for (int i : {5, 10}) {
        EXPECT_EQ(f.pixel(0, i), c.outerLeft().rgb());
        EXPECT_EQ(f.pixel(i, 0), c.outerLeft().rgb());
        EXPECT_EQ(f.pixel(1, i), c.innerLeft().rgb());
        EXPECT_EQ(f.pixel(18, 10 + i / 5), c.innerRight().rgb());
        EXPECT_EQ(f.pixel(10 + i / 5, 18), c.innerRight().rgb());
        EXPECT_EQ(f.pixel(19, i), c.outerRight().rgb());
        EXPECT_EQ(f.pixel(i, 19), c.outerRight().rgb());
    }
    EXPECT_EQ(f.pixel(5, 10), clBtnFace().rgb()) << "the fill";
}

INSTANTIATE_TEST_SUITE_P(Faces, ClassicDiagonalFace,
                         ::testing::Values(DiagonalFaceCase{"normal",
                                                            TSpinFace::Normal,
                                                            {3, 3},
                                                            clBtnShadow,
                                                            clWindowFrame,
                                                            clBtnHighlight,
                                                            clBtnHighlight,
                                                            cl3DLight,
                                                            clBtnShadow,
                                                            cl3DDkShadow},
                                           DiagonalFaceCase{"top_pressed",
                                                            TSpinFace::TopPressed,
                                                            {4, 4},
                                                            clBtnFace,
                                                            clBtnHighlight,
                                                            clBtnHighlight,
                                                            cl3DDkShadow,
                                                            clBtnShadow,
                                                            clBtnShadow,
                                                            cl3DDkShadow},
                                           DiagonalFaceCase{"bottom_pressed",
                                                            TSpinFace::BottomPressed,
                                                            {3, 3},
                                                            clBtnShadow,
                                                            clBtnShadow,
                                                            clWindowFrame,
                                                            clBtnHighlight,
                                                            cl3DLight,
                                                            cl3DLight,
                                                            clBtnHighlight}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FacesTest, ClassicStackedShowsTheTrianglesInEveryFace) {
    make(20, 20, sbsClassic);
    for (TSpinFace f : classicFaces) {
        EXPECT_TRUE(glyphAt(face(f), upPole, 6, 3));
        EXPECT_TRUE(glyphAt(face(f), downPole, 6, 13));
    }
    // The pressed half only sinks its edge.
    EXPECT_EQ(face(TSpinFace::Normal).pixel(0, 5), clBtnHighlight().rgb());
    EXPECT_EQ(face(TSpinFace::TopPressed).pixel(0, 5), cl3DDkShadow().rgb());
    EXPECT_EQ(face(TSpinFace::BottomPressed).pixel(0, 15), cl3DDkShadow().rgb());
    EXPECT_EQ(face(TSpinFace::Normal).pixel(5, 10), clBtnHighlight().rgb())
        << "the shared row shows the bottom box's edge";
}

struct StackedBoxCase {
    const char* name;
    TSpinFace face;
    QRect topBox, downBox; // where a glyph larger than its box shows
};

class ClassicStackedBoxes : public FacesTest,
                            public ::testing::WithParamInterface<StackedBoxCase> {};

TEST_P(ClassicStackedBoxes, GlyphsAreClippedToTheirBoxes) {
    const StackedBoxCase& c = GetParam();
    make(20, 20, sbsClassic);
    spin->SetUpGlyph(monoGlyph(24, 20));  // taller than the bottom box: anchored at the top
    spin->SetDownGlyph(monoGlyph(24, 5)); // fits the height, overflows the width
    rebuild();
    const QImage& f = face(c.face);
    const Blob top = pixelsOf(f, qRgb(0, 0, 0), 0, 11);
    EXPECT_EQ(top.box, c.topBox);
    EXPECT_EQ(top.count, c.topBox.width() * c.topBox.height());
    const Blob down = pixelsOf(f, qRgb(0, 0, 0), 11);
    EXPECT_EQ(down.box, c.downBox);
    EXPECT_EQ(down.count, c.downBox.width() * c.downBox.height());
}

INSTANTIATE_TEST_SUITE_P(Boxes, ClassicStackedBoxes,
                         ::testing::Values(StackedBoxCase{"normal", TSpinFace::Normal,
                                                          QRect(2, 2, 16, 7), QRect(2, 12, 16, 5)},
                                           StackedBoxCase{"top_pressed", TSpinFace::TopPressed,
                                                          QRect(2, 2, 16, 6), QRect(2, 13, 16, 5)},
                                           StackedBoxCase{"bottom_pressed",
                                                          TSpinFace::BottomPressed,
                                                          QRect(2, 2, 16, 7), QRect(2, 12, 16, 5)}),
                         [](const auto& info) { return std::string(info.param.name); });

struct PlacementCase {
    const char* name;
    int w, h;
    QPoint up, upPressed, down;
};

class DiagonalPlacement : public FacesTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(DiagonalPlacement, ArrowsStandAtTheQuarterCentresWithTheirOffsets) {
    const PlacementCase& c = GetParam();
    make(c.w, c.h, sbsDefault);
    EXPECT_TRUE(glyphAt(face(TSpinFace::Normal), upArrow, c.up.x(), c.up.y()));
    EXPECT_TRUE(glyphAt(face(TSpinFace::TopPressed), upArrow, c.upPressed.x(), c.upPressed.y()));
    for (TSpinFace f : classicFaces)
        EXPECT_TRUE(glyphAt(face(f), downArrow, c.down.x(), c.down.y()));
}

INSTANTIATE_TEST_SUITE_P(Sizes, DiagonalPlacement,
                         ::testing::Values(
                             // 22 / 4 - 3 = 2.5 rounds to 2; 66 / 4 - 3 = 13.5 rounds to 14.
                             PlacementCase{
                                 "w22_halves_round_to_even", 22, 20, {3, 3}, {4, 4}, {13, 11}},
                             PlacementCase{"wide_40x20", 40, 20, {8, 3}, {9, 4}, {26, 11}},
                             PlacementCase{"tall_20x30", 20, 30, {3, 5}, {4, 6}, {11, 19}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FacesTest, AWideControlSplitsAlongItsOwnDiagonal) {
    make(40, 20, sbsDefault);
    const QImage& f = face(TSpinFace::Normal);
    const QRect arrows[] = {QRect(8, 3, 6, 6), QRect(26, 11, 6, 6)};
    // The middle line runs from (38, 1) toward (1, 18); every pixel of it that the lower
    // line does not cover lies within half a pixel of that line.
    int onLine = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) {
            if (f.pixel(x, y) != clWindowFrame().rgb() || arrows[0].contains(x, y) ||
                arrows[1].contains(x, y))
                continue;
            const double lineY = 1 + (38.0 - x) * 17.0 / 37.0;
            EXPECT_LE(std::abs(y - lineY), 0.5 + 1e-9) << x << "," << y;
            ++onLine;
        }
    EXPECT_GE(onLine, 15);
    EXPECT_EQ(f.pixel(1, 17), clBtnShadow().rgb()) << "the upper line starts at (1, 17)";
}

TEST_F(FacesTest, AUserGlyphIsDrawnInEveryFaceAndStaysAsAssigned) {
    for (bool themed : {false, true}) {
        make(20, 20, sbsDefault, themed);
        QImage glyph(5, 4, QImage::Format_RGB32);
        glyph.fill(qRgb(255, 0, 0));
        glyph.setPixel(0, 3, qRgb(0, 255, 0)); // bottom-left: the transparent colour
        glyph.setPixel(4, 0, qRgb(0, 255, 0));
        spin->SetUpGlyph(glyph);
        for (int i = 0; i < 3; ++i) {
            spin->SetButtonStyle(i % 2 ? sbsClassic : sbsDefault);
            rebuild();
        }
        spin->SetButtonStyle(sbsDefault);
        rebuild();
        EXPECT_EQ(spin->UpGlyph(), glyph);
        EXPECT_TRUE(spin->DownGlyph().isNull()) << "the default stays out of the slot";
        // Round(20 / 4 - 2.5) = 2 across, Round(5 - 2) = 3 down, plus the offset.
        for (TSpinFace f :
             themed ? std::vector<TSpinFace>(std::begin(allFaces), std::end(allFaces))
                    : std::vector<TSpinFace>(std::begin(classicFaces), std::end(classicFaces))) {
            const QPoint at = !themed && f == TSpinFace::TopPressed ? QPoint(4, 5) : QPoint(3, 4);
            const Blob red = pixelsOf(face(f), qRgb(255, 0, 0));
            EXPECT_EQ(red.box, QRect(at, QSize(5, 4))) << int(f);
            EXPECT_EQ(red.count, 18) << "two transparent pixels";
            EXPECT_TRUE(glyphAt(face(f), downArrow, 11, 11));
        }
        spin->SetUpGlyph(QImage());
        rebuild();
        EXPECT_TRUE(glyphAt(face(TSpinFace::Normal), upArrow, 3, 3)) << "the default is back";
    }
}

TEST_F(FacesTest, ThemedDiagonalBuildsFiveFacesWithTheArrowsStill) {
    make(20, 20, sbsDefault, true);
    for (TSpinFace f : allFaces) {
        ASSERT_EQ(face(f).size(), QSize(20, 20));
        EXPECT_TRUE(glyphAt(face(f), upArrow, 3, 3)) << int(f);
        EXPECT_TRUE(glyphAt(face(f), downArrow, 11, 11)) << int(f);
    }
}

// Which pixels differ from the normal face, and whether they all lie in a given part.
template <typename Inside>
void expectDifferOnlyWhere(const QImage& normal, const QImage& other, Inside inside,
                           const char* what) {
    int differing = 0;
    for (int y = 0; y < normal.height(); ++y)
        for (int x = 0; x < normal.width(); ++x)
            if (normal.pixel(x, y) != other.pixel(x, y)) {
                ++differing;
                ASSERT_TRUE(inside(x, y)) << what << " differs at " << x << "," << y;
            }
    EXPECT_GT(differing, 0) << what << " looks like the normal face";
}

struct ThemedCase {
    const char* name;
    TSpinButtonStyle style;
    int w, h;
};

class ThemedFaces : public FacesTest, public ::testing::WithParamInterface<ThemedCase> {};

TEST_P(ThemedFaces, EachFaceDiffersFromTheNormalOneOnlyInItsHalf) {
    const ThemedCase& c = GetParam();
    for (const char* style : {"Fusion", "Windows"}) {
        QApplication::setStyle(QStyleFactory::create(style));
        make(c.w, c.h, c.style, true);
        const QImage& normal = face(TSpinFace::Normal);
        const int w = c.w, h = c.h;
        // Signed distance of a pixel centre from the diagonal (-1, h + 1) to (w + 1, -1);
        // the polygon regions may give a pixel that the line grazes to either side.
        const auto side = [w, h](int x, int y) {
            return (double(w + 2) * (y + 1.5) + double(h + 2) * (x + 1.5) -
                    double(w + 2) * (h + 2)) /
                   std::hypot(double(w + 2), double(h + 2));
        };
        const auto upperPart = [&](int x, int y) {
            return c.style == sbsClassic ? y <= h / 2 : side(x, y) < 1;
        };
        const auto lowerPart = [&](int x, int y) {
            return c.style == sbsClassic ? y >= h / 2 : side(x, y) > -1;
        };
        expectDifferOnlyWhere(normal, face(TSpinFace::TopPressed), upperPart, "top pressed");
        expectDifferOnlyWhere(normal, face(TSpinFace::TopHot), upperPart, "top hot");
        expectDifferOnlyWhere(normal, face(TSpinFace::BottomPressed), lowerPart, "bottom pressed");
        expectDifferOnlyWhere(normal, face(TSpinFace::BottomHot), lowerPart, "bottom hot");
        EXPECT_NE(face(TSpinFace::TopHot), face(TSpinFace::TopPressed));
        EXPECT_NE(face(TSpinFace::BottomHot), face(TSpinFace::BottomPressed));
    }
    QApplication::setStyle(QStyleFactory::create("Fusion"));
}

INSTANTIATE_TEST_SUITE_P(Looks, ThemedFaces,
                         ::testing::Values(ThemedCase{"diagonal_20x20", sbsDefault, 20, 20},
                                           ThemedCase{"diagonal_37x16", sbsDefault, 37, 16},
                                           ThemedCase{"stacked_20x20", sbsClassic, 20, 20},
                                           ThemedCase{"stacked_31x17", sbsClassic, 31, 17}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FacesTest, ThemedStackedShowsNoGlyph) {
    make(20, 20, sbsClassic, true);
    std::vector<QImage> plain;
    for (TSpinFace f : allFaces)
        plain.push_back(face(f));
    spin->SetUpGlyph(monoGlyph(6, 6));
    spin->SetDownGlyph(monoGlyph(6, 6));
    rebuild();
    for (size_t i = 0; i < std::size(allFaces); ++i)
        EXPECT_EQ(face(allFaces[i]), plain[i]) << i;
}

TEST_F(FacesTest, SwitchingTheApplicationStyleRebuildsAtTheNextPaint) {
    setVisualStylesOverride(std::nullopt);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    spin = std::make_unique<TQuarnSpinButton>();
    spin->grab();
    ASSERT_FALSE(face(TSpinFace::TopHot).isNull()) << "themed under Fusion";
    const QImage themed = face(TSpinFace::Normal);

    QApplication::setStyle(QStyleFactory::create("Windows"));
    spin->grab();
    EXPECT_TRUE(glyphAt(face(TSpinFace::TopPressed), upArrow, 4, 4)) << "classic now";
    EXPECT_EQ(face(TSpinFace::Normal).pixel(10, 9), clWindowFrame().rgb());
    EXPECT_EQ(spin->grab().toImage().convertToFormat(QImage::Format_RGB32),
              face(TSpinFace::Normal));

    QApplication::setStyle(QStyleFactory::create("Fusion"));
    spin->grab();
    EXPECT_EQ(face(TSpinFace::Normal), themed);
}

struct FailingLoadCase {
    const char* name;
    TSpinButtonStyle style;
    bool themed;
    const char* failOn; // loaded after the up glyph's default
};

class FailingBuild : public FacesTest, public ::testing::WithParamInterface<FailingLoadCase> {};

TEST_P(FailingBuild, AnErrorInABuildLeavesTheGlyphSlotsAsTheyWere) {
    const FailingLoadCase& c = GetParam();
    std::map<std::string, QImage> real;
    for (const char* name :
         {"QUARNSPINUP", "QUARNSPINDOWN", "QUARNSPINUPPOLE", "QUARNSPINDOWNPOLE"})
        real[name] = loadBitmapResource(name);
    for (bool userUp : {false, true}) {
        make(20, 20, c.style, c.themed);
        errors.clear();
        const QImage user = monoGlyph(3, 3);
        if (userUp) spin->SetUpGlyph(user);
        setBitmapResourceHook([&](const char* name) -> QImage {
            if (std::string(name) == c.failOn) throw std::runtime_error("no glyph");
            return real[name];
        });
        spin->SetButtonStyle(c.style == sbsDefault ? sbsClassic : sbsDefault);
        spin->SetButtonStyle(c.style);
        rebuild();
        QApplication::processEvents();
        rebuild(); // a failed build is not retried at every paint
        setBitmapResourceHook({});
        EXPECT_EQ(errors, QStringList{"no glyph."});
        EXPECT_EQ(spin->UpGlyph(), userUp ? user : QImage()) << "a default left its slot again";
        EXPECT_TRUE(spin->DownGlyph().isNull());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Looks, FailingBuild,
    ::testing::Values(FailingLoadCase{"classic_diagonal", sbsDefault, false, "QUARNSPINDOWN"},
                      FailingLoadCase{"classic_stacked", sbsClassic, false, "QUARNSPINDOWNPOLE"},
                      FailingLoadCase{"themed_diagonal", sbsDefault, true, "QUARNSPINDOWN"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FacesTest, AMissingDefaultGlyphDrawsNothing) {
    setBitmapResourceHook([](const char*) { return QImage(); });
    make(20, 20, sbsDefault);
    EXPECT_EQ(pixelsOf(face(TSpinFace::Normal), qRgb(0, 0, 0)).count, 17) << "only the line";
    EXPECT_TRUE(spin->UpGlyph().isNull());
}

} // namespace
