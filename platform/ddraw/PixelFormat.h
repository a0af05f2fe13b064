// The display's pixel formats (8 bits with the fixed palette, 16 = 5-6-5, 24, 32) and their
// DirectDraw descriptions; every surface and every mode goes through these.
#pragma once

#include <span>

#include "platform/ddraw/DDraw.h"
#include "platform/gdi/Gdi.h"

namespace ddraw {

bool IsDisplayDepth(int bitsPerPixel);
int BytesPerPixel(int bitsPerPixel);
// Rows are padded to 4 bytes, so a 32-bit read at the start of any row stays inside the surface.
int PitchFor(int width, int bitsPerPixel);
// The bits a pixel value of this depth can have.
DWORD PixelMask(int bitsPerPixel);
DDPIXELFORMAT DescribeFormat(int bitsPerPixel);
// The 8-bit modes' palette: a 6 x 6 x 6 colour cube (index = 36 r + 6 g + b), then 40 greys.
std::span<const RGBQUAD> FixedPalette();

}  // namespace ddraw
