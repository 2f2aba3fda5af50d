#include "outerFrame.h"

#include <QEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

OuterFrameFit::OuterFrameFit(QWidget* window, QSize outer)
    : QObject(window), FWindow(window), FOuter(outer) {
    window->installEventFilter(this);
    FPoll = new QTimer(this);
    connect(FPoll, &QTimer::timeout, this, [this] {
        fit();
        // Quickly while a window manager is likely busy framing us, then now and then, in
        // case one starts later.
        if (++FPolls == 40) FPoll->setInterval(500);
    });
}

bool OuterFrameFit::plausible(const QMargins& frame, QSize outer, const QRect& available) {
    const int across = frame.left() + frame.right(), down = frame.top() + frame.bottom();
    return frame.left() >= 0 && frame.top() >= 0 && frame.right() >= 0 && frame.bottom() >= 0 &&
           across < std::min(outer.width(), available.width()) &&
           down < std::min(outer.height(), available.height());
}

QRect OuterFrameFit::centredClient(QSize outer, const QMargins& frame, const QRect& available) {
    const int left = available.left() + std::max(0, (available.width() - outer.width()) / 2);
    const int top = available.top() + std::max(0, (available.height() - outer.height()) / 2);
    return QRect(left + frame.left(), top + frame.top(),
                 outer.width() - frame.left() - frame.right(),
                 outer.height() - frame.top() - frame.bottom());
}

QMargins OuterFrameFit::reportedFrame() const {
    return FWindow && FWindow->windowHandle() ? FWindow->windowHandle()->frameMargins()
                                              : QMargins();
}

QRect OuterFrameFit::available() const {
    const QScreen* screen = FWindow ? FWindow->screen() : nullptr;
    return screen ? screen->availableGeometry() : QRect(QPoint(), FOuter);
}

QSize OuterFrameFit::outer() const {
    return FOuter.boundedTo(available().size());
}

QMargins OuterFrameFit::frame() const {
    const QMargins reported = reportedFrame();
    return plausible(reported, outer(), available()) ? reported : QMargins();
}

int OuterFrameFit::outerHeight() const {
    const QMargins f = frame();
    return FWindow ? FWindow->height() + f.top() + f.bottom() : 0;
}

void OuterFrameFit::fit() {
    if (!FWindow || FSettled) return;
    const QMargins f = frame();
    if (f == FApplied) return;
    FApplied = f;
    // Once a real frame is fitted the size is the user's, also when the frame changes later
    // (a maximised window may lose its borders).
    FSettled = !f.isNull();
    if (FSettled) FPoll->stop();
    const QRect client = centredClient(outer(), f, available());
    FFittedClient = client.size();
    FWindow->setGeometry(client);
}

bool OuterFrameFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != FWindow || FSettled) return false;
    switch (event->type()) {
    case QEvent::Show:
        fit();
        if (!FSettled && !FPoll->isActive()) FPoll->start(50);
        break;
    case QEvent::Move:
    case QEvent::WindowActivate:
        fit();
        break;
    case QEvent::Resize:
        // A size the window manager or the user chose ends the fitting.
        if (event->spontaneous() && FFittedClient.isValid() &&
            static_cast<QResizeEvent*>(event)->size() != FFittedClient) {
            FSettled = true;
            FPoll->stop();
        }
        break;
    default:
        break;
    }
    return false;
}
