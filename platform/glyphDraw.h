#pragma once

#include "pixelCanvas.h"

#include <QImage>

// The colour that a glyph leaves transparent: white for a monochrome image, otherwise the
// colour of its bottom-left pixel.
QRgb transparentColor(const QImage& glyph);

// Copies the glyph with its top-left corner at (x, y) through the canvas (image bounds and
// clip apply), leaving the pixels of its transparent colour alone. On a scaled canvas it is
// resampled to the ratio, mirror-symmetric as drawn. A null or empty glyph draws nothing.
void drawTransparent(PixelCanvas& canvas, int x, int y, const QImage& glyph);
