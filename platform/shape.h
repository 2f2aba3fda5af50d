#pragma once

#include <QWidget>

// A plain rectangle shape: white fill, black one-pixel outline.
class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    // A shape that moves or changes size repaints its old and new area, wiping the drawing.
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
