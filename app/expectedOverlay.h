#pragma once

#include "diffraction.h"
#include "lessonData.h"

#include <QPolygonF>
#include <QWidget>

#include <array>
#include <cstdint>
#include <vector>

class TForm1;

// The count each bin should have on one side after `particles`: of the run's equally likely
// draws, the share that falls into the bin, halved, since both sides are equally likely.
using DrawsPerBin = std::array<std::int64_t, patternAngles + 1>;
std::array<double, lessonBins> expectedPerSide(const PatternDraws& draws, const DrawsPerBin& perBin,
                                               std::int64_t particles);

// Beside the bars, a thin red line through the count each bin should have after the particles
// fired so far, at the zoom of the moment. A layer over the drawing that the window's pictures
// include; it follows the run once a frame, when the drawing reaches the screen.
class ExpectedOverlay : public QWidget {
    Q_OBJECT
public:
    // The window's layer; made on first use, so a window that never shows it has none.
    static ExpectedOverlay* of(TForm1& window, bool make);
    static bool shownIn(TForm1& window);

    void setShown(bool on);
    // The line as it is drawn now, in window coordinates; empty before a run.
    QPolygonF line() const { return FDrawn; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ExpectedOverlay(TForm1& window);
    QPolygonF lineNow();
    // Takes the line for the counts of the moment and repaints where it moves.
    void refresh();

    TForm1& FWindow;
    QPolygonF FDrawn;
    // The draws per bin of the table they were counted for.
    std::vector<Extended> FEntries;
    DrawsPerBin FPerBin{};
};
