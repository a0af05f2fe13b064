// What the GIF tests read back from a picture: a bitmap's palette indices and colours.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/vcl/Graphics.h"

namespace gif_test {

// Palette indices of a 1-, 4- or 8-bit bitmap, top row first.
inline std::vector<std::uint8_t> IndicesOf(TBitmap* bitmap) {
  std::vector<std::uint8_t> out;
  const TPixelFormat format = bitmap->GetPixelFormat();
  for (int y = 0; y < bitmap->GetHeight(); ++y) {
    const auto* row = static_cast<const std::uint8_t*>(bitmap->GetScanLine(y));
    for (int x = 0; x < bitmap->GetWidth(); ++x) {
      if (format == pf8bit) out.push_back(row[x]);
      else if (format == pf4bit) out.push_back(static_cast<std::uint8_t>(x & 1 ? row[x / 2] & 15 : row[x / 2] >> 4));
      else out.push_back(static_cast<std::uint8_t>((row[x / 8] >> (7 - x % 8)) & 1));
    }
  }
  return out;
}

// The colour of every pixel as the canvas reads it (0x00BBGGRR), top row first.
inline std::vector<TColor> ColorsOf(TBitmap* bitmap) {
  std::vector<TColor> out;
  TCanvas* canvas = bitmap->GetCanvas();
  for (int y = 0; y < bitmap->GetHeight(); ++y)
    for (int x = 0; x < bitmap->GetWidth(); ++x) out.push_back(canvas->GetPixels(x, y));
  return out;
}

}  // namespace gif_test
