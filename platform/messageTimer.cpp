#include "messageTimer.h"

#include <QCoreApplication>
#include <QTimerEvent>

#include <algorithm>

namespace {
ManualTimerClock* manualClock = nullptr;
// The id a manual tick carries; Qt's own ids are positive.
constexpr int manualTickId = -1;
} // namespace

MessageTimer::MessageTimer(QObject* parent) : QObject(parent) {
    if (manualClock) manualClock->add(this);
}

MessageTimer::~MessageTimer() {
    stop();
    if (manualClock) manualClock->remove(this);
}

void MessageTimer::setInterval(int ms) {
    ms = std::max(ms, 0);
    if (ms == FInterval) return;
    FInterval = ms;
    restart();
}

void MessageTimer::setEnabled(bool enabled) {
    if (enabled == FEnabled) return;
    FEnabled = enabled;
    restart();
}

void MessageTimer::setHandler(std::function<void()> handler) {
    FHandler = std::move(handler);
    restart();
}

void MessageTimer::stop() {
    if (FTimerId != 0) killTimer(FTimerId);
    FTimerId = 0;
    FDue = -1;
}

void MessageTimer::restart() {
    stop();
    if (!running()) return;
    ++FRestarts;
    if (manualClock) {
        // A timer made before the clock joins it at its next period.
        manualClock->add(this);
        FDue = manualClock->now() + FInterval;
    } else
        FTimerId = startTimer(FInterval, Qt::PreciseTimer); // never early, like the classic timer
}

void MessageTimer::timerEvent(QTimerEvent* event) {
    if (event->timerId() != FTimerId && event->timerId() != manualTickId)
        return QObject::timerEvent(event);
    if (FHandler) {
        // A copy, so a handler that replaces the handler keeps running safely.
        const std::function<void()> handler = FHandler;
        handler();
    }
}

ManualTimerClock::ManualTimerClock() {
    Q_ASSERT(!manualClock);
    manualClock = this;
}

ManualTimerClock::~ManualTimerClock() {
    for (MessageTimer* timer : FTimers)
        timer->FDue = -1;
    manualClock = nullptr;
}

ManualTimerClock* ManualTimerClock::current() {
    return manualClock;
}

void ManualTimerClock::add(MessageTimer* timer) {
    if (std::find(FTimers.begin(), FTimers.end(), timer) == FTimers.end()) FTimers.push_back(timer);
}

void ManualTimerClock::remove(MessageTimer* timer) {
    FTimers.erase(std::remove(FTimers.begin(), FTimers.end(), timer), FTimers.end());
}

void ManualTimerClock::advance(qint64 ms) {
    const qint64 target = FNow + std::max<qint64>(ms, 0);
    for (;;) {
        MessageTimer* next = nullptr;
        for (MessageTimer* timer : FTimers)
            if (timer->FDue >= 0 && timer->FDue <= target && (!next || timer->FDue < next->FDue))
                next = timer;
        if (!next) break;
        FNow = next->FDue;
        // The next period counts from this expiry, as a periodic timer's does.
        next->FDue = FNow + next->FInterval;
        QTimerEvent tick(manualTickId);
        QCoreApplication::sendEvent(next, &tick);
    }
    FNow = target;
}
