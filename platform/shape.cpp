#include "shape.h"

#include "windowCanvas.h"

#include <QMoveEvent>
#include <QPainter>
#include <QResizeEvent>

TShape::TShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (width() > 2 && height() > 2) painter.fillRect(rect().adjusted(1, 1, -1, -1), Qt::white);
}

void TShape::moveEvent(QMoveEvent* event) {
    repaintUnderDrawing(parentWidget(), QRect(event->oldPos(), size()));
    repaintUnderDrawing(this);
}

void TShape::resizeEvent(QResizeEvent* event) {
    repaintUnderDrawing(parentWidget(), QRect(pos(), event->oldSize()));
    repaintUnderDrawing(this);
}
