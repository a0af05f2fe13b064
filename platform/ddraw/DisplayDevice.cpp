// Frame conversion to 0x00RRGGBB with the gamma ramp applied, shared by the display devices.
// The ramp's levels are worked out once per frame; each row then goes through the row routine
// of its format from the set chosen for the processor. 8 bits go through the palette's colours.
#include "platform/ddraw/DisplayDevice.h"

#include <array>

namespace ddraw {
namespace {

const std::byte* Row(const gdi::PixelBuffer& pixels, int y) {
  return pixels.bits + static_cast<std::ptrdiff_t>(y) * pixels.pitch;
}

void Convert8(const gdi::PixelBuffer& pixels, const Levels& levels, std::uint32_t* out, std::ptrdiff_t stride,
              std::uint32_t alpha) {
  std::array<std::uint32_t, 256> colours{};
  for (std::size_t i = 0; i < pixels.palette.size() && i < colours.size(); ++i) {
    const RGBQUAD& c = pixels.palette[i];
    colours[i] = std::uint32_t{levels.red[c.rgbRed]} << 16 | std::uint32_t{levels.green[c.rgbGreen]} << 8 |
                 levels.blue[c.rgbBlue] | alpha;
  }
  for (int y = 0; y < pixels.height; ++y, out += stride) {
    const std::byte* in = Row(pixels, y);
    for (int x = 0; x < pixels.width; ++x) out[x] = colours[std::to_integer<std::size_t>(in[x])];
  }
}

}  // namespace

void ConvertPixels(const gdi::PixelBuffer& pixels, const Levels& levels, std::uint32_t* out, std::ptrdiff_t stride,
                   std::uint32_t alpha) {
  if (pixels.bitsPerPixel == 8) return Convert8(pixels, levels, out, stride, alpha);
  if (pixels.bitsPerPixel != 16 && pixels.bitsPerPixel != 24 && pixels.bitsPerPixel != 32) return;
  const ConvertRow convert = Kernels().convert[static_cast<std::size_t>(pixels.bitsPerPixel / 8 - 2)];
  for (int y = 0; y < pixels.height; ++y, out += stride) convert(out, Row(pixels, y), pixels.width, levels, alpha);
}

void ConvertFrame(const Frame& frame, std::span<std::uint32_t> out) {
  const gdi::PixelBuffer& pixels = frame.pixels;
  if (!pixels.bits || pixels.width <= 0 || pixels.height <= 0 ||
      out.size() < static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height))
    return;
  ConvertPixels(pixels, LevelsOf(frame.gamma), out.data(), pixels.width, 0);
}

}  // namespace ddraw
