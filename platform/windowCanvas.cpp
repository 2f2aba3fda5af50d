#include "windowCanvas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <chrono>

namespace {

const QEvent::Type wipeEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

// Posted to the window: the drawing in `area` (window coordinates) is wiped when the event
// is processed, as a classic window erases what it repaints.
class WipeEvent : public QEvent {
public:
    explicit WipeEvent(const QRegion& area) : QEvent(wipeEventType), FArea(area) {}
    const QRegion& area() const { return FArea; }

private:
    QRegion FArea;
};

void postWipe(QWidget* window, const QRegion& area) {
    if (window && !area.isEmpty()) QCoreApplication::postEvent(window, new WipeEvent(area));
}

} // namespace

// Shows the drawing over the window, wipes it where the window repaints, and, while a run
// paces the screen, holds the window's update requests and the drawing's own updates back
// until the run presents them.
class CanvasOverlay : public QWidget {
public:
    CanvasOverlay(QWidget* window, QImage* image) : QWidget(window), FImage(image) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        FStallCheck.setSingleShot(true);
        FStallCheck.setTimerType(Qt::PreciseTimer);
        QObject::connect(&FStallCheck, &QTimer::timeout, this, [this] { checkStall(); });
        FLastPresent = now();
        window->installEventFilter(this);
    }

    int FPacingDepth = 0;
    std::function<void()> FBeforePresent;
    std::function<qint64()> FClock;

    qint64 now() const {
        if (FClock) return FClock();
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void present() {
        if (FBeforePresent) FBeforePresent();
        FStallCheck.stop();
        FHeldSince = -1;
        FLastPresent = now();
        if (!FPending.isEmpty()) update(FPending & rect());
        FPending = QRect();
        FDelivering = true;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(parentWidget(), &request);
        FDelivering = false;
    }

    // While paced, strokes only note their area: one update per present, not per stroke.
    void deferUpdate(const QRect& area) {
        FPending |= area;
        holdBack();
    }

    bool frameDue() const { return now() - FLastPresent >= frameInterval(); }

    int frameInterval() const {
        const QScreen* s = screen();
        const qreal rate = s ? s->refreshRate() : 60;
        return int(1000 / qBound<qreal>(24, rate > 0 ? rate : 60, 240));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.drawImage(event->rect(), *FImage, event->rect());
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != parentWidget()) return false;
        if (event->type() == wipeEventType) {
            wipe(static_cast<WipeEvent*>(event)->area());
            return true;
        }
        if (event->type() == QEvent::UpdateRequest && FPacingDepth > 0 && !FDelivering) {
            holdBack();
            return true;
        }
        return false;
    }

private:
    // The run presents once a frame; should it stall in a nested loop (a dialog), what is
    // held back still reaches the screen two frames later.
    void holdBack() {
        if (FHeldSince < 0) FHeldSince = now();
        if (!FStallCheck.isActive()) FStallCheck.start(frameInterval());
    }

    void checkStall() {
        if (FHeldSince < 0) return;
        if (now() - FHeldSince >= 2 * frameInterval())
            present();
        else
            FStallCheck.start(frameInterval());
    }

    void wipe(const QRegion& area) {
        const QRegion region = area & FImage->rect();
        QPainter painter(FImage);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : region)
            painter.fillRect(r, Qt::transparent);
        painter.end();
        update(region);
    }

    QImage* FImage;
    QTimer FStallCheck;
    qint64 FLastPresent = 0;
    qint64 FHeldSince = -1;
    QRect FPending;
    bool FDelivering = false;
};

WindowCanvas::WindowCanvas(QWidget* window) : FWindow(window) {
    FImage = QImage(window->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
    FImage.fill(Qt::transparent);
    setImage(&FImage);
    FOverlay = new CanvasOverlay(window, &FImage);
    // Once the window is gone there is nothing to draw on.
    QObject::connect(FOverlay, &QObject::destroyed, FOverlay, [this] { setImage(nullptr); });
    FOverlay->setGeometry(window->rect());
    FOverlay->raise();
    FOverlay->show();
}

WindowCanvas::~WindowCanvas() {
    // The overlay paints from our image, so it must not outlive it.
    delete FOverlay.data();
}

QWidget* WindowCanvas::overlay() const {
    return FOverlay;
}

void WindowCanvas::invalidate() {
    if (!FWindow || !FOverlay) return;
    FWindow->update();
    // The whole image as it will be then, even if the window grows before.
    postWipe(FWindow, QRect(0, 0, QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
}

void WindowCanvas::resizeToWindow() {
    if (!FWindow || !FOverlay) return;
    const QSize size = FWindow->size().expandedTo(QSize(1, 1));
    if (size != FImage.size()) {
        QImage resized(size, QImage::Format_ARGB32_Premultiplied);
        resized.fill(Qt::transparent);
        QPainter painter(&resized);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, FImage);
        painter.end();
        FImage = resized;
    }
    FOverlay->setGeometry(FWindow->rect());
}

void WindowCanvas::beginPacing() {
    if (FOverlay) ++FOverlay->FPacingDepth;
}

void WindowCanvas::endPacing() {
    if (!FOverlay || FOverlay->FPacingDepth == 0) return;
    if (--FOverlay->FPacingDepth == 0) present();
}

bool WindowCanvas::pacing() const {
    return FOverlay && FOverlay->FPacingDepth > 0;
}

void WindowCanvas::present() {
    if (FWindow && FOverlay && FWindow->isVisible()) FOverlay->present();
}

bool WindowCanvas::frameDue() const {
    return FOverlay && FOverlay->frameDue();
}

int WindowCanvas::frameInterval() const {
    return FOverlay ? FOverlay->frameInterval() : 16;
}

void WindowCanvas::setBeforePresent(std::function<void()> update) {
    if (FOverlay) FOverlay->FBeforePresent = std::move(update);
}

void WindowCanvas::setClock(std::function<qint64()> milliseconds) {
    if (FOverlay) FOverlay->FClock = std::move(milliseconds);
}

void WindowCanvas::changed(const QRect& area) {
    if (!FWindow || !FOverlay || !FOverlay->isVisible()) return;
    if (FOverlay->FPacingDepth > 0)
        FOverlay->deferUpdate(area);
    else
        FOverlay->update(area.intersected(FOverlay->rect()));
}

void repaintUnderDrawing(QWidget* control, const QRect& area) {
    if (!control) return;
    const QRect own = area.isEmpty() ? control->rect() : area & control->rect();
    control->update(own);
    QWidget* window = control->window();
    postWipe(window, own.translated(control->mapTo(window, QPoint())));
}

void setLabelCaption(QLabel* label, const QString& caption) {
    if (!label || label->text() == caption) return;
    const QRect before = label->geometry();
    label->setText(caption);
    label->adjustSize();
    QWidget* parent = label->parentWidget();
    if (!parent) return;
    QWidget* window = label->window();
    const QPoint offset = parent->mapTo(window, QPoint());
    postWipe(window, (QRegion(before) + label->geometry()).translated(offset));
}
