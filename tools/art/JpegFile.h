// JPEG pictures through libjpeg: baseline, three components, a fixed quality; and the reading
// back that the composed previews use, so they show what the program will decode.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "tools/art/Raster.h"

namespace art {

std::vector<std::uint8_t> EncodeJpeg(const RgbImage& picture, int quality);
RgbImage DecodeJpeg(std::span<const std::uint8_t> data);

}  // namespace art
