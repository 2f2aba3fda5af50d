#include "cNumbers.h"

#include <clocale>
#include <locale.h>

struct CNumbersOnThisThread::State {
    locale_t c;
    locale_t old;
};

CNumbersOnThisThread::CNumbersOnThisThread() : FState(nullptr) {
    const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    if (c) FState = new State{c, uselocale(c)};
}

CNumbersOnThisThread::~CNumbersOnThisThread() {
    if (!FState) return;
    uselocale(FState->old);
    freelocale(FState->c);
    delete FState;
}
