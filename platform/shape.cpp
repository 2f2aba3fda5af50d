#include "shape.h"

#include <QPainter>

TShape::TShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (width() > 2 && height() > 2) painter.fillRect(rect().adjusted(1, 1, -1, -1), Qt::white);
}
