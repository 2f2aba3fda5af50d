#include "visualStyles.h"

#include <QApplication>
#include <QPointer>
#include <QStyle>

namespace {
struct StyleFlag {
    QPointer<QStyle> style; // null again once the style object is gone
    bool active = false;
    std::optional<bool> forced;
};

StyleFlag& flag() {
    static StyleFlag f;
    return f;
}
} // namespace

bool visualStylesActive() {
    StyleFlag& f = flag();
    if (f.forced) return *f.forced;
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    QStyle* current = QApplication::style();
    if (current != f.style.data() || f.style.isNull()) {
        f.style = current;
        f.active =
            current && current->name().compare(QLatin1String("windows"), Qt::CaseInsensitive) != 0;
    }
    return f.active;
}

void setVisualStylesOverride(std::optional<bool> active) {
    flag().forced = active;
}
