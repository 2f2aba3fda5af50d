#include "mouseCapture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>

MouseCapture::MouseCapture(QWidget* widget) : QObject(widget), FWidget(widget) {
    widget->installEventFilter(this);
}

bool MouseCapture::leftButtonDown() const {
    // A release that never reached the widget (say, while a modal box blocked its window)
    // must not leave the button held for ever.
    return FLeftDown && (QGuiApplication::mouseButtons() & Qt::LeftButton);
}

bool MouseCapture::captured() const {
    if (!FGrab || QGuiApplication::mouseButtons() == Qt::NoButton) return false;
    // An explicit grab by another widget, or a modal window over ours, takes the mouse away.
    const QWidget* grabber = QWidget::mouseGrabber();
    if (grabber && grabber != FWidget) return false;
    const QWidget* modal = QApplication::activeModalWidget();
    return !modal || modal == FWidget->window();
}

bool MouseCapture::eventFilter(QObject* watched, QEvent* event) {
    if (watched == FWidget) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            // Only a left press captures; a right or middle press is no capture of its own.
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                FLeftDown = FGrab = true;
            break;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) FLeftDown = false;
            if (mouse->buttons() == Qt::NoButton) FGrab = false;
            break;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}
