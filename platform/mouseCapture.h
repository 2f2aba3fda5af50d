#pragma once

#include <QObject>

class QWidget;

// The two facts about the mouse that the classic toolkit keeps per control: whether the
// left button went down on the control and has not come up yet, and whether the control
// holds the mouse capture. Here the capture follows Qt's implicit grab: it begins with a
// left press on the widget and ends when a release leaves no button down. The tracker watches the
// widget's own mouse events ahead of the widget, so its handlers already see the new state.
class MouseCapture : public QObject {
    Q_OBJECT
public:
    explicit MouseCapture(QWidget* widget);

    bool leftButtonDown() const;
    bool captured() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* FWidget;
    bool FLeftDown = false;
    bool FGrab = false;
};
