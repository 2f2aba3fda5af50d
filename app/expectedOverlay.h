#pragma once

#include <QPolygonF>
#include <QWidget>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

class TForm1;

// Of a run's equally likely draws, how many land in each bin 0..98 ([99]: in none), and how
// many draws there are.
struct DrawShares {
    std::array<std::int64_t, 100> perBin{};
    std::int64_t draws = 0;
};
DrawShares drawSharesOf(const std::vector<std::string>& cumulativeTable);

// The count each bin should have on one side after `particles`: both sides are equally likely.
std::array<double, 99> expectedPerSide(const DrawShares& shares, std::int64_t particles);

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
    std::vector<std::string> FTable;
    DrawShares FShares;
};
