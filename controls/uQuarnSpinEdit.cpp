#include "uQuarnSpinEdit.h"

#include <QMouseEvent>
#include <QPainter>

// placeholder until the full control lands
TQuarnSpinButton::TQuarnSpinButton(QWidget* parent) : QWidget(parent) { resize(20, 20); }

void TQuarnSpinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    if (p.y() > height() - double(height()) / width() * p.x()) {
        if (FOnBottomClick)
            FOnBottomClick(this);
    } else if (FOnTopClick) {
        FOnTopClick(this);
    }
}

void TQuarnSpinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().button());
}
