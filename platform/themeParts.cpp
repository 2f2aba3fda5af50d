#include "themeParts.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSpinBox>

namespace {
constexpr int stateHot = 2, statePressed = 3;

QStyle::State baseState(int state) {
    QStyle::State s = QStyle::State_Enabled | QStyle::State_Active;
    if (state == stateHot)
        s |= QStyle::State_MouseOver | QStyle::State_Raised;
    else if (state == statePressed)
        s |= QStyle::State_Sunken;
    else
        s |= QStyle::State_Raised;
    return s;
}

void drawButton(QPainter& p, QStyle* style, int state, const QRect& r) {
    QStyleOptionButton opt;
    opt.rect = r;
    opt.state = baseState(state);
    opt.palette = QApplication::palette();
    opt.direction = Qt::LeftToRight;
    style->drawControl(QStyle::CE_PushButton, &opt, &p, nullptr);
}

// The style draws spin buttons only as parts of a whole spin box, in sizes of its own: the
// box is drawn off screen twice as high as the part and its up or down button scaled onto
// the rectangle without smoothing, which keeps the arrow crisp.
void drawSpinPart(QPainter& p, QStyle* style, int part, int state, const QRect& r) {
    const QStyle::SubControl sc = part == SPNP_DOWN ? QStyle::SC_SpinBoxDown : QStyle::SC_SpinBoxUp;
    QStyleOptionSpinBox opt;
    opt.rect = QRect(0, 0, r.width() + 32, 2 * r.height());
    opt.state = baseState(state);
    opt.palette = QApplication::palette();
    opt.direction = Qt::LeftToRight;
    opt.frame = true;
    opt.buttonSymbols = QAbstractSpinBox::UpDownArrows;
    opt.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
    opt.subControls = sc;
    opt.activeSubControls = state == stateHot || state == statePressed ? sc : QStyle::SC_None;
    const QRect source =
        style->subControlRect(QStyle::CC_SpinBox, &opt, sc, nullptr).intersected(opt.rect);
    if (source.isEmpty()) return;
    QImage scratch(opt.rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (scratch.isNull()) return;
    scratch.fill(opt.palette.color(QPalette::Button));
    {
        QPainter sp(&scratch);
        style->drawComplexControl(QStyle::CC_SpinBox, &opt, &sp, nullptr);
    }
    p.drawImage(r, scratch, source);
}
} // namespace

void drawThemePart(QImage& image, const QRegion* clip, ThemeClass cls, int part, int state,
                   const WinRect& rect) {
    const QRect r = rect.toQRect();
    if (image.isNull() || r.isEmpty() || !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return;
    QStyle* style = QApplication::style();
    if (!style) return;
    QPainter p(&image);
    if (clip) p.setClipRegion(*clip);
    if (cls == ThemeClass::Button)
        drawButton(p, style, state, r);
    else
        drawSpinPart(p, style, part, state, r);
    // Qt's styles show hover faintly or not at all (Fusion's spin buttons, the Windows
    // style), so a hot part also gets a light wash of the highlight colour.
    if (state == stateHot) {
        QColor wash = QApplication::palette().color(QPalette::Active, QPalette::Highlight);
        wash.setAlpha(56);
        p.fillRect(r, wash);
    }
}

QColor themeColor(ThemeClass, int, int, int property) {
    const QPalette palette = QApplication::palette();
    switch (property) {
    case TMT_EDGELIGHTCOLOR:
        return palette.color(QPalette::Active, QPalette::Light);
    case TMT_BORDERCOLORHINT:
        return palette.color(QPalette::Active, QPalette::Shadow);
    case TMT_EDGESHADOWCOLOR:
        return palette.color(QPalette::Active, QPalette::Mid);
    default:
        return palette.color(QPalette::Active, QPalette::Button);
    }
}
