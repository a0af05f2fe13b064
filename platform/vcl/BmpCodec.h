// Reading and writing of device-independent bitmaps (BMP files and BITMAP resources) for
// TBitmap. Every size, count and offset of the data is checked before it is used.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/PixelFormat.h"
#include "platform/vcl/Classes.h"

namespace vcl::bmp {

// What a packed bitmap (info header, colour table, pixels) holds, checked against its bytes.
struct DibLayout {
  int width = 0;
  int height = 0;
  bool topDown = false;
  int bitCount = 0;                 // as stored: 1, 4, 8, 16, 24 or 32
  DWORD compression = BI_RGB;       // BI_RGB, BI_BITFIELDS, BI_RLE8 or BI_RLE4
  std::array<DWORD, 3> masks{};     // red, green, blue of 16- and 32-bit pixels
  std::vector<RGBQUAD> colors;      // the whole table of 1-, 4- and 8-bit pixels
  std::span<const std::byte> bits;  // the pixel data
  // 16-bit pixels of 5-5-5 are kept so; those of other masks become 5-6-5.
  bool keeps555() const { return bitCount == 16 && masks == gdi::kMasks555; }
};

// `bitsOffset` is where the pixels start, counted from the info header; 0 when they follow the
// colour table (as in a resource). Damage raises EInvalidGraphic "Bitmap image is not valid".
DibLayout ReadLayout(std::span<const std::byte> dib, std::size_t bitsOffset);

// Rows of the image being filled, top row first, each DibRowBytes long, at the layout's bit
// count; 16-bit rows are 5-5-5 where the layout keeps them so, else 5-6-5; 32-bit rows blue,
// green, red, unused.
using RowWriter = std::function<std::byte*(int row)>;
void DecodePixels(const DibLayout& layout, const RowWriter& row);

// An image to store as a BMP file: 1, 4 or 8 bits with a full colour table, 16 bits 5-6-5 or
// 5-5-5, 24 or 32 bits. `row` gives each row, top first, at least UsedRowBytes long.
struct DibImage {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  bool rgb555 = false;
  std::span<const RGBQUAD> colors;
  std::function<const std::byte*(int row)> row;
};
void WriteBmp(TStream* stream, const DibImage& image);

}  // namespace vcl::bmp
