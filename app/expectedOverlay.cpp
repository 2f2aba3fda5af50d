#include "expectedOverlay.h"

#include "uFKavalun.h"

#include <QEvent>
#include <QPainter>
#include <QSlider>

#include <algorithm>

namespace {

// The bars start right of the screen's line at x 500; the layer covers only their side.
constexpr int layerLeft = 495;

} // namespace

std::array<double, lessonBins> expectedPerSide(const PatternDraws& draws, const DrawsPerBin& perBin,
                                               std::int64_t particles) {
    std::array<double, lessonBins> expected{};
    const double all = draws.count > 0 ? draws.count : 1; // RandomBelow(0) is the one draw 0
    for (std::size_t k = 0; k < expected.size(); ++k)
        expected[k] = double(particles) * double(perBin[k]) / all / 2;
    return expected;
}

ExpectedOverlay* ExpectedOverlay::of(TForm1& window, bool make) {
    auto* layer = window.findChild<ExpectedOverlay*>(QString(), Qt::FindDirectChildrenOnly);
    return layer || !make ? layer : new ExpectedOverlay(window);
}

bool ExpectedOverlay::shownIn(TForm1& window) {
    const ExpectedOverlay* layer = of(window, false);
    return layer && !layer->isHidden();
}

ExpectedOverlay::ExpectedOverlay(TForm1& window) : QWidget(&window), FWindow(window) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    window.installEventFilter(this);
    // After the window's own handler, which sets the zoom divisor.
    connect(window.tbZoom, &QSlider::valueChanged, this, [this] { refresh(); });
}

void ExpectedOverlay::setShown(bool on) {
    if (on == !isHidden()) return;
    if (on) {
        setGeometry(layerLeft, 0, std::max(0, FWindow.width() - layerLeft), FWindow.height());
        raise();
        FDrawn.clear();
        show();
        FWindow.AfterCounterShown = [this] { refresh(); };
        refresh();
    } else {
        FWindow.AfterCounterShown = {};
        hide();
    }
}

QPolygonF ExpectedOverlay::lineNow() {
    const std::optional<PatternDraws>& draws = FWindow.patternDraws();
    if (!draws) return {};
    if (draws->entries != FEntries) {
        FEntries = draws->entries;
        FPerBin = draws->perBin();
    }
    std::int64_t particles = OutsideTableCount;
    for (int bin = 0; bin < 99; ++bin)
        particles += LowerCounts[bin] + UpperCounts[bin];
    if (particles == 0) return {};
    const std::array<double, lessonBins> expected = expectedPerSide(*draws, FPerBin, particles);
    const double middle = FWindow.outerHeight() / 2 + 1; // the middle of a bar's two rows
    const double zoom = FWindow.zoomDivisor();
    // Through the bins that can have hits (bin 98 lies past the table), from the top one
    // above the centre down to the bottom one below it; bin 0 is one row for both sides.
    QPolygonF points;
    // On whole device pixels, so that a point that has not moved to another pixel draws the
    // same pixels as before and needs no repaint.
    const qreal ratio = devicePixelRatioF();
    const auto at = [&](int side, int bin) {
        const QPointF point(500 + std::min(expected[bin] / zoom, 1e6), middle + side * bin * 5);
        points << QPointF((point * ratio).toPoint()) / ratio;
    };
    for (int bin = 97; bin > 0; --bin)
        at(-1, bin);
    for (int bin = 0; bin <= 97; ++bin)
        at(1, bin);
    return points;
}

void ExpectedOverlay::refresh() {
    if (isHidden()) return;
    const QPolygonF now = lineNow();
    QRegion dirty;
    if (now.size() != FDrawn.size()) {
        dirty = rect();
    } else {
        // Only where a segment was or now is, and only where it moved by a device pixel or
        // within the window: the tails grow slowly and the peak soon leaves the window.
        const qreal right = layerLeft + width();
        for (qsizetype i = 0; i + 1 < now.size(); ++i) {
            if (now[i] == FDrawn[i] && now[i + 1] == FDrawn[i + 1]) continue;
            if (std::min({now[i].x(), now[i + 1].x(), FDrawn[i].x(), FDrawn[i + 1].x()}) > right)
                continue;
            const QRectF span = QRectF(now[i], now[i + 1]).normalized() |
                                QRectF(FDrawn[i], FDrawn[i + 1]).normalized();
            dirty += span.toAlignedRect().adjusted(-2, -2, 2, 2).translated(-layerLeft, 0);
        }
    }
    FDrawn = now;
    if (!dirty.isEmpty()) update(dirty);
}

void ExpectedOverlay::paintEvent(QPaintEvent*) {
    if (FDrawn.isEmpty()) return;
    QPainter painter(this);
    painter.translate(-layerLeft, 0);
    // Red stands out from the black bars and from the button face behind them.
    painter.setPen(QPen(Qt::red, 0));
    painter.drawPolyline(FDrawn);
}

bool ExpectedOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &FWindow && event->type() == QEvent::Resize && !isHidden()) {
        setGeometry(layerLeft, 0, std::max(0, FWindow.width() - layerLeft), FWindow.height());
        // Once the window has taken its new height, which places the bars.
        QMetaObject::invokeMethod(
            this, [this] { refresh(); }, Qt::QueuedConnection);
    }
    return false;
}
