// Builds small BMP files and packed bitmaps byte by byte for the picture tests, so that every
// header field, table and row can be set (or damaged) on purpose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace bmpfixture {

using Bytes = std::vector<std::byte>;

inline void Put(Bytes& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::byte>(value >> (8 * i)));
}

inline void PutBytes(Bytes& out, std::initializer_list<int> bytes) {
  for (int b : bytes) out.push_back(static_cast<std::byte>(b));
}

struct Image {
  int width = 0;
  int height = 0;  // negative: top-down
  int bitCount = 24;
  std::uint32_t compression = BI_RGB;
  std::uint32_t headerSize = 40;  // 12: the core header with three-byte colour entries
  std::uint32_t colorsUsed = 0;
  std::vector<RGBQUAD> colors = {};
  std::vector<std::uint32_t> masks = {};  // written after the header when given
  Bytes pixels = {};  // as stored in the file
};

// Rows in file order for uncompressed data: value(x, y) is the pixel value at image row y
// (top first), packed at the image's depth; rows padded to 4 bytes.
inline Bytes Rows(const Image& s, const std::function<std::uint32_t(int x, int y)>& value) {
  const int height = s.height < 0 ? -s.height : s.height;
  const std::size_t stride = (static_cast<std::size_t>(s.width) * s.bitCount + 31) / 32 * 4;
  Bytes out;
  for (int fileRow = 0; fileRow < height; ++fileRow) {
    const int y = s.height < 0 ? fileRow : height - 1 - fileRow;
    Bytes row(stride, std::byte{0});
    for (int x = 0; x < s.width; ++x) {
      const std::uint32_t v = value(x, y);
      if (s.bitCount < 8) {
        const std::size_t bit = static_cast<std::size_t>(x) * s.bitCount;
        const int shift = 8 - s.bitCount - static_cast<int>(bit % 8);
        row[bit / 8] |= static_cast<std::byte>(v << shift);
      } else {
        for (int b = 0; b < s.bitCount / 8; ++b)
          row[static_cast<std::size_t>(x) * (s.bitCount / 8) + b] = static_cast<std::byte>(v >> (8 * b));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// Info header, masks, colour table and pixels, as a BITMAP resource holds them.
inline Bytes PackedDib(const Image& s) {
  Bytes out;
  if (s.headerSize == 12) {
    Put(out, 12, 4);
    Put(out, static_cast<std::uint32_t>(s.width), 2);
    Put(out, static_cast<std::uint32_t>(s.height), 2);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(s.bitCount), 2);
  } else {
    Put(out, s.headerSize, 4);
    Put(out, static_cast<std::uint32_t>(s.width), 4);
    Put(out, static_cast<std::uint32_t>(s.height), 4);
    Put(out, 1, 2);
    Put(out, static_cast<std::uint32_t>(s.bitCount), 2);
    Put(out, s.compression, 4);
    Put(out, static_cast<std::uint32_t>(s.pixels.size()), 4);
    Put(out, 0, 4);
    Put(out, 0, 4);
    Put(out, s.colorsUsed, 4);
    Put(out, 0, 4);
    while (out.size() < s.headerSize) out.push_back(std::byte{0});
  }
  for (std::uint32_t m : s.masks) Put(out, m, 4);
  for (const RGBQUAD& c : s.colors) {
    PutBytes(out, {c.rgbBlue, c.rgbGreen, c.rgbRed});
    if (s.headerSize != 12) out.push_back(std::byte{0});
  }
  out.insert(out.end(), s.pixels.begin(), s.pixels.end());
  return out;
}

// The packed bitmap behind a 14-byte file header; the pixel offset is computed unless given.
inline Bytes File(const Image& s, std::int64_t offBits = -1) {
  const Bytes dib = PackedDib(s);
  if (offBits < 0) offBits = static_cast<std::int64_t>(14 + dib.size() - s.pixels.size());
  Bytes out;
  PutBytes(out, {'B', 'M'});
  Put(out, static_cast<std::uint32_t>(14 + dib.size()), 4);
  Put(out, 0, 4);
  Put(out, static_cast<std::uint32_t>(offBits), 4);
  out.insert(out.end(), dib.begin(), dib.end());
  return out;
}

inline RGBQUAD Quad(COLORREF c) { return RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

}  // namespace bmpfixture
