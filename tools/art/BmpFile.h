// Writer of 8-bit BMP files with a colour table, stored plain or run-length encoded (RLE8).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/art/Palette.h"

namespace art {

enum class BmpCompression { None, Rle8 };

std::vector<std::uint8_t> EncodeBmp8(const IndexedImage& picture, BmpCompression compression);

}  // namespace art
