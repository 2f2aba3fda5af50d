// Preloaded into the real program by waylandSmokeTest. A headless compositor has no seat, so
// nothing outside can click: this drives the window from inside, through the same window
// system event path that a compositor's input takes, and writes each step it reaches to the
// file named by KAVALUN_DRIVER_LOG.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

namespace {

void note(const QString& line) {
    QFile log(qEnvironmentVariable("KAVALUN_DRIVER_LOG"));
    if (log.open(QIODevice::Append | QIODevice::Text)) log.write((line + '\n').toUtf8());
}

// Clicks and keys are posted, so that a handler that runs a whole nested loop (the run, the
// menu) does not run inside the driver's own step.
void later(std::function<void()> action) {
    QTimer::singleShot(0, qApp, std::move(action));
}

void click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QWindow* window = widget->window()->windowHandle();
    const QPoint pos = widget->mapTo(widget->window(), at);
    later([window, pos, button] { QTest::mouseClick(window, button, {}, pos); });
}

class Driver : public QObject {
public:
    Driver() : QObject(qApp) {
        connect(&FTick, &QTimer::timeout, this, [this] { step(); });
        FTick.start(20);
        FSince.start();
    }

private:
    // Each step waits for its condition and then acts; a step that waits a minute fails.
    void step() {
        if (FSince.elapsed() > 60000) {
            note(QStringLiteral("timeout waiting for: ") + FWaitingFor);
            FTick.stop();
            if (FForm) FForm->windowHandle()->close();
            return;
        }
        switch (FStep) {
        case 0: {
            FWaitingFor = QStringLiteral("the window");
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed())
                    if (auto* b = w->findChild<QPushButton*>(); b && b->text() == "Start!")
                        FForm = w;
            if (!FForm) return;
            FButton = FForm->findChild<QPushButton*>();
            for (QLabel* label : FForm->findChildren<QLabel*>())
                if (label->accessibleName() == QString::fromUtf8("Částic")) FCounter = label;
            QWidget* spin = nullptr;
            for (QWidget* w : FForm->findChildren<QWidget*>())
                if (w->inherits("TQuarnSpinButton")) spin = w;
            if (!FButton || !FCounter || !spin) {
                note(QStringLiteral("controls not found"));
                FTick.stop();
                return;
            }
            note(QStringLiteral("shown on %1").arg(QGuiApplication::platformName()));
            for (int i = 0; i < 5; ++i)
                click(spin, {10, 5}); // the upper half: from 5 ms to no pause
            click(FButton, FButton->rect().center());
            next(QStringLiteral("particles at pace 0"));
            return;
        }
        case 1:
            // About a second of a run on a free machine.
            if (FCounter->text().toLongLong() < 10000) return;
            note(QStringLiteral("particles"));
            click(FButton, FButton->rect().center()); // "Stop!"
            next(QStringLiteral("the run to stop"));
            return;
        case 2:
            if (FButton->text() != "Start!") return;
            note(QStringLiteral("stopped"));
            click(FForm, {40, 300}, Qt::RightButton); // the background left of the slit
            next(QStringLiteral("the menu"));
            return;
        case 3: {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu || !menu->windowHandle() || !menu->windowHandle()->isExposed()) return;
            note(QStringLiteral("menu with %1 entries").arg(menu->actions().size()));
            QWindow* window = menu->windowHandle();
            later([window] { QTest::keyClick(window, Qt::Key_Escape); });
            next(QStringLiteral("the menu to close"));
            return;
        }
        case 4:
            if (QApplication::activePopupWidget()) return;
            note(QStringLiteral("closing"));
            FTick.stop();
            // What the compositor's close request does.
            later([form = FForm] { form->windowHandle()->close(); });
            return;
        }
    }

    void next(const QString& waitingFor) {
        ++FStep;
        FWaitingFor = waitingFor;
        FSince.restart();
    }

    QTimer FTick;
    QElapsedTimer FSince;
    int FStep = 0;
    QString FWaitingFor;
    QWidget* FForm = nullptr;
    QPushButton* FButton = nullptr;
    QLabel* FCounter = nullptr;
};

void startDriver() {
    if (!qEnvironmentVariableIsSet("KAVALUN_DRIVER_LOG")) return;
    QTimer::singleShot(0, qApp, [] { new Driver; });
    // The main loop has ended; what follows is the toolkit's teardown.
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [] { note(QStringLiteral("quit")); });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(startDriver)
