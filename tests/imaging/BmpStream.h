// Test helpers for the pixel-format unit: bitmaps made from rows of colours, and BMP streams
// read back three ways: by their own bytes, through the class library's reader and through
// Qt's image reader, which shares no code with ours.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

namespace bmpstream {

// Colours 0x00BBGGRR, top row first.
using Picture = std::vector<std::vector<COLORREF>>;

inline std::unique_ptr<TBitmap> MakeBitmap(const Picture& rows, TPixelFormat format = pf24bit) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(format);
  bitmap->SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (std::size_t y = 0; y < rows.size(); ++y)
    for (std::size_t x = 0; x < rows[y].size(); ++x)
      bitmap->GetCanvas()->SetPixels(static_cast<int>(x), static_cast<int>(y), static_cast<TColor>(rows[y][x]));
  return bitmap;
}

inline Picture PixelsOf(TBitmap& bitmap) {
  Picture rows(static_cast<std::size_t>(bitmap.GetHeight()));
  for (int y = 0; y < bitmap.GetHeight(); ++y)
    for (int x = 0; x < bitmap.GetWidth(); ++x)
      rows[y].push_back(static_cast<COLORREF>(bitmap.GetCanvas()->GetPixels(x, y)));
  return rows;
}

// A BMP file image as its bytes say, every offset checked against the data.
struct Bmp {
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  std::vector<RGBQUAD> colors;
  std::vector<BYTE> data;

  long long stride() const { return (static_cast<long long>(info.biWidth) * info.biBitCount + 31) / 32 * 4; }
  const BYTE* row(int y) const { return data.data() + file.bfOffBits + stride() * (info.biHeight - 1 - y); }
  // The palette index at (x, y), top row first, of a 1-, 4- or 8-bit image.
  int index(int x, int y) const {
    const int bits = info.biBitCount;
    const long long bit = static_cast<long long>(x) * bits;
    return row(y)[bit / 8] >> (8 - bits - bit % 8) & ((1 << bits) - 1);
  }
  COLORREF color(int x, int y) const {
    if (info.biBitCount == 24) {
      const BYTE* p = row(y) + 3 * x;
      return RGB(p[2], p[1], p[0]);
    }
    const RGBQUAD& q = colors.at(static_cast<std::size_t>(index(x, y)));
    return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  Picture picture() const {
    Picture rows(static_cast<std::size_t>(info.biHeight));
    for (int y = 0; y < info.biHeight; ++y)
      for (int x = 0; x < info.biWidth; ++x) rows[y].push_back(color(x, y));
    return rows;
  }
};

inline std::vector<BYTE> BytesOf(TMemoryStream& stream) {
  const auto* begin = static_cast<const BYTE*>(stream.GetMemory());
  return {begin, begin + stream.GetSize()};
}

// The layout the GIF writer and every reader rely on: sizes, offsets and the table.
inline Bmp ReadBmp(TMemoryStream& stream) {
  Bmp bmp;
  bmp.data = BytesOf(stream);
  EXPECT_EQ(stream.GetPosition(), 0);
  if (bmp.data.size() < sizeof bmp.file + sizeof bmp.info) {
    ADD_FAILURE() << "a stream of " << bmp.data.size() << " bytes";
    return {};
  }
  std::memcpy(&bmp.file, bmp.data.data(), sizeof bmp.file);
  std::memcpy(&bmp.info, bmp.data.data() + sizeof bmp.file, sizeof bmp.info);
  // The file header is packed: its fields are read as copies.
  const WORD type = bmp.file.bfType;
  const DWORD size = bmp.file.bfSize, offset = bmp.file.bfOffBits;
  EXPECT_EQ(type, 0x4D42);
  EXPECT_EQ(size, bmp.data.size());
  EXPECT_EQ(bmp.info.biSize, 40u);
  EXPECT_GT(bmp.info.biHeight, 0);
  EXPECT_EQ(bmp.info.biPlanes, 1);
  EXPECT_EQ(bmp.info.biCompression, BI_RGB);
  const std::size_t entries = bmp.info.biBitCount <= 8 ? std::size_t{1} << bmp.info.biBitCount : 0;
  EXPECT_EQ(offset, 14 + 40 + 4 * entries);
  EXPECT_EQ(bmp.info.biSizeImage, bmp.stride() * bmp.info.biHeight);
  EXPECT_EQ(size, offset + bmp.info.biSizeImage);
  if (size != bmp.data.size() || offset != 14 + 40 + 4 * entries) return {};
  bmp.colors.resize(entries);
  if (entries > 0) std::memcpy(bmp.colors.data(), bmp.data.data() + 54, entries * sizeof(RGBQUAD));
  return bmp;
}

// The picture through the class library's BMP reader.
inline Picture OurReader(TMemoryStream& stream) {
  TBitmap bitmap;
  stream.SetPosition(0);
  bitmap.LoadFromStream(&stream);
  stream.SetPosition(0);
  return PixelsOf(bitmap);
}

// The picture through Qt's reader; empty when it refuses the data.
inline Picture QtReader(TMemoryStream& stream) {
  const std::vector<BYTE> bytes = BytesOf(stream);
  QImage image;
  if (!image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "BMP")) return {};
  Picture rows(static_cast<std::size_t>(image.height()));
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QRgb c = image.pixel(x, y);
      rows[y].push_back(RGB(qRed(c), qGreen(c), qBlue(c)));
    }
  return rows;
}

}  // namespace bmpstream
