#include "pause.h"

#include <chrono>
#include <thread>

namespace {
PauseHook& pauseHook() {
    static PauseHook hook;
    return hook;
}
} // namespace

void setPauseHook(PauseHook hook) {
    pauseHook() = std::move(hook);
}

void Sleep(int ms) {
    if (pauseHook())
        pauseHook()(ms);
    else if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
