#include "systemColors.h"

#include <QApplication>
#include <QPalette>

namespace {
QColor role(QPalette::ColorRole r) {
    return QApplication::palette().color(QPalette::Active, r);
}
} // namespace

QColor clBtnFace() {
    return role(QPalette::Button);
}
QColor clBtnShadow() {
    return role(QPalette::Dark);
}
QColor clBtnHighlight() {
    return role(QPalette::Light);
}
QColor cl3DLight() {
    return role(QPalette::Midlight);
}
QColor cl3DDkShadow() {
    return role(QPalette::Shadow);
}
QColor clWindowFrame() {
    return QColor(0, 0, 0);
}
QColor clWindowText() {
    return role(QPalette::WindowText);
}
