// Block transfers between pixel buffers with any of the 256 raster operations: nearest-pixel
// stretching and mirroring, clipping, and format conversion chosen once per transfer.
#pragma once

#include "platform/gdi/Painter.h"

namespace gdi {

// How values cross between monochrome and colour buffers. A device blit paints a monochrome
// source's 0 bits in `text` and 1 bits in `background`, and turns `background` into 1 and every
// other colour into 0 in a monochrome destination; a transfer `byColor` (device-independent
// bits) goes through the colour tables instead.
struct MonoRule {
  bool byColor = false;
  COLORREF text = 0;
  COLORREF background = 0xFFFFFF;
};

// A rectangle of a transfer; a negative width or height mirrors it along that axis.
struct BlitArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// dst := rop(pattern, src, dst) over `to`, within `clip`; `src` (null when the code does not
// read it) is sampled over `from`. Pixels whose sample falls outside the source stay untouched.
void Blit(const PixelBuffer& dst, const Rect& clip, const BlitArea& to, const PixelBuffer* src,
          const BlitArea& from, RopCode rop, const Ink& pattern, const MonoRule& mono);

}  // namespace gdi
