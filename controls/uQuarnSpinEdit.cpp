#include "uQuarnSpinEdit.h"

#include "bitmapResource.h"
#include "edge3d.h"
#include "floatEnv.h"
#include "glyphDraw.h"
#include "messageTimer.h"
#include "mouseCapture.h"
#include "pixelCanvas.h"
#include "systemColors.h"
#include "themeParts.h"
#include "visualStyles.h"
#include "windowCanvas.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

namespace {
// Faces beyond this many pixels are not rendered (five faces and three scratch images of
// that size would take hundreds of megabytes); such a control shows plain button face.
constexpr qint64 maxFacePixels = qint64(1) << 22;

constexpr int stNormal = 1, stHot = 2, stPressed = 3;

// Where the diagonal looks put their glyphs: centred in the upper-left and lower-right
// quarters (halves to even), the up glyph shifted by `upOffset`, the down glyph by -1.
// A face's size in device pixels.
QSize faceSize(QSize logical, qreal ratio) {
    if (ratio == 1) return logical;
    return QSize(int(std::ceil(std::clamp(logical.width() * ratio, 0.0, double(INT_MAX / 2)))),
                 int(std::ceil(std::clamp(logical.height() * ratio, 0.0, double(INT_MAX / 2)))));
}

std::pair<QPoint, QPoint> diagonalGlyphPositions(int w, int h, QSize up, QSize down, int upOffset) {
    const auto nearest = [](double v) { return int(RoundToInt(v)); };
    return {QPoint(nearest(w / 4.0 - up.width() / 2.0) + upOffset,
                   nearest(h / 4.0 - up.height() / 2.0) + upOffset),
            QPoint(nearest(3.0 * w / 4.0 - down.width() / 2.0) - 1,
                   nearest(3.0 * h / 4.0 - down.height() / 2.0) - 1)};
}

// Event positions are fractional on scaled screens; a pixel is the one the point lies in.
QPoint pixelOf(const QPointF& p) {
    const auto toInt = [](double v) {
        return int(std::clamp(std::floor(v), double(INT_MIN / 2), double(INT_MAX / 2)));
    };
    return QPoint(toInt(p.x()), toInt(p.y()));
}

// Puts a default glyph into an empty slot for one build and empties the slot again
// afterwards, also when the build fails, so a user's glyph is never touched.
class DefaultGlyphSlot {
public:
    DefaultGlyphSlot(WatchedImage& slot, bool wasEmpty) : FSlot(slot), FWasEmpty(wasEmpty) {}
    ~DefaultGlyphSlot() {
        if (FWasEmpty && !FSlot.isEmpty()) FSlot.clear();
    }
    DefaultGlyphSlot(const DefaultGlyphSlot&) = delete;
    DefaultGlyphSlot& operator=(const DefaultGlyphSlot&) = delete;

    void loadIfEmpty(const char* resource) {
        if (FSlot.isEmpty()) FSlot.assign(loadBitmapResource(resource));
    }

private:
    WatchedImage& FSlot;
    bool FWasEmpty;
};
} // namespace

struct TQuarnSpinButton::ClassicFaceState {
    QImage& face;
    PixelCanvas canvas;
    TSpinHalf pressed;
    unsigned topEdge = EDGE_RAISED;
    unsigned bottomEdge = EDGE_RAISED;
    DefaultGlyphSlot& up;
    DefaultGlyphSlot& down;
};

TQuarnSpinButton::TQuarnSpinButton(QWidget* parent) : QWidget(parent) {
    // A windowless control: it never takes the keyboard focus, and hover needs plain moves.
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    FMouse = new MouseCapture(this);
    FButtonStyle = sbsDefault;
    FUpGlyph.setOnChange([this] { MarkFacesStale(); });
    FDownGlyph.setOnChange([this] { MarkFacesStale(); });
    resize(20, 20);
    FThemed = visualStylesActive();
    RebuildFaces();
    FPressOrigin = shNone;
}

TQuarnSpinButton::~TQuarnSpinButton() {
    delete FRepeatTimer;
    FRepeatTimer = nullptr;
}

void TQuarnSpinButton::SetButtonStyle(TSpinButtonStyle value) {
    if (value == FButtonStyle) return;
    FButtonStyle = value;
    MarkFacesStale();
}

const QImage& TQuarnSpinButton::Face(TSpinFace which) const {
    switch (which) {
    case TSpinFace::TopPressed:
        return FTopPressedFace;
    case TSpinFace::BottomPressed:
        return FBottomPressedFace;
    case TSpinFace::TopHot:
        return FTopHotFace;
    case TSpinFace::BottomHot:
        return FBottomHotFace;
    case TSpinFace::Normal:
        break;
    }
    return FNormalFace;
}

void TQuarnSpinButton::MarkFacesStale() {
    FFacesStale = true;
    repaintUnderDrawing(this);
}

bool TQuarnSpinButton::HitBottomHalf(const QPoint& point) const {
    const qint64 w = width(), h = height(), x = point.x(), y = point.y();
    if (FButtonStyle == sbsClassic) return y > h / 2;
    // y > h - (h / w) * x, multiplied out so that a point on the diagonal stays in the
    // top half exactly and a zero width cannot divide.
    return w * y + h * x > h * w;
}

bool TQuarnSpinButton::insideInclusive(const QPoint& p) const {
    return p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height();
}

void TQuarnSpinButton::repaintNow() {
    // Within a paint cycle an immediate repaint would re-enter it; the next cycle does.
    repaintUnderDrawing(this);
    if (!FInPaint) repaint();
}

void TQuarnSpinButton::FireTopClick() {
    if (!FOnTopClick) return;
    // A copy, so a handler that replaces the handler does not destroy the running one.
    const TNotifyEvent handler = FOnTopClick;
    handler(this);
    if (!FMouse->leftButtonDown()) FActiveHalf = shNone;
}

void TQuarnSpinButton::FireBottomClick() {
    if (!FOnBottomClick) return;
    const TNotifyEvent handler = FOnBottomClick;
    handler(this);
    if (!FMouse->leftButtonDown()) FActiveHalf = shNone;
}

void TQuarnSpinButton::Click(TSpinHalf half) {
    if (!isEnabled()) return;
    // A copy, as at a press, so a handler may replace the handler.
    const TNotifyEvent handler = half == shTop      ? FOnTopClick
                                 : half == shBottom ? FOnBottomClick
                                                    : TNotifyEvent();
    if (handler) handler(this);
}

void TQuarnSpinButton::RepeatTick() {
    FRepeatTimer->setInterval(100);
    if (FActiveHalf == shNone || !FMouse->captured()) return;
    try {
        if (FActiveHalf == shBottom)
            FireBottomClick();
        else
            FireTopClick();
    } catch (...) {
        // A failing handler must not be called again every 100 ms; the next press rearms.
        FRepeatTimer->setEnabled(false);
        throw;
    }
}

bool TQuarnSpinButton::event(QEvent* event) {
    const QEvent::Type type = event->type();
    const bool painting = type == QEvent::Paint || type == QEvent::UpdateRequest;
    const bool wasInPaint = FInPaint;
    FInPaint = wasInPaint || painting;
    bool result;
    try {
        result = QWidget::event(event);
    } catch (...) {
        FInPaint = wasInPaint;
        throw;
    }

    const bool themed = visualStylesActive();
    if (themed != FThemed) {
        FThemed = themed;
        // Hover is tracked only in the themed looks; a flag left from before would pick
        // a hot face that the classic looks never render.
        FHotTop = FHotBottom = false;
        FFacesStale = true;
        repaintNow();
    }
    if (FThemed) {
        if (type == QEvent::Enter) {
            if (!FHotTop && !FHotBottom) {
                const QPoint p = pixelOf(static_cast<QEnterEvent*>(event)->position());
                if (HitBottomHalf(p))
                    FHotBottom = true;
                else
                    FHotTop = true;
                repaintNow();
            }
        } else if (type == QEvent::Leave) {
            if (FHotTop || FHotBottom) {
                FHotTop = FHotBottom = false;
                repaintNow();
            }
        }
    }
    FInPaint = wasInPaint;
    return result;
}

void TQuarnSpinButton::mousePressEvent(QMouseEvent* event) {
    QWidget::mousePressEvent(event);
    event->accept();
    if (event->button() != Qt::LeftButton || !isEnabled()) return;
    pressAt(pixelOf(event->position()));
}

void TQuarnSpinButton::pressAt(const QPoint& p) {
    if (QWidget* target = FFocusControl.data()) {
        const bool tabStop = target->focusPolicy() & Qt::TabFocus;
        if (tabStop && target->isEnabled() && target->isVisible() &&
            QApplication::focusWidget() != target)
            target->setFocus(Qt::MouseFocusReason);
    }
    if (FActiveHalf == shNone) {
        FPressOrigin = shNone;
        if (HitBottomHalf(p)) {
            FActiveHalf = shBottom;
            FireBottomClick();
        } else {
            FActiveHalf = shTop;
            FireTopClick();
        }
        // Unless the handler saw the button come up, the half is shown pressed now.
        if (FActiveHalf != FPressOrigin) {
            FPressOrigin = FActiveHalf;
            repaintNow();
        }
        if (!FRepeatTimer) FRepeatTimer = new MessageTimer(this);
        // Assigning the handler restarts the period, so the 400 ms count from this press.
        FRepeatTimer->setHandler([this] { RepeatTick(); });
        FRepeatTimer->setInterval(400);
        FRepeatTimer->setEnabled(true);
    }
    FPressActive = true;
}

void TQuarnSpinButton::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    event->accept();
    const QPoint p = pixelOf(event->position());
    if (FPressActive) {
        if (insideInclusive(p)) {
            const TSpinHalf half = HitBottomHalf(p) ? shBottom : shTop;
            if (FActiveHalf != half) {
                // Only the half where the press began can become pressed again.
                const TSpinHalf next = FPressOrigin == half ? half : shNone;
                if (next != FActiveHalf) {
                    FActiveHalf = next;
                    repaintNow();
                }
            }
        } else if (FActiveHalf != shNone) {
            FActiveHalf = shNone;
            repaintNow();
        }
    } else if (FThemed && (FHotTop || FHotBottom)) {
        if (HitBottomHalf(p)) {
            if (!FHotBottom) {
                FHotTop = false;
                FHotBottom = true;
                repaintNow();
            }
        } else if (!FHotTop) {
            FHotTop = true;
            FHotBottom = false;
            repaintNow();
        }
    }
}

void TQuarnSpinButton::mouseReleaseEvent(QMouseEvent* event) {
    QWidget::mouseReleaseEvent(event);
    event->accept();
    if (!FPressActive) return;
    FPressActive = false;
    if (insideInclusive(pixelOf(event->position()))) {
        FActiveHalf = shNone;
        FPressOrigin = shNone;
        repaintNow();
    }
}

void TQuarnSpinButton::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
    // A new style or palette changes what the themed parts and system colours look like.
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
        MarkFacesStale();
        break;
    default:
        break;
    }
}

void TQuarnSpinButton::paintEvent(QPaintEvent*) {
    if (!isEnabled()) FPressActive = false;
    if (FFacesSize != size() || FFacesRatio != devicePixelRatioF() || FFacesStale) {
        try {
            RebuildFaces();
        } catch (...) {
            // A build that fails waits for the next change instead of failing (and showing
            // its error) again at every paint.
            FFacesSize = size();
            FFacesRatio = devicePixelRatioF();
            FFacesStale = false;
            throw;
        }
    }
    FFacesStale = false;

    const QImage* face = &FNormalFace;
    if (FActiveHalf == shTop)
        face = &FTopPressedFace;
    else if (FActiveHalf == shBottom)
        face = &FBottomPressedFace;
    else if (FThemed && FHotTop)
        face = &FTopHotFace;
    else if (FThemed && FHotBottom)
        face = &FBottomHotFace;

    QPainter painter(this);
    // Faces hold device pixels, so they are placed whole, one image pixel on one device pixel.
    if (face->size() == faceSize(size(), FFacesRatio))
        painter.drawImage(QPointF(0, 0), *face);
    else
        painter.fillRect(rect(), clBtnFace());
}

QImage TQuarnSpinButton::newFace() const {
    // The control's device pixels: drawn at the screen's resolution, not scaled up later.
    const qreal ratio = devicePixelRatioF();
    const QSize device = faceSize(size(), ratio);
    const qint64 w = device.width(), h = device.height();
    if (w <= 0 || h <= 0 || w * h > maxFacePixels) return QImage();
    QImage face(int(w), int(h), QImage::Format_RGB32);
    if (face.isNull()) return face;
    face.setDevicePixelRatio(ratio);
    face.fill(clBtnFace());
    return face;
}

void TQuarnSpinButton::RebuildFaces() {
    if (!FThemed) {
        PaintClassicFace(FTopPressedFace, shTop);
        PaintClassicFace(FBottomPressedFace, shBottom);
        PaintClassicFace(FNormalFace, shNone);
    } else if (FButtonStyle == sbsClassic) {
        BuildThemedStackedFaces();
    } else {
        BuildThemedDiagonalFaces();
    }
    FFacesSize = size();
    FFacesRatio = devicePixelRatioF();
}

void TQuarnSpinButton::PaintClassicFace(QImage& face, TSpinHalf pressed) {
    DefaultGlyphSlot up(FUpGlyph, FUpGlyph.isEmpty());
    DefaultGlyphSlot down(FDownGlyph, FDownGlyph.isEmpty());
    face = newFace();
    if (face.isNull()) return;
    ClassicFaceState state{face, PixelCanvas(&face), pressed, EDGE_RAISED, EDGE_RAISED, up, down};
    state.canvas.setScale(face.devicePixelRatio());
    state.canvas.setBrushColor(clBtnFace());
    state.canvas.fillRect(rect());
    if (FButtonStyle == sbsClassic)
        PaintClassicStacked(state);
    else
        PaintClassicDiagonal(state);
}

void TQuarnSpinButton::PaintClassicDiagonal(ClassicFaceState& state) {
    const int w = width(), h = height();
    PixelCanvas& canvas = state.canvas;
    QColor upper = clBtnShadow(), middle = clWindowFrame(), lower = clBtnHighlight();
    if (state.pressed == shTop) {
        upper = clBtnFace();
        middle = clBtnHighlight();
        state.topEdge = EDGE_SUNKEN;
    } else if (state.pressed == shBottom) {
        middle = clBtnShadow();
        lower = clWindowFrame();
        state.bottomEdge = EDGE_SUNKEN;
    }

    WinRect r{0, 0, w, h};
    drawEdge(canvas, r, state.topEdge, BF_SOFT | BF_LEFT | BF_TOP);
    drawEdge(canvas, r, state.bottomEdge, BF_SOFT | BF_RIGHT | BF_BOTTOM);
    inflateRect(r, -1, -1);
    canvas.setPenColor(upper);
    canvas.moveTo(r.left, r.bottom - 2);
    canvas.lineTo(r.right - 1, r.top - 1);
    canvas.setPenColor(middle);
    canvas.moveTo(r.right - 1, r.top);
    canvas.lineTo(r.left, r.bottom - 1);
    canvas.setPenColor(lower);
    canvas.moveTo(r.left + 1, r.bottom - 1);
    canvas.lineTo(r.right, r.top);

    const int g = state.pressed == shTop ? 2 : 1;
    state.up.loadIfEmpty("QUARNSPINUP");
    state.down.loadIfEmpty("QUARNSPINDOWN");
    const QImage& upGlyph = FUpGlyph.image();
    const QImage& downGlyph = FDownGlyph.image();
    const auto [upAt, downAt] = diagonalGlyphPositions(w, h, upGlyph.size(), downGlyph.size(), g);
    drawTransparent(canvas, upAt.x(), upAt.y(), upGlyph);
    drawTransparent(canvas, downAt.x(), downAt.y(), downGlyph);
}

void TQuarnSpinButton::PaintClassicStacked(ClassicFaceState& state) {
    const int w = width(), h = height();
    PixelCanvas& canvas = state.canvas;
    const int half = h / 2;
    WinRect topBox{0, 0, w, half};
    if (state.pressed == shTop)
        state.topEdge = EDGE_SUNKEN;
    else
        topBox.bottom = half + 1;
    if (state.pressed == shBottom) state.bottomEdge = EDGE_SUNKEN;
    state.up.loadIfEmpty("QUARNSPINUPPOLE");
    const WinRect outerTop = topBox;
    drawEdge(canvas, topBox, state.topEdge, BF_RECT | BF_SOFT | BF_ADJUST);
    WinRect bottomBox{0, half, w, h};
    drawEdge(canvas, bottomBox, state.bottomEdge, BF_RECT | BF_SOFT | BF_ADJUST);
    const int topInner = topBox.height() - 1;
    const int bottomInner = bottomBox.height() - 1;

    const QImage& upGlyph = FUpGlyph.image();
    const int upX = (w - upGlyph.width()) / 2;
    int upY = (half - upGlyph.height()) / 2 + outerTop.top;
    if (bottomInner < upGlyph.height()) upY = topBox.top;
    canvas.intersectClip(topBox.toQRect());
    drawTransparent(canvas, upX, upY, upGlyph);
    canvas.removeClip();

    WinRect downBox = bottomBox;
    if (state.pressed == shTop) offsetRect(downBox, 0, 1);
    downBox.bottom = downBox.top + topInner;
    state.down.loadIfEmpty("QUARNSPINDOWNPOLE");
    const QImage& downGlyph = FDownGlyph.image();
    const int downX = (w - downGlyph.width()) / 2;
    int downY = (topInner - downGlyph.height()) / 2 + downBox.top;
    if (topInner < downGlyph.height()) {
        downBox.top -= 1;
        downY = downBox.bottom - downGlyph.height();
    }
    canvas.intersectClip(downBox.toQRect());
    drawTransparent(canvas, downX, downY, downGlyph);
    canvas.removeClip();
}

void TQuarnSpinButton::BuildThemedStackedFaces() {
    const int w = width(), h = height();
    const WinRect topBox{-1, -1, w + 1, h / 2 + 1};
    const WinRect bottomBox{-1, topBox.bottom - 1, w + 1, h + 1};
    WinRect topActive = topBox, bottomActive = bottomBox;
    topActive.bottom += 1;
    bottomActive.top += 1;
    // top normal, top active, bottom normal, bottom active
    const QRegion clips[4] = {rectRegion(topBox), rectRegion(topActive), rectRegion(bottomBox),
                              rectRegion(bottomActive)};
    PaintThemedStackedFace(FTopPressedFace, stPressed, stNormal, clips);
    PaintThemedStackedFace(FBottomPressedFace, stNormal, stPressed, clips);
    PaintThemedStackedFace(FNormalFace, stNormal, stNormal, clips);
    PaintThemedStackedFace(FTopHotFace, stHot, stNormal, clips);
    PaintThemedStackedFace(FBottomHotFace, stNormal, stHot, clips);
}

void TQuarnSpinButton::PaintThemedStackedFace(QImage& face, int topState, int bottomState,
                                              const QRegion* clips) {
    const int w = width(), h = height();
    const WinRect topBox{-1, -1, w + 1, h / 2 + 1};
    const WinRect bottomBox{-1, h / 2, w + 1, h + 1};
    face = newFace();
    drawThemePart(face, topState == stNormal ? &clips[0] : &clips[1], ThemeClass::Spin, SPNP_UP,
                  topState, topBox);
    // The shared row goes by the top half's state: it belongs to the up part while that
    // half is hot or pressed.
    drawThemePart(face, topState == stNormal ? &clips[2] : &clips[3], ThemeClass::Spin, SPNP_DOWN,
                  bottomState, bottomBox);
}

void TQuarnSpinButton::BuildThemedDiagonalFaces() {
    const int w = width(), h = height();
    QImage scratch[3];
    for (int i = 0; i < 3; ++i) {
        scratch[i] = newFace();
        drawThemePart(scratch[i], nullptr, ThemeClass::Button, BP_PUSHBUTTON, i + 1,
                      WinRect{-1, -1, w + 1, h + 1});
    }
    const QColor lines[3] = {
        themeColor(ThemeClass::Button, BP_PUSHBUTTON, PBS_NORMAL, TMT_EDGELIGHTCOLOR),
        themeColor(ThemeClass::Button, BP_PUSHBUTTON, PBS_NORMAL, TMT_BORDERCOLORHINT),
        themeColor(ThemeClass::Button, BP_PUSHBUTTON, PBS_NORMAL, TMT_EDGESHADOWCOLOR)};

    DefaultGlyphSlot up(FUpGlyph, FUpGlyph.isEmpty());
    DefaultGlyphSlot down(FDownGlyph, FDownGlyph.isEmpty());
    up.loadIfEmpty("QUARNSPINUP");
    down.loadIfEmpty("QUARNSPINDOWN");
    const QImage& upGlyph = FUpGlyph.image();
    const QImage& downGlyph = FDownGlyph.image();
    const auto [upAt, downAt] = diagonalGlyphPositions(w, h, upGlyph.size(), downGlyph.size(), 1);

    const QRegion upper(QPolygon({QPoint(-1, h + 1), QPoint(-1, -1), QPoint(w + 1, -1)}),
                        Qt::WindingFill);
    const QRegion lower(QPolygon({QPoint(w + 1, -1), QPoint(w + 1, h + 1), QPoint(-1, h + 1)}),
                        Qt::WindingFill);
    PaintThemedDiagonalFace(FTopPressedFace, stPressed, stNormal, scratch, upper, lower, lines,
                            upAt, downAt);
    PaintThemedDiagonalFace(FBottomPressedFace, stNormal, stPressed, scratch, upper, lower, lines,
                            upAt, downAt);
    PaintThemedDiagonalFace(FNormalFace, stNormal, stNormal, scratch, upper, lower, lines, upAt,
                            downAt);
    PaintThemedDiagonalFace(FTopHotFace, stHot, stNormal, scratch, upper, lower, lines, upAt,
                            downAt);
    PaintThemedDiagonalFace(FBottomHotFace, stNormal, stHot, scratch, upper, lower, lines, upAt,
                            downAt);
    // The regions go first, then the default glyphs leave their slots, then the scratch
    // images are freed: the destructors run in that order, also on an error.
}

void TQuarnSpinButton::PaintThemedDiagonalFace(QImage& face, int topState, int bottomState,
                                               const QImage* scratch, const QRegion& upper,
                                               const QRegion& lower, const QColor* lines,
                                               QPoint upAt, QPoint downAt) {
    face = newFace();
    if (face.isNull()) return;
    {
        QPainter painter(&face);
        painter.setClipRegion(upper);
        painter.drawImage(0, 0, scratch[topState - 1]);
        painter.setClipRegion(lower);
        painter.drawImage(0, 0, scratch[bottomState - 1]);
    }
    PixelCanvas canvas(&face);
    canvas.setScale(face.devicePixelRatio());
    WinRect r{0, 0, width(), height()};
    inflateRect(r, -1, -1);
    canvas.setPenColor(lines[0]);
    canvas.moveTo(r.left, r.bottom - 2);
    canvas.lineTo(r.right - 1, r.top - 1);
    canvas.setPenColor(lines[1]);
    canvas.moveTo(r.right - 1, r.top);
    canvas.lineTo(r.left, r.bottom - 1);
    canvas.setPenColor(lines[2]);
    canvas.moveTo(r.left + 1, r.bottom - 1);
    canvas.lineTo(r.right, r.top);
    drawTransparent(canvas, upAt.x(), upAt.y(), FUpGlyph.image());
    drawTransparent(canvas, downAt.x(), downAt.y(), FDownGlyph.image());
}
