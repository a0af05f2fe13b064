// Small readers the resource test uses on the committed files: 8-bit BMP (plain and RLE8),
// JPEG headers and pixels through libjpeg, RIFF chunks, and MPEG Layer-3 decoding (mpg123).
// Every reader checks sizes and offsets and reports a damaged file instead of reading past it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace res {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path);

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb&) const = default;
};

struct Bmp8 {
  int width = 0, height = 0;
  std::uint32_t compression = 0;  // 0 plain, 1 RLE8
  std::vector<Rgb> palette;
  std::vector<std::uint8_t> index;  // top row first
  std::uint8_t at(int x, int y) const { return index[static_cast<std::size_t>(y) * width + x]; }
};
// Reads an 8-bit BMP file; an error text on anything malformed.
std::optional<Bmp8> ReadBmp8(const Bytes& file, std::string& error);

struct Jpeg {
  int width = 0, height = 0, components = 0;
  bool baseline = false;  // the frame marker is SOF0
  std::vector<Rgb> pixels;  // top row first
  const Rgb& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};
std::optional<Jpeg> ReadJpeg(const Bytes& file, std::string& error);

struct Chunk {
  std::string id;
  std::size_t offset = 0, size = 0;  // of the chunk's data within the file
};
// The chunks of a RIFF WAVE file, in order.
std::optional<std::vector<Chunk>> ReadRiffWave(const Bytes& file, std::string& error);

std::uint16_t Le16(const Bytes& b, std::size_t at);
std::uint32_t Le32(const Bytes& b, std::size_t at);

// Decodes MPEG Layer-3 data to interleaved 16-bit stereo at 22050 Hz, every sample the decoder
// gives (no trimming).
std::optional<std::vector<std::int16_t>> DecodeMp3(const std::uint8_t* data, std::size_t size, std::string& error);

}  // namespace res
