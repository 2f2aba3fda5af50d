#include "windowCanvas.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

const QRgb red = qRgb(255, 0, 0);

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

    // What the window has flushed to the screen, not a fresh rendering of it.
    QRgb onScreen(int x, int y) {
        return window.screen()->grabWindow(window.winId()).toImage().pixel(x, y);
    }
    void line(int y) {
        canvas->moveTo(0, y);
        canvas->lineTo(200, y);
    }

    QWidget window;
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
    std::unique_ptr<WindowCanvas> canvas;
};

TEST_F(WindowCanvasTest, StrokeShowsOverLightControlsAndUnderWindowedOnes) {
    line(15);
    QCoreApplication::processEvents();
    EXPECT_EQ(onScreen(20, 15), red) << "over the label";
    EXPECT_NE(onScreen(120, 15), red) << "under the edit";
    EXPECT_EQ(onScreen(180, 15), red);
}

TEST_F(WindowCanvasTest, InvalidationWipesOnlyWhenEventsAreProcessed) {
    line(50);
    canvas->invalidate();
    line(60);
    EXPECT_EQ(canvas->image()->pixel(20, 50), red) << "still there until events are processed";
    QCoreApplication::processEvents();
    EXPECT_NE(onScreen(20, 50), red);
    EXPECT_NE(onScreen(20, 60), red) << "a stroke drawn before the wipe goes too";
    line(70);
    QCoreApplication::processEvents();
    EXPECT_EQ(onScreen(20, 70), red) << "strokes after the wipe stay";
}

TEST_F(WindowCanvasTest, ALightControlRepaintingWipesOnlyItsOwnArea) {
    struct Row {
        bool caption;
        std::vector<QPoint> wiped, kept;
    };
    // A new caption shrinks the label: its old rectangle is wiped too (68, 28 lies only there).
    const Row rows[] = {{true, {{12, 15}, {68, 28}}, {{90, 15}}},
                        {false, {{12, 15}}, {{25, 15}, {68, 28}}}};
    for (const Row& row : rows) {
        line(15);
        line(28);
        if (row.caption)
            setLabelCaption(label, "new text");
        else
            repaintUnderDrawing(label, QRect(0, 0, 10, 20));
        EXPECT_EQ(canvas->image()->pixel(12, 15), red) << "not before events are processed";
        QCoreApplication::processEvents();
        ASSERT_FALSE(label->geometry().contains(68, 28));
        for (const QPoint& p : row.wiped)
            EXPECT_NE(onScreen(p.x(), p.y()), red) << row.caption << " " << p.x() << "," << p.y();
        for (const QPoint& p : row.kept)
            EXPECT_EQ(onScreen(p.x(), p.y()), red) << row.caption << " " << p.x() << "," << p.y();
    }
}

TEST_F(WindowCanvasTest, APacedRunReachesTheScreenOnlyWhenPresentedOrAfterAStall) {
    // The test's own clock: however long the machine keeps it off the processor, no frame
    // passes until the test says so.
    qint64 now = 0;
    canvas->setClock([&now] { return now; });
    int presents = 0;
    canvas->setBeforePresent([&presents] { ++presents; });
    canvas->beginPacing();
    line(40);
    QCoreApplication::processEvents();
    EXPECT_NE(onScreen(20, 40), red) << "held back while paced";
    EXPECT_FALSE(canvas->frameDue());
    canvas->present();
    EXPECT_EQ(onScreen(20, 40), red) << "at once when presented";

    line(45);
    QTest::qWait(3 * canvas->frameInterval());
    EXPECT_NE(onScreen(20, 45), red) << "no stall while the clock stands";
    now += 2 * canvas->frameInterval();
    EXPECT_TRUE(canvas->frameDue());
    EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen(20, 45) == red; }))
        << "a stalled run still reaches the screen";

    line(50);
    canvas->endPacing();
    EXPECT_EQ(onScreen(20, 50), red) << "at once when the run ends";
    EXPECT_EQ(presents, 3);
    line(55);
    QCoreApplication::processEvents();
    EXPECT_EQ(onScreen(20, 55), red) << "unpaced again";
}

TEST_F(WindowCanvasTest, KeepsTheDrawingWhenTheWindowGrows) {
    line(80);
    window.resize(300, 150);
    canvas->resizeToWindow();
    canvas->moveTo(250, 0);
    canvas->lineTo(250, 150);
    QCoreApplication::processEvents();
    EXPECT_EQ(onScreen(20, 80), red);
    EXPECT_EQ(onScreen(250, 120), red);
}

// A main window: its drawing follows every resize.
class Form : public QWidget {
public:
    std::unique_ptr<WindowCanvas> canvas;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (canvas) canvas->resizeToWindow();
    }
};

// The resident size is read where the system shows it as a file (Linux); elsewhere 0.
qint64 residentMiB() {
#ifdef Q_OS_UNIX
    QFile statm("/proc/self/statm");
    const QList<QByteArray> pages =
        statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ') : QList<QByteArray>();
    return pages.size() > 1 ? pages[1].toLongLong() * sysconf(_SC_PAGESIZE) >> 20 : -1;
#else
    return 0;
#endif
}

TEST(WindowCanvasSize, AHugeWindowTakesNoMoreThanTheScreensShow) {
    const QSize screens = QGuiApplication::primaryScreen()->virtualSize();
    const qint64 before = residentMiB();
    // 32767 x 32767 asked of the window, forced on it as a window manager that ignores its
    // maximum would, and taken by a hidden window without a maximum (4 GiB unbounded).
    enum How { Asked, Forced, Unlimited };
    for (const How how : {Asked, Forced, Unlimited}) {
        Form form;
        form.resize(200, 100);
        form.canvas = std::make_unique<WindowCanvas>(&form);
        if (how == Unlimited) form.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (how != Unlimited) {
            form.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        }
        form.canvas->setPenColor(Qt::red);
        form.canvas->moveTo(0, 15);
        form.canvas->lineTo(200, 15);
        if (how == Forced)
            form.windowHandle()->resize(32767, 32767);
        else
            form.resize(32767, 32767);
        QCoreApplication::processEvents();
        form.canvas->resizeToWindow(); // a hidden window gets no resize event
        form.canvas->moveTo(0, 32000); // beyond the image: clipped
        form.canvas->lineTo(32767, 32000);
        EXPECT_EQ(form.size(), how == Unlimited ? QSize(32767, 32767) : screens) << how;
        EXPECT_EQ(form.canvas->image()->size(), screens) << how;
        EXPECT_EQ(form.canvas->image()->pixel(20, 15), red) << how << ": the drawing is kept";
        if (how != Unlimited) {
            QCoreApplication::processEvents();
            EXPECT_EQ(form.screen()->grabWindow(form.winId()).toImage().pixel(20, 15), red) << how;
        }
    }
    EXPECT_LT(residentMiB() - before, 200);
}

TEST(WindowCanvasLifetime, NothingIsDrawnOnceTheWindowIsGone) {
    auto window = std::make_unique<QWidget>();
    window->resize(50, 50);
    WindowCanvas canvas(window.get());
    window->show();
    window.reset();
    EXPECT_EQ(canvas.image(), nullptr);
    canvas.moveTo(0, 0);
    canvas.lineTo(40, 40);
    canvas.invalidate();
    canvas.resizeToWindow();
    canvas.present();
    QCoreApplication::processEvents();
    EXPECT_EQ(canvas.overlay(), nullptr);
}

} // namespace
