// Run-length coding of 8- and 4-bit device-independent bits. Every count is checked against
// the data left and the image before a pixel is written. Writers that code a row's padding
// into its runs are read as they meant: what passes the row's end is dropped.
#include "platform/gdi/Rle.h"

#include <algorithm>
#include <cstring>

namespace gdi {
namespace {

// 4-bit rows hold the leftmost pixel in the high nibble.
unsigned IndexAt(const std::byte* row, int x, bool nibbles) {
  if (!nibbles) return std::to_integer<unsigned>(row[x]);
  return std::to_integer<unsigned>(row[x / 2]) >> (x % 2 == 0 ? 4 : 0) & 0x0F;
}

void PutIndex(std::byte* row, int x, unsigned value, bool nibbles) {
  if (!nibbles) {
    row[x] = static_cast<std::byte>(value);
    return;
  }
  std::byte& pair = row[x / 2];
  pair = x % 2 == 0 ? (pair & std::byte{0x0F}) | static_cast<std::byte>(value << 4 & 0xF0)
                    : (pair & std::byte{0xF0}) | static_cast<std::byte>(value & 0x0F);
}

}  // namespace

bool DecodeRle(std::span<const std::byte> data, int bitsPerPixel, int width, int height,
               FunctionRef<std::byte*(int y)> row) {
  const bool nibbles = bitsPerPixel == 4;
  const auto used = static_cast<std::size_t>((static_cast<long long>(width) * bitsPerPixel + 7) / 8);
  for (int y = 0; y < height; ++y) std::memset(row(y), 0, used);
  const auto byteAt = [&data](std::size_t at) { return std::to_integer<unsigned>(data[at]); };
  std::size_t at = 0;
  int x = 0;
  int y = 0;
  while (data.size() - at >= 2) {
    const int count = static_cast<int>(byteAt(at));
    const unsigned value = byteAt(at + 1);
    at += 2;
    if (count > 0) {  // a run of one index, or of two alternating ones at 4 bits
      if (y >= height) return false;
      std::byte* target = row(y);
      const int shown = std::min(count, width - x);
      for (int i = 0; i < shown; ++i) PutIndex(target, x + i, nibbles && i % 2 == 0 ? value >> 4 : value, nibbles);
      x += shown;
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        if (++y > height) return false;
        break;
      case 1:  // end of bitmap
        return true;
      case 2:  // skip right and up
        if (data.size() - at < 2) return false;
        x += static_cast<int>(byteAt(at));
        y += static_cast<int>(byteAt(at + 1));
        at += 2;
        if (x > width || y > height) return false;
        break;
      default: {  // a literal stretch of `value` pixels, padded to a 16-bit boundary
        const int pixels = static_cast<int>(value);
        const std::size_t bytes = nibbles ? (value + 1) / 2 : value;
        if (y >= height || data.size() - at < bytes) return false;
        std::byte* target = row(y);
        const int shown = std::min(pixels, width - x);
        for (int i = 0; i < shown; ++i) PutIndex(target, x + i, IndexAt(data.data() + at, i, nibbles), nibbles);
        x += shown;
        at = std::min(data.size(), at + ((bytes + 1) & ~std::size_t{1}));
      }
    }
  }
  return y >= height;  // data may end after the last line without the end-of-bitmap code
}

std::vector<std::byte> EncodeRle(int bitsPerPixel, int width, int height, FunctionRef<const std::byte*(int y)> row) {
  const bool nibbles = bitsPerPixel == 4;
  std::vector<std::byte> out;
  const auto put = [&out](unsigned value) { out.push_back(static_cast<std::byte>(value)); };
  std::vector<unsigned> line(static_cast<std::size_t>(width));
  for (int y = 0; y < height; ++y) {
    const std::byte* source = row(y);
    for (int x = 0; x < width; ++x) line[x] = IndexAt(source, x, nibbles);
    int x = 0;
    while (x < width) {
      int run = 1;
      while (x + run < width && run < 255 && line[x + run] == line[x]) ++run;
      if (run >= 2) {
        put(static_cast<unsigned>(run));
        put(nibbles ? line[x] << 4 | line[x] : line[x]);
        x += run;
        continue;
      }
      // A literal stretch ends where a run of two begins.
      int literal = 1;
      while (x + literal < width && literal < 255 &&
             !(x + literal + 1 < width && line[x + literal] == line[x + literal + 1]))
        ++literal;
      if (literal < 3) {  // a literal stretch holds at least three pixels
        for (int i = 0; i < literal; ++i) {
          put(1);
          put(nibbles ? line[x + i] << 4 : line[x + i]);
        }
      } else {
        put(0);
        put(static_cast<unsigned>(literal));
        const std::size_t start = out.size();
        for (int i = 0; i < literal; i += nibbles ? 2 : 1)
          put(nibbles ? line[x + i] << 4 | (i + 1 < literal ? line[x + i + 1] : 0) : line[x + i]);
        if ((out.size() - start) % 2 != 0) put(0);
      }
      x += literal;
    }
    put(0);  // end of line
    put(0);
  }
  put(0);  // end of bitmap
  put(1);
  return out;
}

}  // namespace gdi
