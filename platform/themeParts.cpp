#include "themeParts.h"

#include <QApplication>

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

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

QStyleOptionButton buttonOption(int state, const QRect& r) {
    QStyleOptionButton opt;
    opt.rect = r;
    opt.state = baseState(state);
    opt.palette = QApplication::palette();
    opt.direction = Qt::LeftToRight;
    return opt;
}

void drawButton(QPainter& p, QStyle* style, int state, const QRect& r) {
    const QStyleOptionButton opt = buttonOption(state, r);
    style->drawControl(QStyle::CE_PushButton, &opt, &p, nullptr);
}

// A spin part is a button panel with the style's own up or down arrow, drawn at the part's
// size (a spin box's buttons, cut out and scaled, would come out blurred or distorted).
void drawSpinPart(QPainter& p, QStyle* style, int part, int state, const QRect& r) {
    const QStyleOptionButton panel = buttonOption(state, r);
    style->drawPrimitive(QStyle::PE_PanelButtonCommand, &panel, &p, nullptr);
    QStyleOption arrow = panel;
    // The style sizes its arrow by the width it is given: a centred square keeps it inside
    // the part whatever the control's proportions.
    const int side = std::min(r.width(), r.height());
    arrow.rect = QRect(0, 0, side, side);
    arrow.rect.moveCenter(r.center());
    style->drawPrimitive(part == SPNP_DOWN ? QStyle::PE_IndicatorSpinDown
                                           : QStyle::PE_IndicatorSpinUp,
                         &arrow, &p, nullptr);
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
