#include "decimalSeparator.h"

#include "numberText.h"

#include <QLocale>

void takeDecimalSeparatorFromLocale() {
    const QString point = QLocale::system().decimalPoint();
    char separator = '.';
    if (!point.isEmpty() && point.front().unicode() > 32 && point.front().unicode() < 127)
        separator = static_cast<char>(point.front().unicode());
    SetDecimalSeparator(separator);
}
