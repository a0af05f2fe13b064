// The blit routines behind Blt and BltFast: colour fill, plain copy and source-colour-keyed
// copy, one routine per pixel size chosen once per call. Callers pass rectangles already checked.
#pragma once

#include "platform/gdi/GdiMemory.h"

namespace ddraw {

// Fills `area` of `target` with the pixel value `value`.
void FillPixels(const gdi::PixelBuffer& target, const RECT& area, DWORD value);
// Fills all of `target` but `kept` (inside it) with the pixel value `value`.
void FillPixelsAround(const gdi::PixelBuffer& target, const RECT& kept, DWORD value);

// Copies `from` of `source` to `target` at (x, y); both have the same pixel size and are
// distinct buffers.
void CopyPixels(const gdi::PixelBuffer& target, int x, int y, const gdi::PixelBuffer& source, const RECT& from);

// As CopyPixels, leaving out the source pixels whose value is `key`.
void CopyPixelsKeyed(const gdi::PixelBuffer& target, int x, int y, const gdi::PixelBuffer& source,
                     const RECT& from, DWORD key);

}  // namespace ddraw
