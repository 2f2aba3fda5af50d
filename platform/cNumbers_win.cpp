#include "cNumbers.h"

#include <clocale>
#include <locale.h>
#include <string>

// The C runtime has no locale objects per thread; a locale of this thread's own, set to "C"
// for the numbers and put back after, leaves the other threads alone.
struct CNumbersOnThisThread::State {
    int mode;
    std::string numeric;
};

CNumbersOnThisThread::CNumbersOnThisThread() : FState(nullptr) {
    const int mode = _configthreadlocale(_ENABLE_PER_THREAD_LOCALE);
    const char* numeric = std::setlocale(LC_NUMERIC, nullptr);
    FState = new State{mode, numeric ? numeric : "C"};
    std::setlocale(LC_NUMERIC, "C");
}

CNumbersOnThisThread::~CNumbersOnThisThread() {
    std::setlocale(LC_NUMERIC, FState->numeric.c_str());
    if (FState->mode != -1) _configthreadlocale(FState->mode);
    delete FState;
}
