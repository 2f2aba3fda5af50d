#include "outerFrame.h"

#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

const QSize outer(1024, 738);

TEST(OuterFrameFit, OnlyMarginsAWindowManagerCanHaveAreUsed) {
    const QRect screen(0, 0, 1280, 1024);
    const struct {
        QMargins frame;
        QRect available;
        bool plausible;
    } rows[] = {
        {{1, 20, 1, 4}, screen, true},
        {{0, 0, 0, 0}, screen, true},
        {{-1, 20, 1, 4}, screen, false},
        {{1, -20, 1, 4}, screen, false},
        {{1, 20, -1, 4}, screen, false},
        {{1, 20, 1, -4}, screen, false},
        {{-511, -368, -512, -369}, screen, false}, // would make the window 2047 x 1475
        {{600, 0, 600, 0}, screen, false},
        {{0, 400, 0, 400}, screen, false},
        {{350, 20, 350, 4}, QRect(0, 0, 640, 480), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OuterFrameFit::plausible(row.frame, outer, row.available), row.plausible)
            << row.frame.left() << " " << row.frame.top() << " " << row.available.width();
}

TEST(OuterFrameFit, TheWholeFrameIsCentred) {
    const struct {
        QMargins frame;
        QRect available, client;
    } rows[] = {
        {{1, 20, 1, 4}, {0, 0, 1280, 1024}, {129, 163, 1022, 714}},
        {{0, 0, 0, 0}, {0, 0, 1280, 1024}, {128, 143, 1024, 738}},
        {{2, 2, 2, 2}, {0, 30, 1281, 995}, {130, 160, 1020, 734}}, // halves rounded down
        {{1, 20, 1, 4}, {0, 0, 800, 600}, {1, 20, 1022, 714}},     // larger than the screen
    };
    for (const auto& row : rows)
        EXPECT_EQ(OuterFrameFit::centredClient(outer, row.frame, row.available), row.client)
            << row.available.width();
}

// The platform's report, set by the test.
class ReportedFrame : public OuterFrameFit {
public:
    using OuterFrameFit::OuterFrameFit;
    QMargins reported;

protected:
    QMargins reportedFrame() const override { return reported; }
};

TEST(OuterFrameFit, AFrameReportedLateIsStillFittedAndANonsenseOneNever) {
    QWidget window;
    auto* fit = new ReportedFrame(&window, outer);
    fit->reported = {-511, -368, -512, -369};
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::qWait(2200);
    EXPECT_EQ(window.size(), outer) << "no frame known: the client takes the outer size";
    EXPECT_FALSE(fit->settled());
    fit->reported = {1, 20, 1, 4};
    EXPECT_TRUE(QTest::qWaitFor([&] { return fit->settled(); }, 2000));
    EXPECT_EQ(window.size(), QSize(1022, 714));
    EXPECT_EQ(fit->outerHeight(), 738);
}

TEST(OuterFrameFit, TheUsersResizeEndsTheFitting) {
    QWidget window;
    auto* fit = new ReportedFrame(&window, outer);
    fit->reported = {-1, -1, -1, -1}; // no frame known yet: still fitting
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    ASSERT_FALSE(fit->settled());
    // Through the platform, as a window manager reports the user's resize.
    window.windowHandle()->resize(800, 600);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.size() == QSize(800, 600); }));
    EXPECT_TRUE(fit->settled());
    fit->reported = {1, 20, 1, 4};
    fit->fit();
    EXPECT_EQ(window.size(), QSize(800, 600)) << "the user's size stays";
}

} // namespace
