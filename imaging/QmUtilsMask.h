// Shared by the unit's drawing files: a brush colour painted onto a canvas through a monochrome
// mask, at the mask's set (white) pixels or at its clear (black) ones; the rest stays.
#pragma once

#include "platform/vcl/Graphics.h"

namespace qmutils {

void PaintThroughMask(TCanvas* Canvas, TColor Brush, int X, int Y, TBitmap* Mask, bool WhereSet);

}  // namespace qmutils
