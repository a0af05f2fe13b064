// Frame conversion to 0x00RRGGBB with the gamma ramp applied, shared by the display devices.
// Gamma and format expansion go into small tables once per frame; each row is then lookups only.
#include "platform/ddraw/DisplayDevice.h"

#include <array>
#include <cstring>

namespace ddraw {
namespace {

struct Lookup {
  std::array<std::uint32_t, 256> red;  // gamma-corrected level, already in place
  std::array<std::uint32_t, 256> green;
  std::array<std::uint32_t, 256> blue;
};

Lookup GammaLookup(const DDGAMMARAMP& ramp) {
  Lookup lookup;
  for (int i = 0; i < 256; ++i) {
    lookup.red[i] = static_cast<std::uint32_t>(ramp.red[i] >> 8) << 16;
    lookup.green[i] = static_cast<std::uint32_t>(ramp.green[i] >> 8) << 8;
    lookup.blue[i] = static_cast<std::uint32_t>(ramp.blue[i] >> 8);
  }
  return lookup;
}

const std::byte* Row(const gdi::PixelBuffer& pixels, int y) {
  return pixels.bits + static_cast<std::ptrdiff_t>(y) * pixels.pitch;
}

template <class PerPixel>
void EachRow(const gdi::PixelBuffer& pixels, std::span<std::uint32_t> out, PerPixel convert) {
  for (int y = 0; y < pixels.height; ++y) {
    const std::byte* in = Row(pixels, y);
    std::uint32_t* row = out.data() + static_cast<std::size_t>(y) * pixels.width;
    for (int x = 0; x < pixels.width; ++x) row[x] = convert(in, x);
  }
}

void Convert8(const gdi::PixelBuffer& pixels, const Lookup& g, std::span<std::uint32_t> out) {
  std::array<std::uint32_t, 256> colours{};
  for (std::size_t i = 0; i < pixels.palette.size() && i < colours.size(); ++i) {
    const RGBQUAD& c = pixels.palette[i];
    colours[i] = g.red[c.rgbRed] | g.green[c.rgbGreen] | g.blue[c.rgbBlue];
  }
  EachRow(pixels, out, [&](const std::byte* in, int x) { return colours[std::to_integer<std::size_t>(in[x])]; });
}

void Convert16(const gdi::PixelBuffer& pixels, const Lookup& g, std::span<std::uint32_t> out) {
  std::array<std::uint32_t, 32> red{}, blue{};
  std::array<std::uint32_t, 64> green{};
  for (int i = 0; i < 32; ++i) {
    red[i] = g.red[(i << 3) | (i >> 2)];
    blue[i] = g.blue[(i << 3) | (i >> 2)];
  }
  for (int i = 0; i < 64; ++i) green[i] = g.green[(i << 2) | (i >> 4)];
  EachRow(pixels, out, [&](const std::byte* in, int x) {
    std::uint16_t p;
    std::memcpy(&p, in + 2 * x, 2);
    return red[p >> 11] | green[(p >> 5) & 63] | blue[p & 31];
  });
}

template <int Bytes>
void ConvertRgb(const gdi::PixelBuffer& pixels, const Lookup& g, std::span<std::uint32_t> out) {
  EachRow(pixels, out, [&](const std::byte* in, int x) {
    const std::byte* p = in + Bytes * x;
    return g.blue[std::to_integer<std::size_t>(p[0])] | g.green[std::to_integer<std::size_t>(p[1])] |
           g.red[std::to_integer<std::size_t>(p[2])];
  });
}

}  // namespace

void ConvertFrame(const Frame& frame, std::span<std::uint32_t> out) {
  const gdi::PixelBuffer& pixels = frame.pixels;
  if (!pixels.bits || pixels.width <= 0 || pixels.height <= 0 ||
      out.size() < static_cast<std::size_t>(pixels.width) * static_cast<std::size_t>(pixels.height))
    return;
  const Lookup lookup = GammaLookup(frame.gamma);
  switch (pixels.bitsPerPixel) {
    case 8: Convert8(pixels, lookup, out); break;
    case 16: Convert16(pixels, lookup, out); break;
    case 24: ConvertRgb<3>(pixels, lookup, out); break;
    case 32: ConvertRgb<4>(pixels, lookup, out); break;
    default: break;
  }
}

}  // namespace ddraw
