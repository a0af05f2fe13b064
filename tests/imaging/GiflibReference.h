// The GIF library a user already has, as the independent reference of the GIF tests and
// benchmarks: GIF bytes written through its EGifSpew and read through its DGifSlurp.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace giflib_ref {

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Frame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  std::vector<Rgb> colors;              // local table; empty for none
  std::vector<std::uint8_t> indices;    // width x height, top row first, in display order
  int delay = -1;                       // hundredths; -1 and the two below at -1: no control block
  int disposal = -1;
  int transparent = -1;
};

struct Image {
  int width = 0, height = 0;
  int colorResolution = 8;
  std::vector<Rgb> colors;  // global table; empty for none
  int background = 0;
  int loopCount = -1;       // a loop block with this count when 0 or more
  std::vector<Frame> frames;
};

// Throws std::runtime_error with the library's message when it refuses.
std::vector<std::uint8_t> Write(const Image& image);
Image Read(std::span<const std::uint8_t> bytes);

// The library's whole load of a file: every frame slurped into its rasters, nothing more;
// returns the number of frames.
int Slurp(std::span<const std::uint8_t> bytes);

// The library's decoding as the benchmark times it: every frame slurped, and each frame's
// indices copied out as a caller needs them, into a bottom-up 8-bit buffer with rows padded to
// 4 bytes (reused from call to call).
void DecodeInto(std::span<const std::uint8_t> bytes, std::vector<std::vector<std::uint8_t>>& frames);

}  // namespace giflib_ref
