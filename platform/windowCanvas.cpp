#include "windowCanvas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace {
const QEvent::Type wipeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());
}

class CanvasOverlay : public QWidget {
public:
    CanvasOverlay(QWidget* parent, QImage* image) : QWidget(parent), FImage(image) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
    }

    void requestWipe() {
        if (FWipePending) return;
        FWipePending = true;
        QCoreApplication::postEvent(this, new QEvent(wipeEvent));
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        painter.drawImage(event->rect(), *FImage, event->rect());
    }

    bool event(QEvent* event) override {
        if (event->type() == wipeEvent) {
            FWipePending = false;
            FImage->fill(Qt::transparent);
            update();
            return true;
        }
        return QWidget::event(event);
    }

private:
    QImage* FImage;
    bool FWipePending = false;
};

WindowCanvas::WindowCanvas(QWidget* window) : FWindow(window) {
    FImage = QImage(window->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32);
    FImage.fill(Qt::transparent);
    setImage(&FImage);
    FOverlay = new CanvasOverlay(window, &FImage);
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
    FOverlay->requestWipe();
}

void WindowCanvas::resizeToWindow() {
    if (!FWindow || !FOverlay) return;
    const QSize size = FWindow->size().expandedTo(QSize(1, 1));
    if (size != FImage.size()) {
        QImage resized(size, QImage::Format_ARGB32);
        resized.fill(Qt::transparent);
        QPainter painter(&resized);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, FImage);
        painter.end();
        FImage = resized;
    }
    FOverlay->setGeometry(FWindow->rect());
}

void WindowCanvas::changed(const QRect& area) {
    if (!FWindow || !FOverlay || !FOverlay->isVisible()) return;
    FOverlay->repaint(area.intersected(FOverlay->rect()));
}
