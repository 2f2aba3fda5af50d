#pragma once

#include <QApplication>
#include <QString>

#include <exception>
#include <functional>

// The application object: the one place where an error that leaves an event handler is
// shown to the user, after which the program goes on with its next event.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    // The error box's title.
    QString title() const { return applicationDisplayName(); }

    bool notify(QObject* receiver, QEvent* event) override;
    // Shows the error's message in the error box (or hands it to the recorder).
    void handleException(const std::exception& error);

    // Tests replace the message box by a recorder; an empty function restores the box.
    using ErrorBox = std::function<void(const QString& title, const QString& text)>;
    static void setErrorBox(ErrorBox box);

    // The message as the box shows it: a full stop is added when the last character
    // sorts after '.'.
    static QString errorBoxText(const QString& message);

    // Processes every pending event and returns as soon as none is left.
    void processMessages();
    // The quit request has arrived (the main window closed).
    bool terminated() const { return FTerminated; }
    void terminate();
    // Starts a new session in the same process (the tests run many windows in one).
    void resetTerminated() { FTerminated = false; }

protected:
    bool event(QEvent* event) override;

private:
    bool FTerminated = false;
};

// The application object, or null before it exists.
TApplication* application();
