#include "application.h"

#include <QMessageBox>

namespace {
TApplication::ErrorBox& errorBox() {
    static TApplication::ErrorBox box;
    return box;
}
} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

TApplication* application() {
    return qobject_cast<TApplication*>(QCoreApplication::instance());
}

void TApplication::setErrorBox(ErrorBox box) {
    errorBox() = std::move(box);
}

QString TApplication::errorBoxText(const QString& message) {
    if (!message.isEmpty() && message.back() > QChar('.')) return message + QChar('.');
    return message;
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        handleException(error);
        return false;
    }
}

void TApplication::handleException(const std::exception& error) {
    const QString text = errorBoxText(QString::fromUtf8(error.what()));
    if (errorBox())
        errorBox()(title(), text);
    else
        QMessageBox::critical(activeWindow(), title(), text);
}

void TApplication::processMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::terminate() {
    FTerminated = true;
    quit();
}

bool TApplication::event(QEvent* event) {
    if (event->type() == QEvent::Quit) FTerminated = true;
    return QApplication::event(event);
}
