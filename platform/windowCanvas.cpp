#include "windowCanvas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cmath>

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
    CanvasOverlay(QWidget* window, PixelCanvas* canvas)
        : QWidget(window), FCanvas(canvas), FImage(canvas->image()) {
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
    // Called when the window's device pixel ratio no longer matches the image's.
    std::function<void()> FRatioChanged;
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
        if (FImage->devicePixelRatio() != devicePixelRatioF() && FRatioChanged) FRatioChanged();
        QPainter painter(this);
        if (FImage->devicePixelRatio() == 1) {
            const QRect area = event->rect() & FImage->rect(); // the image may end before
            painter.drawImage(area, *FImage, area);
        } else { // placed whole, so each image pixel lands on one device pixel; the paint clips it
            painter.drawImage(QPointF(0, 0), *FImage);
        }
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != parentWidget()) return false;
        if (event->type() == QEvent::ScreenChangeInternal && FRatioChanged) {
            FRatioChanged();
            return false;
        }
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
        const QRegion region = area & rect();
        for (const QRect& r : region) {
            const QRect device = FCanvas->toDevice(r) & FImage->rect();
            for (int y = device.top(); y <= device.bottom(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(FImage->scanLine(y));
                std::fill(line + device.left(), line + device.right() + 1, QRgb(0));
            }
        }
        update(region);
    }

    PixelCanvas* FCanvas;
    QImage* FImage;
    QTimer FStallCheck;
    qint64 FLastPresent = 0;
    qint64 FHeldSince = -1;
    QRect FPending;
    bool FDelivering = false;
};

namespace {

// All screens together: the logical size of the rectangle they span, and the highest ratio.
struct ScreensExtent {
    QSize logical;
    qreal ratio = 1;
};

ScreensExtent screensExtent() {
    QRect united;
    ScreensExtent all;
    for (const QScreen* screen : QGuiApplication::screens()) {
        united |= screen->geometry();
        all.ratio = std::max(all.ratio, screen->devicePixelRatio());
    }
    all.logical = united.size();
    return all;
}

// No more of a window than all its screens together can show at once.
QSize largestCanvas() {
    const ScreensExtent all = screensExtent();
    // Without a screen, an 8K screen's pixels; whatever the screens claim, at most 1 GiB.
    if (all.logical.isEmpty()) return QSize(7680, 4320);
    return QSize(int(std::ceil(all.logical.width() * all.ratio)),
                 int(std::ceil(all.logical.height() * all.ratio)))
        .boundedTo(QSize(16384, 16384));
}

// Qt paints a window whole, also where no screen shows it (at 32767 x 32767, 4 GiB): the
// window manager is asked to keep the window within the screens, as they come and go.
void keepWithinScreens(QWidget* window, QObject* context) {
    const auto limit = [window = QPointer<QWidget>(window)] {
        const QSize logical = screensExtent().logical;
        if (window && !logical.isEmpty()) window->setMaximumSize(logical);
    };
    const auto follow = [context, limit](const QScreen* screen) {
        QObject::connect(screen, &QScreen::virtualGeometryChanged, context, limit);
    };
    for (const QScreen* screen : QGuiApplication::screens())
        follow(screen);
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (!app) return;
    QObject::connect(app, &QGuiApplication::screenAdded, context, [follow, limit](QScreen* added) {
        follow(added);
        limit();
    });
    QObject::connect(app, &QGuiApplication::screenRemoved, context, limit);
    limit();
}

// A transparent image of the window's client area in device pixels, from its top left corner
// as far as the screens reach.
QImage blankImage(const QWidget* window, qreal ratio) {
    const QSize logical = window->size().expandedTo(QSize(1, 1));
    const QSize device(int(std::ceil(logical.width() * ratio)),
                       int(std::ceil(logical.height() * ratio)));
    QImage image(device.boundedTo(largestCanvas()), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

WindowCanvas::WindowCanvas(QWidget* window) : FWindow(window) {
    setScale(window->devicePixelRatioF());
    FImage = blankImage(window, scale());
    setImage(&FImage);
    FOverlay = new CanvasOverlay(window, this);
    FOverlay->FRatioChanged = [this] { followRatio(); };
    // Once the window is gone there is nothing to draw on.
    QObject::connect(FOverlay, &QObject::destroyed, FOverlay, [this] { setImage(nullptr); });
    keepWithinScreens(window, FOverlay);
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
    // Without a window manager, or with one that ignores the maximum, it is set here.
    const QSize within = FWindow->size().boundedTo(FWindow->maximumSize());
    if (FWindow->isWindow() && within != FWindow->size()) FWindow->resize(within);
    if (!followRatio()) {
        QImage resized = blankImage(FWindow, scale());
        if (resized.size() != FImage.size()) {
            const int rows = std::min(resized.height(), FImage.height());
            const qsizetype bytes = std::min(resized.bytesPerLine(), FImage.bytesPerLine());
            for (int y = 0; y < rows; ++y)
                std::copy_n(FImage.constScanLine(y), bytes, resized.scanLine(y));
            FImage = resized;
        }
    }
    FOverlay->setGeometry(FWindow->rect());
}

bool WindowCanvas::followRatio() {
    if (!FWindow || FWindow->devicePixelRatioF() == scale()) return false;
    // What was drawn cannot be carried over to other device pixels; the window repaints and so
    // wipes it anyway.
    setScale(FWindow->devicePixelRatioF());
    FImage = blankImage(FWindow, scale());
    FWindow->update();
    return true;
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
