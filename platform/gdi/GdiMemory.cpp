// The layer's seams: contexts over memory another layer owns, the desktop mode and the screen's
// context, and pixel values of colours in any buffer's format.
#include "platform/gdi/GdiMemory.h"

#include <mutex>

#include "platform/gdi/Context.h"

namespace gdi {
namespace {

std::mutex desktopMutex;
DesktopMode desktop;

bool Drawable(const PixelBuffer& pixels) {
  return pixels.bits && pixels.width > 0 && pixels.height > 0 && FindFormat(pixels.bitsPerPixel) &&
         std::abs(static_cast<long long>(pixels.pitch)) >= RowBytes(pixels.width, pixels.bitsPerPixel, 1);
}

}  // namespace

HDC CreateDCOverPixels(const PixelBuffer& pixels) {
  if (!Drawable(pixels)) return nullptr;
  auto bmp = std::make_shared<BitmapObject>();
  bmp->pixels = pixels;
  auto dc = MakeDc(DcObject::Device::Pixels);
  dc->state.bitmap = std::move(bmp);
  return static_cast<HDC>(AddObject(dc));
}

// The context's own bitmap object stays selected for its whole life: SelectObject refuses
// bitmaps on it, and ResetDc keeps it.
bool ResetDCOverPixels(HDC hdc, const PixelBuffer& pixels) {
  const auto dc = FindDc(hdc);
  if (!dc || dc->device != DcObject::Device::Pixels || (pixels.bits && !Drawable(pixels))) return false;
  ResetDc(*dc);
  dc->state.bitmap->pixels = pixels.bits ? pixels : PixelBuffer{};
  return true;
}

PixelBuffer PixelsOf(HDC hdc) {
  const auto dc = FindDc(hdc);
  return dc ? TargetOf(*dc) : PixelBuffer{};
}

PixelBuffer PixelsOf(HBITMAP bmp) {
  const auto b = Find<BitmapObject>(bmp);
  return b ? b->pixels : PixelBuffer{};
}

void SetDesktopMode(const DesktopMode& mode) {
  std::lock_guard lock(desktopMutex);
  desktop = mode;
}

DesktopMode GetDesktopMode() {
  std::lock_guard lock(desktopMutex);
  return desktop;
}

HDC ScreenDC() {
  static const HDC screen = [] {
    auto dc = MakeDc(DcObject::Device::Screen);
    dc->stock = true;
    return static_cast<HDC>(AddObject(dc));
  }();
  return screen;
}

HDC CreateScreenDC() { return static_cast<HDC>(AddObject(MakeDc(DcObject::Device::Screen))); }

DWORD PixelFromColor(const PixelBuffer& pixels, COLORREF color) { return ColorCoder(pixels).encode(color); }

COLORREF ColorFromPixel(const PixelBuffer& pixels, DWORD value) { return ColorCoder(pixels).decode(value); }

DWORD PixelAt(const PixelBuffer& pixels, int x, int y) {
  Pixel value = 0;
  if (const FormatOps* ops = FindFormat(pixels))
    ops->read(pixels.bits + static_cast<std::ptrdiff_t>(y) * pixels.pitch, x, 1, &value);
  return value;
}

}  // namespace gdi
