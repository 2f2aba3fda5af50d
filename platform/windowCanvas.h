#pragma once

#include "pixelCanvas.h"

#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <functional>

class CanvasOverlay;
class QLabel;

// Drawing straight onto a window, as a classic window canvas does: strokes go into the
// drawing at once and lie over the window's background and its light controls (shapes,
// labels) and under the controls stacked above the overlay (edits, buttons). A repaint of
// the window, or of a light control's own area, wipes the drawing there when pending events
// are next processed, not at once; nothing is drawn once the window is gone.
//
// What reaches the screen: outside a run every change is shown when pending events are next
// processed. Between beginPacing() and endPacing() the window is brought to the screen only
// by present() (and by the system's own repaints), so a run that draws thousands of strokes
// a second flushes at the display's pace instead of once per stroke; meanwhile the strokes
// only note the area they touched, and what lags behind (a counter's caption) is brought up
// to date by the function given to setBeforePresent().
class WindowCanvas : public PixelCanvas {
public:
    // The overlay becomes a child of `window`, stacked above the children that exist now.
    explicit WindowCanvas(QWidget* window);
    ~WindowCanvas() override;

    // Invalidates the whole window: it repaints, and the drawing is wiped at the next
    // processing of pending events.
    void invalidate();
    // Follows the window's client size, keeping what is drawn. The image holds the window's
    // device pixels; when the window's device pixel ratio changes (another screen), it is
    // made anew for the new ratio and the window repaints. The window is kept within the
    // rectangle that its screens span (its maximum size, set again here should the window
    // manager ignore it), and the image never reaches beyond it.
    void resizeToWindow();

    void beginPacing();
    void endPacing();
    bool pacing() const;
    // Brings everything drawn or repainted so far to the screen now.
    void present();
    // A frame of the screen has passed since the last present().
    bool frameDue() const;
    // One frame of the window's screen, in milliseconds.
    int frameInterval() const;
    // Called at the start of every present, also of one made because a paced run stalled:
    // what the window shows only lazily (a counter) is brought up to date there.
    void setBeforePresent(std::function<void()> update);
    // The clock that frames and stalls are measured by, in milliseconds; tests drive their
    // own. An empty function restores the steady clock.
    void setClock(std::function<qint64()> milliseconds);

    QWidget* overlay() const;

protected:
    void changed(const QRect& area) override;

private:
    // Makes the image anew when the window's device pixel ratio has changed; true if it did.
    bool followRatio();

    QPointer<QWidget> FWindow;
    QPointer<CanvasOverlay> FOverlay;
    QImage FImage;
};

// A light control under a window's drawing repaints `area` of its own (its whole rectangle
// when `area` is empty): it is updated, and the drawing there is wiped when pending events
// are next processed, as a classic repaint of that part of the window does.
void repaintUnderDrawing(QWidget* control, const QRect& area = QRect());

// Sets a label's caption and fits its size to it, repainting what lies under the drawing:
// so the label's text is always whole, whatever was drawn over it. Lays the text out and
// posts a wipe, so a caller that changes a caption thousands of times a second should set it
// only when the screen can show it.
void setLabelCaption(QLabel* label, const QString& caption);
