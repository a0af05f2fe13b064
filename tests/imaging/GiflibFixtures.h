// The interoperability set of GIF files: those the GIF library writes here, from fixed seeds,
// and those ImageMagick wrote into the fixture folder. The tests, the benchmark and the
// mutation run of the reader share them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tests/imaging/GiflibReference.h"

namespace giflib_ref {

using NamedFile = std::pair<std::string, std::vector<std::uint8_t>>;

// `count` colours of a fixed seed.
std::vector<Rgb> Palette(int count, unsigned seed);
// Indices below `colors` in runs and patches, as pictures have them, top row first.
std::vector<std::uint8_t> Picture(int width, int height, int colors, unsigned seed);

// Every table size, interlacing, transparency, local tables, disposal methods, odd sizes.
std::vector<NamedFile> GiflibFiles();
// The ".gif" files of the folder, by name.
std::vector<NamedFile> ImageMagickFiles(const std::string& folder);

}  // namespace giflib_ref
