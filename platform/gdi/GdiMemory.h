// The drawing layer's own seams: device contexts over memory that another stand-in owns
// (DirectDraw surfaces, window frames), the screen's device context and the desktop mode.
#pragma once

#include <span>

#include "platform/gdi/Gdi.h"

namespace gdi {

// Pixels that the caller owns. `bits` points at the top row; `pitch` is the distance in bytes
// from one row to the next below it (negative for bottom-up storage). 16 bits are 5-6-5 unless
// `rgb555` says 5-5-5 (the top bit unused), as bitmaps of 15-bit colour hold them.
struct PixelBuffer {
  std::byte* bits = nullptr;
  int width = 0;
  int height = 0;
  int pitch = 0;
  int bitsPerPixel = 32;
  std::span<const RGBQUAD> palette;  // colour table for 1, 4 and 8 bits per pixel
  bool rgb555 = false;
};

// A device context drawing straight into `pixels`, which must outlive it; DeleteDC ends it.
HDC CreateDCOverPixels(const PixelBuffer& pixels);

// Points a context made by CreateDCOverPixels at `pixels` and gives it the defaults of a new
// one, so an owner can keep one context over memory that moves. Empty `pixels` (no bits) leave
// it drawing nowhere. False, and nothing changed, for another context or pixels it cannot draw on.
bool ResetDCOverPixels(HDC hdc, const PixelBuffer& pixels);

// The pixels behind a device context's selected bitmap (empty `bits` when there is none).
PixelBuffer PixelsOf(HDC hdc);

// The pixels of a bitmap handle made by this layer.
PixelBuffer PixelsOf(HBITMAP bmp);

// The desktop's mode, which the screen device context reports. Tests and the display
// device set it; the default is 1024 x 768 at 32 bits.
struct DesktopMode {
  int width = 1024;
  int height = 768;
  int bitsPerPixel = 32;
};
void SetDesktopMode(const DesktopMode& mode);
DesktopMode GetDesktopMode();

// The screen's device context; its drawing goes nowhere, its capabilities are the desktop
// mode's. ScreenDC is one shared context that cannot be deleted; CreateScreenDC makes a new one
// with state of its own (the window layer's GetDC(NULL) hands those out), which DeleteDC ends.
HDC ScreenDC();
HDC CreateScreenDC();

// Pixel value of `color` in a buffer's format (nearest palette index for paletted formats),
// and back. One table does the conversions for every format.
DWORD PixelFromColor(const PixelBuffer& pixels, COLORREF color);
COLORREF ColorFromPixel(const PixelBuffer& pixels, DWORD value);
// The value of the pixel at (x, y), which must lie within the buffer.
DWORD PixelAt(const PixelBuffer& pixels, int x, int y);

}  // namespace gdi
