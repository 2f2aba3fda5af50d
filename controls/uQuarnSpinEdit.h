#pragma once

#include "watchedImage.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>

class MessageTimer;
class MouseCapture;
class PixelCanvas;
class QRegion;
struct WinRect;

// A notification event: a handler bound to its object, called with the control as sender.
using TNotifyEvent = std::function<void(QObject* Sender)>;

enum TSpinButtonStyle : unsigned char { sbsDefault, sbsClassic };

enum TSpinHalf : unsigned char { shNone, shTop, shBottom };

// The five pre-rendered faces, for reading them back.
enum class TSpinFace { Normal, TopPressed, BottomPressed, TopHot, BottomHot };

// A two-half spin button. sbsDefault splits it along the diagonal from the bottom-left to
// the top-right corner (the upper-left triangle is the top half); sbsClassic stacks two
// buttons. A left press on the top half raises OnTopClick, on the bottom half OnBottomClick;
// while the button stays down on that half the event repeats after 400 ms and then every
// 100 ms. It never takes the keyboard focus but can hand it to FocusControl on a press.
// A paint only copies one of five faces that are rendered in advance.
class TQuarnSpinButton : public QWidget {
    Q_OBJECT
public:
    explicit TQuarnSpinButton(QWidget* parent = nullptr);
    ~TQuarnSpinButton() override;

    TSpinButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TSpinButtonStyle value);
    // An empty (null) glyph stands for the look's default glyph.
    const QImage& DownGlyph() const { return FDownGlyph.image(); }
    void SetDownGlyph(const QImage& value) { FDownGlyph.assign(value); }
    const QImage& UpGlyph() const { return FUpGlyph.image(); }
    void SetUpGlyph(const QImage& value) { FUpGlyph.assign(value); }
    // Forgotten by itself when that widget is destroyed.
    QWidget* FocusControl() const { return FFocusControl.data(); }
    void SetFocusControl(QWidget* value) { FFocusControl = value; }

    const TNotifyEvent& OnTopClick() const { return FOnTopClick; }
    void SetOnTopClick(TNotifyEvent handler) { FOnTopClick = std::move(handler); }
    const TNotifyEvent& OnBottomClick() const { return FOnBottomClick; }
    void SetOnBottomClick(TNotifyEvent handler) { FOnBottomClick = std::move(handler); }
    // Raises the event of one half once, as a press on it does, without showing the half
    // pressed (for the keyboard and assistive technology); nothing while disabled.
    void Click(TSpinHalf half);

    // The face image as last rendered; empty until a look has built it.
    const QImage& Face(TSpinFace which) const;

    QSize sizeHint() const override { return QSize(20, 20); }

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct ClassicFaceState;

    void MarkFacesStale();
    bool HitBottomHalf(const QPoint& point) const;
    void FireTopClick();
    void FireBottomClick();
    void RepeatTick();
    void RebuildFaces();
    void PaintClassicFace(QImage& face, TSpinHalf pressed);
    void PaintClassicDiagonal(ClassicFaceState& state);
    void PaintClassicStacked(ClassicFaceState& state);
    void BuildThemedStackedFaces();
    void PaintThemedStackedFace(QImage& face, int topState, int bottomState, const QRegion* clips);
    void BuildThemedDiagonalFaces();
    void PaintThemedDiagonalFace(QImage& face, int topState, int bottomState, const QImage* scratch,
                                 const QRegion& upper, const QRegion& lower, const QColor* lines,
                                 QPoint upAt, QPoint downAt);

    bool insideInclusive(const QPoint& p) const;
    void repaintNow();
    void pressAt(const QPoint& p);
    QImage newFace() const;

    TSpinHalf FActiveHalf = shNone;
    bool FPressActive = false;
    bool FFacesStale = false;
    WatchedImage FUpGlyph;
    WatchedImage FDownGlyph;
    QImage FTopPressedFace, FBottomPressedFace, FNormalFace, FTopHotFace, FBottomHotFace;
    bool FHotTop = false;
    bool FHotBottom = false;
    bool FThemed = false;
    MessageTimer* FRepeatTimer = nullptr;
    TSpinHalf FPressOrigin = shNone;
    QPointer<QWidget> FFocusControl;
    TNotifyEvent FOnTopClick;
    TNotifyEvent FOnBottomClick;
    TSpinButtonStyle FButtonStyle = sbsDefault;

    MouseCapture* FMouse = nullptr;
    QSize FFacesSize;      // the size the faces were last built for
    qreal FFacesRatio = 1; // and the device pixel ratio
    bool FInPaint = false;
};
