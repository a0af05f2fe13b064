// TBitmap's BMP reader and writer: every depth and storage form, run-length data, resources,
// the round trip, and a table of damaged files that must raise the graphic error.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "platform/vcl/Graphics.h"
#include "platform/win32/Resources.h"
#include "tests/platform/vcl/BmpFixture.h"

namespace {

using bmpfixture::Bytes;
using bmpfixture::Quad;
using bmpfixture::Image;

void Load(TBitmap& bitmap, const Bytes& file) {
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<int>(file.size()));
  stream.SetPosition(0);
  bitmap.LoadFromStream(&stream);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// A palette whose entries all differ, so a wrong index shows as a wrong colour.
std::vector<RGBQUAD> Ramp(int count) {
  std::vector<RGBQUAD> colors;
  for (int i = 0; i < count; ++i)
    colors.push_back(Quad(RGB(static_cast<BYTE>(i * 255 / (count - 1)), static_cast<BYTE>(255 - i * 255 / (count - 1)),
                              static_cast<BYTE>(i % 7 * 30))));
  return colors;
}

COLORREF FromQuad(const RGBQUAD& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }

struct DepthCase {
  const char* name;
  Image image;
  TPixelFormat format;
  std::function<std::uint32_t(int x, int y)> value;  // the stored pixel value
  std::function<COLORREF(int x, int y)> expected;
  int tolerance;
};

std::vector<DepthCase> DepthCases() {
  const int w = 5, h = 3;  // odd width: rows need padding at every depth
  const auto index = [](int modulo) { return [modulo](int x, int y) { return static_cast<std::uint32_t>((x + 3 * y) % modulo); }; };
  const auto fromTable = [](std::vector<RGBQUAD> table, auto idx) {
    return [table, idx](int x, int y) { return FromQuad(table[idx(x, y)]); };
  };
  const auto rgb = [](int x, int y) { return RGB(static_cast<BYTE>(x * 60), static_cast<BYTE>(y * 100), static_cast<BYTE>(200 - x * 40)); };
  const auto pack24 = [rgb](int x, int y) {
    const COLORREF c = rgb(x, y);
    return static_cast<std::uint32_t>(GetBValue(c) | GetGValue(c) << 8 | GetRValue(c) << 16);
  };
  const auto five = [](int x, int y) { return RGB(static_cast<BYTE>(x * 7 * 255 / 31), static_cast<BYTE>(y * 15 * 255 / 31), 255); };
  const auto pack555 = [](int x, int y) { return static_cast<std::uint32_t>((x * 7) << 10 | (y * 15) << 5 | 31); };
  const auto pack565 = [](int x, int y) { return static_cast<std::uint32_t>((x * 7) << 11 | (y * 30) << 5 | 31); };
  const auto six = [](int x, int y) { return RGB(static_cast<BYTE>(x * 7 * 255 / 31), static_cast<BYTE>(y * 30 * 255 / 63), 255); };
  const auto packRgbx = [rgb](int x, int y) {  // red in the low byte, as odd masks put it
    const COLORREF c = rgb(x, y);
    return static_cast<std::uint32_t>(GetRValue(c) | GetGValue(c) << 8 | GetBValue(c) << 16);
  };

  std::vector<DepthCase> cases;
  cases.push_back({"1 bit", {.width = w, .height = h, .bitCount = 1, .colors = Ramp(2)}, pf1bit, index(2), fromTable(Ramp(2), index(2)), 0});
  cases.push_back({"4 bits", {.width = w, .height = h, .bitCount = 4, .colors = Ramp(16)}, pf4bit, index(16), fromTable(Ramp(16), index(16)), 0});
  cases.push_back({"8 bits", {.width = w, .height = h, .bitCount = 8, .colors = Ramp(256)}, pf8bit, index(256), fromTable(Ramp(256), index(256)), 0});
  cases.push_back({"8 bits, short table", {.width = w, .height = h, .bitCount = 8, .colorsUsed = 12, .colors = Ramp(12)}, pf8bit, index(12),
                   fromTable(Ramp(12), index(12)), 0});
  cases.push_back({"8 bits, core header", {.width = w, .height = h, .bitCount = 8, .headerSize = 12, .colors = Ramp(256)}, pf8bit, index(256),
                   fromTable(Ramp(256), index(256)), 0});
  cases.push_back({"8 bits, top-down", {.width = w, .height = -h, .bitCount = 8, .colors = Ramp(256)}, pf8bit, index(256),
                   fromTable(Ramp(256), index(256)), 0});
  cases.push_back({"16 bits 5-5-5", {.width = w, .height = h, .bitCount = 16}, pf15bit, pack555, five, 4});
  cases.push_back({"16 bits 5-6-5 fields", {.width = w, .height = h, .bitCount = 16, .compression = BI_BITFIELDS, .masks = {0xF800, 0x07E0, 0x001F}}, pf16bit,
                   pack565, six, 4});
  cases.push_back({"16 bits 5-5-5 fields in a V4 header", {.width = w, .height = h, .bitCount = 16, .compression = BI_BITFIELDS, .headerSize = 108}, pf15bit, pack555, five, 4});
  cases.push_back({"16 bits 4-4-4 fields", {.width = w, .height = h, .bitCount = 16, .compression = BI_BITFIELDS, .masks = {0x0F00, 0x00F0, 0x000F}}, pf16bit,
                   [](int x, int y) { return static_cast<std::uint32_t>(x * 3 << 8 | y * 7 << 4 | 15); },
                   [](int x, int y) { return RGB(static_cast<BYTE>(x * 3 * 17), static_cast<BYTE>(y * 7 * 17), 255); }, 4});
  cases.push_back({"24 bits", {.width = w, .height = h, .bitCount = 24}, pf24bit, pack24, rgb, 0});
  cases.push_back({"24 bits, top-down", {.width = w, .height = -h, .bitCount = 24}, pf24bit, pack24, rgb, 0});
  cases.push_back({"32 bits", {.width = w, .height = h, .bitCount = 32}, pf32bit, pack24, rgb, 0});
  cases.push_back({"32 bits, odd fields", {.width = w, .height = h, .bitCount = 32, .compression = BI_BITFIELDS, .masks = {0xFF, 0xFF00, 0xFF0000}}, pf32bit,
                   packRgbx, rgb, 0});
  return cases;
}

TEST(BitmapLoad, EveryDepthAndStorageForm) {
  for (DepthCase c : DepthCases()) {
    SCOPED_TRACE(c.name);
    c.image.pixels = bmpfixture::Rows(c.image, c.value);
    Bytes file = bmpfixture::File(c.image);
    if (c.image.headerSize == 108) {  // the larger header holds the masks itself
      const std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
      std::memcpy(file.data() + 14 + 40, masks, sizeof masks);
    }
    TBitmap bitmap;
    Load(bitmap, file);
    ASSERT_EQ(bitmap.GetWidth(), 5);
    ASSERT_EQ(bitmap.GetHeight(), 3);
    EXPECT_EQ(bitmap.GetPixelFormat(), c.format);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        const COLORREF got = static_cast<COLORREF>(bitmap.GetCanvas()->GetPixels(x, y));
        EXPECT_TRUE(Near(got, c.expected(x, y), c.tolerance))
            << "pixel " << x << "," << y << " got " << std::hex << got << " want " << c.expected(x, y);
      }
  }
}

TEST(BitmapLoad, PalettedImagesKeepTheirIndices) {
  Image image{.width = 5, .height = 3, .bitCount = 8, .colors = Ramp(256)};
  image.pixels = bmpfixture::Rows(image, [](int x, int y) { return static_cast<std::uint32_t>(x * 10 + y); });
  TBitmap bitmap;
  Load(bitmap, bmpfixture::File(image));
  for (int y = 0; y < 3; ++y) {
    const auto* row = static_cast<const BYTE*>(bitmap.GetScanLine(y));
    for (int x = 0; x < 5; ++x) EXPECT_EQ(row[x], x * 10 + y);
  }
  PALETTEENTRY entry{};
  ASSERT_NE(bitmap.GetPalette(), nullptr);
  ASSERT_EQ(GetPaletteEntries(bitmap.GetPalette(), 7, 1, &entry), 1u);
  EXPECT_EQ(RGB(entry.peRed, entry.peGreen, entry.peBlue), FromQuad(Ramp(256)[7]));
}

// Indices of a decoded run-length image, top row first.
std::vector<std::vector<int>> Indices(TBitmap& bitmap) {
  std::vector<std::vector<int>> rows;
  const bool nibbles = bitmap.GetPixelFormat() == pf4bit;
  for (int y = 0; y < bitmap.GetHeight(); ++y) {
    const auto* row = static_cast<const BYTE*>(bitmap.GetScanLine(y));
    std::vector<int> line;
    for (int x = 0; x < bitmap.GetWidth(); ++x) line.push_back(nibbles ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15 : row[x]);
    rows.push_back(line);
  }
  return rows;
}

Image RleImage(int bitCount, Bytes data) {
  Image image{.width = 6, .height = 3, .bitCount = bitCount, .compression = bitCount == 8 ? BI_RLE8 : BI_RLE4, .colors = Ramp(bitCount == 8 ? 256 : 16)};
  image.pixels = std::move(data);
  return image;
}

Bytes Of(std::initializer_list<int> bytes) {
  Bytes out;
  bmpfixture::PutBytes(out, bytes);
  return out;
}

TEST(BitmapLoad, RunLengthEightBits) {
  // Bottom row: a run of 3, an absolute run of 3; middle: a delta past 2 pixels and one row up
  // ends up on the top row, which gets a run of 2 and then ends the bitmap.
  const Bytes data = Of({3, 7, 0, 3, 1, 2, 3, 0, 0, 0, 0, 2, 2, 1, 2, 9, 0, 1});
  TBitmap bitmap;
  Load(bitmap, bmpfixture::File(RleImage(8, data)));
  EXPECT_EQ(bitmap.GetPixelFormat(), pf8bit);
  EXPECT_EQ(Indices(bitmap), (std::vector<std::vector<int>>{{0, 0, 9, 9, 0, 0}, {0, 0, 0, 0, 0, 0}, {7, 7, 7, 1, 2, 3}}));
}

TEST(BitmapLoad, RunLengthFourBits) {
  // Bottom: a run of 5 alternating 1 and 2 and a run of one 3; the next row a run of 6 of 4
  // and 5; the top row an absolute run of 6 (3 bytes, padded to 4).
  const Bytes data = Of({5, 0x12, 1, 0x30, 0, 0, 6, 0x45, 0, 0, 0, 6, 0xAB, 0xCD, 0xEF, 0, 0, 1});
  TBitmap bitmap;
  Load(bitmap, bmpfixture::File(RleImage(4, data)));
  EXPECT_EQ(bitmap.GetPixelFormat(), pf4bit);
  EXPECT_EQ(Indices(bitmap),
            (std::vector<std::vector<int>>{{10, 11, 12, 13, 14, 15}, {4, 5, 4, 5, 4, 5}, {1, 2, 1, 2, 1, 3}}));
}

// Writers that code a row's padding into its runs mean the row: what passes its end is dropped.
TEST(BitmapLoad, RunLengthRunsPastTheRowEndAreCutThere) {
  struct Cut {
    const char* name;
    int bitCount;
    Bytes data;
    std::vector<std::vector<int>> rows;  // top row first
  };
  const std::vector<Cut> cases = {
      {"RLE8 run", 8, Of({7, 1, 0, 0, 8, 2, 0, 0, 6, 3, 0, 1}), {{3, 3, 3, 3, 3, 3}, {2, 2, 2, 2, 2, 2}, {1, 1, 1, 1, 1, 1}}},
      {"RLE8 absolute run, then a run wholly past the end", 8, Of({4, 1, 0, 3, 1, 2, 3, 0, 2, 9, 0, 0, 0, 0, 6, 3, 0, 1}),
       {{3, 3, 3, 3, 3, 3}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 2}}},
      {"RLE8 at the end of the top row, without a line end", 8, Of({0, 0, 0, 0, 9, 4, 0, 1}),
       {{4, 4, 4, 4, 4, 4}, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}}},
      {"RLE4 run", 4, Of({7, 0x11, 0, 0, 8, 0x23, 0, 0, 6, 0x45, 0, 1}),
       {{4, 5, 4, 5, 4, 5}, {2, 3, 2, 3, 2, 3}, {1, 1, 1, 1, 1, 1}}},
      {"RLE4 absolute run", 4, Of({2, 0x11, 0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 0, 0, 1}),
       {{0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 4}}},
  };
  for (const Cut& c : cases) {
    SCOPED_TRACE(c.name);
    TBitmap bitmap;
    Load(bitmap, bmpfixture::File(RleImage(c.bitCount, c.data)));
    EXPECT_EQ(Indices(bitmap), c.rows);
  }
}

TEST(BitmapLoad, ResourceIsABitmapWithoutItsFileHeader) {
  Image image{.width = 5, .height = 3, .bitCount = 8, .colors = Ramp(256)};
  image.pixels = bmpfixture::Rows(image, [](int x, int y) { return static_cast<std::uint32_t>(x + y * 5); });
  static const Bytes packed = bmpfixture::PackedDib(image);
  win32::RegisterResource("VCL_TEST_BITMAP", RT_BITMAP, packed.data(), packed.size());
  win32::RegisterResource(MAKEINTRESOURCEA(4712), RT_BITMAP, packed.data(), packed.size());
  TBitmap byName;
  byName.LoadFromResourceName(nullptr, "VCL_TEST_BITMAP");
  TBitmap byId;
  byId.LoadFromResourceID(nullptr, 4712);
  for (TBitmap* bitmap : {&byName, &byId}) {
    ASSERT_EQ(bitmap->GetWidth(), 5);
    EXPECT_EQ(static_cast<const BYTE*>(bitmap->GetScanLine(2))[4], 14);
  }
  // A run-length resource, as the preview bitmap is stored.
  static const Bytes rle = bmpfixture::PackedDib(RleImage(8, Of({6, 5, 0, 0, 6, 4, 0, 0, 6, 3, 0, 1})));
  win32::RegisterResource("VCL_TEST_RLE", RT_BITMAP, rle.data(), rle.size());
  TBitmap preview;
  preview.LoadFromResourceName(nullptr, "VCL_TEST_RLE");
  EXPECT_EQ(Indices(preview), (std::vector<std::vector<int>>{{3, 3, 3, 3, 3, 3}, {4, 4, 4, 4, 4, 4}, {5, 5, 5, 5, 5, 5}}));
  TBitmap missing;
  try {
    missing.LoadFromResourceName(nullptr, "PREV_BITMAP_MISSING");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource PREV_BITMAP_MISSING not found");
  }
}

TEST(BitmapSave, RoundTripKeepsSizeFormatColoursAndRows) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(format);
    TBitmap original;
    original.SetPixelFormat(format);
    original.SetSize(7, 4);
    const int bits[] = {0, 1, 4, 8, 16, 16, 24, 32};
    const int rowBytes = (7 * bits[format] + 7) / 8;
    for (int y = 0; y < 4; ++y) {
      auto* row = static_cast<BYTE*>(original.GetScanLine(y));
      for (int i = 0; i < rowBytes; ++i) row[i] = static_cast<BYTE>(i * 37 + y * 11);
      if (format == pf32bit)  // the fourth byte of a pixel is not kept
        for (int i = 3; i < rowBytes; i += 4) row[i] = 0;
    }
    TMemoryStream stream;
    original.SaveToStream(&stream);
    stream.SetPosition(0);
    TBitmap copy;
    copy.LoadFromStream(&stream);
    ASSERT_EQ(copy.GetWidth(), 7);
    ASSERT_EQ(copy.GetHeight(), 4);
    EXPECT_EQ(copy.GetPixelFormat(), format);
    for (int y = 0; y < 4; ++y)
      EXPECT_EQ(std::memcmp(copy.GetScanLine(y), original.GetScanLine(y), static_cast<std::size_t>(rowBytes)), 0) << y;
    if (format <= pf8bit) {
      PALETTEENTRY a{}, b{};
      GetPaletteEntries(original.GetPalette(), 1, 1, &a);
      GetPaletteEntries(copy.GetPalette(), 1, 1, &b);
      EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    }
  }
}

TEST(BitmapSave, EmptyBitmapWritesNothingAndLoadsBackEmpty) {
  TBitmap empty;
  TMemoryStream stream;
  empty.SaveToStream(&stream);
  EXPECT_EQ(stream.GetSize(), 0);
  TBitmap loaded;
  loaded.SetSize(3, 3);
  loaded.LoadFromStream(&stream);
  EXPECT_TRUE(loaded.GetEmpty());
}

// ---- Damage

Image Good8() {
  Image image{.width = 4, .height = 4, .bitCount = 8, .colors = Ramp(256)};
  image.pixels = Bytes(16, std::byte{1});
  return image;
}

Bytes Truncated(Bytes file, std::size_t size) {
  file.resize(size);
  return file;
}

Bytes Patched(Bytes file, std::size_t at, std::uint32_t value, int size = 4) {
  for (int i = 0; i < size; ++i) file[at + i] = static_cast<std::byte>(value >> (8 * i));
  return file;
}

struct DamageCase {
  const char* name;
  Bytes file;
};

std::vector<DamageCase> DamageCases() {
  const Bytes good = bmpfixture::File(Good8());
  const auto rle = [](int bitCount, std::initializer_list<int> data) { return bmpfixture::File(RleImage(bitCount, Of(data))); };
  Image fields{.width = 4, .height = 4, .bitCount = 16, .compression = BI_BITFIELDS};
  fields.pixels = Bytes(32, std::byte{0});
  Image truncatedPixels{.width = 4, .height = 4, .bitCount = 24};
  truncatedPixels.pixels = Bytes(20, std::byte{0});
  Image huge{.width = 60000, .height = 60000, .bitCount = 24};
  Image wide{.width = 100000, .height = 1, .bitCount = 8, .compression = BI_RLE8, .colors = Ramp(256)};
  wide.pixels = Of({0, 1});
  return {
      {"not a bitmap", Of({'X', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0})},
      {"file header cut", Truncated(good, 9)},
      {"info header cut", Truncated(good, 14 + 20)},
      {"info header too small", Patched(good, 14, 8)},
      {"info header larger than the file", Patched(good, 14, 4000)},
      {"colour table cut", Truncated(good, 14 + 40 + 100)},
      {"too many colours", Patched(good, 14 + 32, 300)},
      {"pixels cut", Truncated(good, good.size() - 3)},
      {"24-bit pixels cut", bmpfixture::File(truncatedPixels)},
      {"offset past the end", Patched(good, 10, 100000)},
      {"offset inside the colour table", Patched(good, 10, 14 + 40 + 16)},
      {"offset inside the file header", Patched(good, 10, 3)},
      {"width 0", Patched(good, 18, 0)},
      {"negative width", Patched(good, 18, static_cast<std::uint32_t>(-4))},
      {"height 0", Patched(good, 22, 0)},
      {"lowest height", Patched(good, 22, 0x80000000u)},
      {"two planes", Patched(good, 26, 2, 2)},
      {"7 bits per pixel", Patched(good, 28, 7, 2)},
      {"unknown compression", Patched(good, 30, 9)},
      {"RLE8 at 4 bits", Patched(rle(4, {0, 1}), 30, BI_RLE8)},
      {"top-down RLE8", Patched(rle(8, {0, 1}), 22, static_cast<std::uint32_t>(-3))},
      {"bit fields without their masks", Truncated(bmpfixture::File(fields), 14 + 40 + 6)},
      {"huge dimensions", bmpfixture::File(huge)},
      {"RLE image wider than allowed", bmpfixture::File(wide)},
      {"RLE8 delta past the row", rle(8, {0, 2, 7, 0, 0, 1})},
      {"RLE8 delta past the image", rle(8, {0, 2, 0, 4, 0, 1})},
      {"RLE8 run above the top row", rle(8, {0, 0, 0, 0, 0, 0, 2, 1, 0, 1})},
      {"RLE8 absolute run above the top row", rle(8, {0, 0, 0, 0, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1})},
      {"RLE8 line ends past the image", rle(8, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1})},
      {"RLE8 absolute run cut", rle(8, {0, 5, 1, 2})},
      {"RLE8 ends before the last row", rle(8, {6, 1, 0, 0})},
      {"RLE8 delta cut", rle(8, {0, 2, 1})},
      {"RLE4 run above the top row", rle(4, {0, 0, 0, 0, 0, 0, 2, 0x11, 0, 1})},
  };
}

TEST(BitmapLoad, DamagedFilesRaiseTheGraphicErrorAndKeepTheImage) {
  for (const DamageCase& c : DamageCases()) {
    SCOPED_TRACE(c.name);
    TBitmap bitmap;
    bitmap.SetSize(2, 2);
    try {
      Load(bitmap, c.file);
      ADD_FAILURE() << "loaded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message, "Bitmap image is not valid");
    }
    EXPECT_EQ(bitmap.GetWidth(), 2);
    EXPECT_EQ(bitmap.GetHeight(), 2);
  }
}

TEST(BitmapLoad, DamagedResourceRaisesTheGraphicError) {
  static const Bytes cut = Truncated(bmpfixture::PackedDib(Good8()), 40 + 1024 + 5);
  win32::RegisterResource("VCL_TEST_CUT", RT_BITMAP, cut.data(), cut.size());
  TBitmap bitmap;
  EXPECT_THROW(bitmap.LoadFromResourceName(nullptr, "VCL_TEST_CUT"), EInvalidGraphic);
}

}  // namespace
