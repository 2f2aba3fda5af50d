#pragma once

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

class QTimer;

// Keeps a top-level window at a fixed outer size, frame and title bar included, centred on
// its screen's available area, as a classic window's stored size and centred position do.
// On a smaller screen (a laptop at 150 %, a panel under 768 rows) the size shrinks to the
// available area, so that the title bar and every edge stay within reach.
// A window manager reports its frame some time after the window is mapped (or only once it
// starts), and Qt sends no event for it, so the frame is looked up again until a plausible
// one is known or the user resizes the window.
class OuterFrameFit : public QObject {
public:
    OuterFrameFit(QWidget* window, QSize outer);

    // The frame in use: the reported one when it is plausible, none otherwise.
    QMargins frame() const;
    // The window's outer height: its client height plus the frame in use.
    int outerHeight() const;
    // The outer size fitted: the stored one, within the available area.
    QSize outer() const;
    // Looks at the frame now and fits the window to it if it is new.
    void fit();
    // A real frame has been fitted, or the user has sized the window: nothing more to fit.
    bool settled() const { return FSettled; }

    // Margins a window manager can really have: none negative, and the frame alone smaller
    // than both the window and the available area.
    static bool plausible(const QMargins& frame, QSize outer, const QRect& available);
    // The client rectangle whose outer rectangle has the size `outer` and stands centred on
    // `available`, halves rounded down on both axes, never left of or above it.
    static QRect centredClient(QSize outer, const QMargins& frame, const QRect& available);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // What the platform reports for the window's frame.
    virtual QMargins reportedFrame() const;

private:
    QRect available() const;

    QPointer<QWidget> FWindow;
    QSize FOuter;
    QMargins FApplied{-1, -1, -1, -1};
    QSize FFittedClient;
    bool FSettled = false;
    QTimer* FPoll = nullptr;
    int FPolls = 0;
};
