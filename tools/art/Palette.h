// Reduction of a picture to an 8-bit palette (median cut, then nearest colour). For masked
// pictures index 0 is the key colour and no other entry is, or looks like, the key.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/art/Raster.h"

namespace art {

// The transparent colour of every masked picture; a keyed palette keeps it for the key alone.
inline constexpr Pixel8 kKey{255, 0, 255};

struct IndexedImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> index;       // row-major, top row first
  std::vector<Pixel8> palette;           // at most 256 entries
};

// `keyed`: pixels of the key colour get index 0, which no other pixel uses.
IndexedImage Quantise(const RgbImage& picture, bool keyed);

// True when two colours are the same at the display's 16-bit depths (5-6-5 or 5-5-5), so a
// colour key on the one would also hide the other.
bool SameAtSixteenBits(Pixel8 a, Pixel8 b);

RgbImage Expand(const IndexedImage& picture);

}  // namespace art
