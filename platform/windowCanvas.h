#pragma once

#include "pixelCanvas.h"

#include <QPointer>
#include <QWidget>

class CanvasOverlay;

// Drawing straight onto a window, as a classic window canvas does: strokes show at once,
// lie over the window's background and its light controls (shapes, labels) and under the
// controls stacked above the overlay (edits, buttons). An invalidation wipes the drawing
// when pending events are next processed, not at once; nothing is drawn once the window
// is gone.
class WindowCanvas : public PixelCanvas {
public:
    // The overlay becomes a child of `window`, stacked above the children that exist now.
    explicit WindowCanvas(QWidget* window);
    ~WindowCanvas() override;

    // Invalidates the whole window: it repaints, and the drawing is wiped at the next
    // processing of pending events.
    void invalidate();
    // Follows the window's client size, keeping what is drawn.
    void resizeToWindow();

    QWidget* overlay() const;

protected:
    void changed(const QRect& area) override;

private:
    QPointer<QWidget> FWindow;
    QPointer<CanvasOverlay> FOverlay;
    QImage FImage;
};
