// What the GIF tests make pictures of and read back from them: bitmaps of given indices or
// colours, their palette indices and colours, and the bytes a GIF image writes.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/QmGIF.h"
#include "platform/vcl/Graphics.h"

namespace gif_test {

// Palette indices of a 1-, 4- or 8-bit bitmap, top row first.
inline std::vector<std::uint8_t> IndicesOf(TBitmap* bitmap) {
  std::vector<std::uint8_t> out;
  const TPixelFormat format = bitmap->GetPixelFormat();
  for (int y = 0; y < bitmap->GetHeight(); ++y) {
    const auto* row = static_cast<const std::uint8_t*>(bitmap->GetScanLine(y));
    for (int x = 0; x < bitmap->GetWidth(); ++x) {
      if (format == pf8bit) out.push_back(row[x]);
      else if (format == pf4bit) out.push_back(static_cast<std::uint8_t>(x & 1 ? row[x / 2] & 15 : row[x / 2] >> 4));
      else out.push_back(static_cast<std::uint8_t>((row[x / 8] >> (7 - x % 8)) & 1));
    }
  }
  return out;
}

// The colour of every pixel as the canvas reads it (0x00BBGGRR), top row first.
inline std::vector<TColor> ColorsOf(TBitmap* bitmap) {
  std::vector<TColor> out;
  TCanvas* canvas = bitmap->GetCanvas();
  for (int y = 0; y < bitmap->GetHeight(); ++y)
    for (int x = 0; x < bitmap->GetWidth(); ++x) out.push_back(canvas->GetPixels(x, y));
  return out;
}

// A 1-, 4- or 8-bit bitmap of the indices (top row first) with that colour table, read from a
// BMP file image built here.
inline std::unique_ptr<TBitmap> PalettedBitmap(int width, int height, int bits, const std::vector<RGBQUAD>& colors,
                                               const std::vector<std::uint8_t>& indices) {
  const int stride = (width * bits + 31) / 32 * 4;
  const int table = 4 << bits;
  std::vector<std::uint8_t> bmp(static_cast<std::size_t>(54 + table + stride * height));
  auto put32 = [&bmp](std::size_t at, std::uint32_t v) { std::memcpy(bmp.data() + at, &v, 4); };
  bmp[0] = 'B';
  bmp[1] = 'M';
  put32(2, static_cast<std::uint32_t>(bmp.size()));
  put32(10, static_cast<std::uint32_t>(54 + table));
  put32(14, 40);
  put32(18, static_cast<std::uint32_t>(width));
  put32(22, static_cast<std::uint32_t>(height));
  bmp[26] = 1;
  bmp[28] = static_cast<std::uint8_t>(bits);
  for (std::size_t i = 0; i < colors.size() && i < (1u << bits); ++i) {
    bmp[54 + 4 * i] = colors[i].rgbBlue;
    bmp[55 + 4 * i] = colors[i].rgbGreen;
    bmp[56 + 4 * i] = colors[i].rgbRed;
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bmp.data() + 54 + table + static_cast<std::ptrdiff_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t v = indices[static_cast<std::size_t>(y * width + x)];
      if (bits == 8) row[x] = v;
      else if (bits == 4) row[x / 2] |= static_cast<std::uint8_t>(x & 1 ? v : v << 4);
      else row[x / 8] |= static_cast<std::uint8_t>(v << (7 - x % 8));
    }
  }
  TMemoryStream stream;
  stream.WriteBuffer(bmp.data(), static_cast<int>(bmp.size()));
  stream.SetPosition(0);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromStream(&stream);
  return bitmap;
}

// A 24-bit bitmap whose pixel (x, y) has the colour `color` gives (0x00BBGGRR).
inline std::unique_ptr<TBitmap> TrueColorBitmap(int width, int height, const std::function<TColor(int, int)>& color) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<std::uint8_t*>(bitmap->GetScanLine(y));
    for (int x = 0; x < width; ++x) {
      const TColor c = color(x, y);
      row[3 * x] = static_cast<std::uint8_t>(c >> 16);
      row[3 * x + 1] = static_cast<std::uint8_t>(c >> 8);
      row[3 * x + 2] = static_cast<std::uint8_t>(c);
    }
  }
  return bitmap;
}

// Damaged raster data raises while it lives, as it does with GIFLoadCorrupted false.
class StrictReading {
 public:
  StrictReading() { GIFLoadCorrupted = false; }
  ~StrictReading() { GIFLoadCorrupted = true; }
  StrictReading(const StrictReading&) = delete;
  StrictReading& operator=(const StrictReading&) = delete;
};

inline std::vector<std::uint8_t> Saved(TGIFImage& image) {
  TMemoryStream stream;
  image.SaveToStream(&stream);
  const auto* p = static_cast<const std::uint8_t*>(stream.GetMemory());
  return {p, p + stream.GetSize()};
}

inline std::unique_ptr<TGIFImage> Loaded(const std::vector<std::uint8_t>& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  auto image = std::make_unique<TGIFImage>();
  image->LoadFromStream(&stream);
  return image;
}

}  // namespace gif_test
