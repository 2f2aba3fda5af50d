#include "accessNotice.h"

#include <QAccessible>

namespace {

std::function<void(QAccessibleEvent&)>& listenerSeam() {
    static std::function<void(QAccessibleEvent&)> listener;
    return listener;
}

} // namespace

void notifyAccessibility(QAccessibleEvent& event) {
    if (listenerSeam())
        listenerSeam()(event);
    else if (QAccessible::isActive())
        QAccessible::updateAccessibility(&event);
}

void setAccessibilityListener(std::function<void(QAccessibleEvent& event)> listener) {
    listenerSeam() = std::move(listener);
}
