#include "beep.h"

#include <QApplication>

namespace {
std::function<void()>& beepHook() {
    static std::function<void()> hook;
    return hook;
}
} // namespace

void setBeepHook(std::function<void()> hook) {
    beepHook() = std::move(hook);
}

void messageBeepExclamation() {
    if (beepHook())
        beepHook()();
    else
        QApplication::beep();
}
