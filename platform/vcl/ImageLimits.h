// The largest picture the class library makes or decodes: a guard against the sizes that a
// damaged header may claim, checked before any memory is taken for the pixels.
#pragma once

#include <cstdint>

namespace vcl {

constexpr std::int64_t kMaxImageBytes = std::int64_t{1} << 28;
constexpr int kMaxImageSide = 65535;

// Bytes in one row of a device-independent bitmap (rows end on a 4-byte boundary).
constexpr std::int64_t DibRowBytes(int width, int bitCount) {
  return (static_cast<std::int64_t>(width) * bitCount + 31) / 32 * 4;
}

// Bytes of a row that hold pixels; rows of bitmaps made elsewhere may be padded less.
constexpr std::int64_t UsedRowBytes(int width, int bitCount) { return (static_cast<std::int64_t>(width) * bitCount + 7) / 8; }

constexpr bool ImageSizeFits(int width, int height, int bitCount) {
  return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
         DibRowBytes(width, bitCount) * height <= kMaxImageBytes;
}

}  // namespace vcl
