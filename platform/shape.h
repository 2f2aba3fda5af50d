#pragma once

#include <QWidget>

// A plain rectangle shape: white fill, black one-pixel outline.
class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
