// Writing the generated files: raw bytes, JPEG pictures, and portable pixmaps of composed views
// for a person to look at.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "tools/art/Raster.h"

namespace art {

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
void WritePpm(const std::filesystem::path& path, const RgbImage& picture);

// Writes the picture as a JPEG of the given quality and returns it as the program will decode it.
RgbImage SaveJpeg(const std::filesystem::path& path, const RgbImage& picture, int quality);

}  // namespace art
