// The per-row loops of the keyed blit and the frame conversion, in two sets with the same
// results pixel for pixel: a baseline for any processor and a vectorised one for x86-64 with
// AVX2. The set in use is chosen once, for the processor the program runs on.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/ddraw/DDraw.h"

namespace ddraw {

// The gamma ramp as the conversion applies it: each channel's 8-bit level is its entry >> 8.
// A ramp built as a product (entry i = i x factor mod 65536, as a linear ramp is) is also
// kept as its three factors, which the vectorised rows multiply by instead of looking up.
struct Levels {
  std::array<std::uint8_t, 256> red{}, green{}, blue{};
  bool identity = true;  // every level maps to itself: no per-pixel work beyond the format
  bool products = true;  // the factors describe the ramp exactly
  std::uint16_t redFactor = 0, greenFactor = 0, blueFactor = 0;
};
Levels LevelsOf(const DDGAMMARAMP& ramp);

// Copies `width` pixels from `in` to `out`, leaving out the pixels whose value is `key`.
using KeyedRow = void (*)(std::byte* out, const std::byte* in, int width, std::uint32_t key);
// Converts `width` pixels to 0xAARRGGBB through `levels`, AA the top byte of `alpha`.
using ConvertRow = void (*)(std::uint32_t* out, const std::byte* in, int width, const Levels& levels,
                            std::uint32_t alpha);

struct RowKernels {
  std::array<KeyedRow, 4> keyed;      // by bytes per pixel - 1
  std::array<ConvertRow, 3> convert;  // 16, 24 and 32 bits
};

const RowKernels& BaselineKernels();
// The vectorised set; null when the processor (or the build's target) has none.
const RowKernels* VectorKernels();
// The set the blits and the display use.
const RowKernels& Kernels();

}  // namespace ddraw
