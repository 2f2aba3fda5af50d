#pragma once

#include <QWidget>

#include <functional>

// A notification event: a handler bound to its object, called with the control as sender.
using TNotifyEvent = std::function<void(QObject* Sender)>;

enum TSpinButtonStyle : unsigned char { sbsDefault, sbsClassic };

// A two-half spin button: a press on the upper-left half raises OnTopClick, on the
// lower-right half OnBottomClick.
class TQuarnSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TQuarnSpinButton(QWidget* parent = nullptr);

    const TNotifyEvent& OnTopClick() const { return FOnTopClick; }
    void SetOnTopClick(TNotifyEvent handler) { FOnTopClick = std::move(handler); }
    const TNotifyEvent& OnBottomClick() const { return FOnBottomClick; }
    void SetOnBottomClick(TNotifyEvent handler) { FOnBottomClick = std::move(handler); }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TNotifyEvent FOnTopClick;
    TNotifyEvent FOnBottomClick;
};
