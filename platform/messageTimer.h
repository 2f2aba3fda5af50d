#pragma once

#include <QObject>

#include <functional>
#include <vector>

class ManualTimerClock;

// A message-loop timer as the classic toolkit has it: an interval in milliseconds, an
// enabled flag and a handler. Assigning the handler, or an interval or enabled flag that
// differs from the current one, starts the period afresh; assigning the current value again
// leaves the running period alone (QTimer::setInterval would restart it). A zero interval
// does not tick. The tick reaches the handler as a timer event through the application's
// notify, so an error thrown by the handler goes to the application's error box.
class MessageTimer : public QObject {
    Q_OBJECT
public:
    explicit MessageTimer(QObject* parent = nullptr);
    ~MessageTimer() override;

    int interval() const { return FInterval; }
    void setInterval(int ms);
    bool enabled() const { return FEnabled; }
    void setEnabled(bool enabled);
    void setHandler(std::function<void()> handler);

    // Times each fresh period began; lets tests see a restart without waiting for it.
    int restarts() const { return FRestarts; }
    // True while a period is counting down.
    bool running() const { return FEnabled && FInterval > 0 && FHandler != nullptr; }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    friend class ManualTimerClock;
    void restart();
    void stop();

    int FInterval = 1000;
    bool FEnabled = true;
    std::function<void()> FHandler;
    int FTimerId = 0; // the Qt timer while on the real clock
    qint64 FDue = -1; // the expiry while on a manual clock
    int FRestarts = 0;
};

// A clock that tests drive: while one exists, every MessageTimer counts on it instead of
// the real time, and advance() delivers the expiries that fall due, in order, each through
// the application's notify.
class ManualTimerClock {
public:
    ManualTimerClock();
    ~ManualTimerClock();
    ManualTimerClock(const ManualTimerClock&) = delete;
    ManualTimerClock& operator=(const ManualTimerClock&) = delete;

    qint64 now() const { return FNow; }
    void advance(qint64 ms);

    static ManualTimerClock* current();

private:
    friend class MessageTimer;
    void add(MessageTimer* timer);
    void remove(MessageTimer* timer);

    qint64 FNow = 0;
    std::vector<MessageTimer*> FTimers;
};
