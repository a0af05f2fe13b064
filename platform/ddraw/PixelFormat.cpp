// The display's pixel formats and the fixed 8-bit palette.
// Masks follow the layer's pixel rules: 5-6-5 for 16 bits, blue in the low byte above that.
#include "platform/ddraw/PixelFormat.h"

#include <array>

namespace ddraw {

bool IsDisplayDepth(int bitsPerPixel) {
  return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

int BytesPerPixel(int bitsPerPixel) { return bitsPerPixel / 8; }

int PitchFor(int width, int bitsPerPixel) { return (width * BytesPerPixel(bitsPerPixel) + 3) & ~3; }

DWORD PixelMask(int bitsPerPixel) { return bitsPerPixel >= 32 ? 0xFFFFFFFFu : (1u << bitsPerPixel) - 1; }

DDPIXELFORMAT DescribeFormat(int bitsPerPixel) {
  DDPIXELFORMAT format{};
  format.dwSize = sizeof(DDPIXELFORMAT);
  format.dwRGBBitCount = static_cast<DWORD>(bitsPerPixel);
  if (bitsPerPixel == 8) {
    format.dwFlags = DDPF_RGB | DDPF_PALETTEINDEXED8;
  } else if (bitsPerPixel == 16) {
    format.dwFlags = DDPF_RGB;
    format.dwRBitMask = 0xF800;
    format.dwGBitMask = 0x07E0;
    format.dwBBitMask = 0x001F;
  } else {
    format.dwFlags = DDPF_RGB;
    format.dwRBitMask = 0xFF0000;
    format.dwGBitMask = 0x00FF00;
    format.dwBBitMask = 0x0000FF;
  }
  return format;
}

namespace {

constexpr std::array<RGBQUAD, 256> MakePalette() {
  std::array<RGBQUAD, 256> palette{};
  for (int i = 0; i < 216; ++i) {
    palette[i] = RGBQUAD{static_cast<BYTE>(i % 6 * 51), static_cast<BYTE>(i / 6 % 6 * 51),
                         static_cast<BYTE>(i / 36 * 51), 0};
  }
  for (int i = 0; i < 40; ++i) {
    const auto level = static_cast<BYTE>((i + 1) * 255 / 41);
    palette[216 + i] = RGBQUAD{level, level, level, 0};
  }
  return palette;
}

constexpr std::array<RGBQUAD, 256> kPalette = MakePalette();

}  // namespace

std::span<const RGBQUAD> FixedPalette() { return kPalette; }

}  // namespace ddraw
