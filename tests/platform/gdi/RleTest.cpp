// Run-length encoded device-independent bits: what GetDIBits writes, what SetDIBits,
// StretchDIBits and CreateDIBitmap read back, runs past a row's end cut there, damaged data
// refused, and the colour table a paletted read takes from the selected palette.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/gdi/GdiFixture.h"

namespace {

std::vector<RGBQUAD> Greys(int count) {
  std::vector<RGBQUAD> table;
  for (int i = 0; i < count; ++i) table.push_back({static_cast<BYTE>(i * 16), static_cast<BYTE>(i * 16), static_cast<BYTE>(i * 16), 0});
  return table;
}

// An info header with room for a whole colour table, which holds the sixteen greys.
struct Info {
  std::vector<std::byte> storage = std::vector<std::byte>(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  Info(int width, int height, int bits, DWORD compression, DWORD sizeImage = 0) {
    header() = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), compression, sizeImage, 0, 0, 16, 0};
    const auto greys = Greys(16);
    std::memcpy(get()->bmiColors, greys.data(), greys.size() * sizeof(RGBQUAD));
  }
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(storage.data()); }
  BITMAPINFOHEADER& header() { return get()->bmiHeader; }
};

// Rows of indices, top row first, as a paletted canvas of grey levels shows them.
void Paint(TestCanvas& c, const std::vector<std::vector<int>>& rows) {
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      const auto level = static_cast<BYTE>(rows[y][x] * 16);
      SetPixel(c.dc, x, y, RGB(level, level, level));
    }
}
std::vector<std::vector<int>> Indices(TestCanvas& c) {
  std::vector<std::vector<int>> rows(c.height);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) rows[y].push_back(GetRValue(GetPixel(c.dc, x, y)) / 16);
  return rows;
}

struct RleCase {
  int bits;
  DWORD compression;
  std::vector<BYTE> data;  // what the picture below encodes to
};
void PrintTo(const RleCase& c, std::ostream* os) { *os << c.bits << " bits"; }

const std::vector<std::vector<int>> kPicture = {{6, 6, 6, 6, 6, 6, 6}, {1, 1, 1, 2, 3, 4, 5}};

class RleRoundTrip : public testing::TestWithParam<RleCase> {};

TEST_P(RleRoundTrip, GetDIBitsEncodesWhatSetDIBitsDecodes) {
  const RleCase& c = GetParam();
  TestCanvas source(7, 2, c.bits, Greys(16));
  Paint(source, kPicture);

  Info info(7, 2, c.bits, c.compression);
  ASSERT_EQ(GetDIBits(source.dc, source.bitmap, 0, 2, nullptr, info.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(info.header().biSizeImage, c.data.size());
  std::vector<BYTE> data(info.header().biSizeImage, 0xEE);
  ASSERT_EQ(GetDIBits(source.dc, source.bitmap, 0, 2, data.data(), info.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(data, c.data);
  EXPECT_EQ(info.get()->bmiColors[5].rgbGreen, 80);  // the bitmap's own table

  // A buffer one byte short gets nothing.
  Info shortInfo(7, 2, c.bits, c.compression, static_cast<DWORD>(data.size() - 1));
  std::vector<BYTE> cut(data.size(), 0xEE);
  EXPECT_EQ(GetDIBits(source.dc, source.bitmap, 0, 2, cut.data(), shortInfo.get(), DIB_RGB_COLORS), 0);
  EXPECT_EQ(cut, std::vector<BYTE>(data.size(), 0xEE));

  TestCanvas target(7, 2, c.bits, Greys(16));
  EXPECT_EQ(SetDIBits(target.dc, target.bitmap, 0, 2, data.data(), info.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(Indices(target), kPicture);

  // Drawn stretched and made into a device bitmap, the same pixels.
  TestCanvas drawn(7, 2, 24);
  EXPECT_EQ(StretchDIBits(drawn.dc, 0, 0, 7, 2, 0, 0, 7, 2, data.data(), info.get(), DIB_RGB_COLORS, SRCCOPY), 2);
  EXPECT_EQ(Indices(drawn), kPicture);
  const HBITMAP made = CreateDIBitmap(drawn.dc, &info.header(), CBM_INIT, data.data(), info.get(), DIB_RGB_COLORS);
  ASSERT_NE(made, nullptr);
  const HGDIOBJ old = SelectObject(target.dc, made);
  EXPECT_EQ(GetPixel(target.dc, 3, 1), RGB(32, 32, 32));
  SelectObject(target.dc, old);
  DeleteObject(made);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, RleRoundTrip,
    testing::Values(
        // bottom row: a run of three, a literal stretch of four; top row: a run of seven
        RleCase{8, BI_RLE8, {3, 1, 0, 4, 2, 3, 4, 5, 0, 0, 7, 6, 0, 0, 0, 1}},
        // at 4 bits the literal stretch packs two pixels a byte and pads to an even count
        RleCase{4, BI_RLE4, {3, 0x11, 0, 4, 0x23, 0x45, 0, 0, 7, 0x66, 0, 0, 0, 1}}));

TEST(RleDib, DamagedDataIsRefusedAndChangesNothing) {
  const std::vector<std::pair<const char*, std::vector<BYTE>>> cases = {
      {"run above the top row", {7, 1, 0, 0, 7, 6, 0, 0, 1, 6, 0, 1}},
      {"literal above the top row", {7, 1, 0, 0, 7, 6, 0, 0, 0, 3, 1, 2, 3, 0, 0, 1}},
      {"literal cut", {0, 5, 1, 2}},
      {"skip past the image", {0, 2, 0, 3, 0, 1}},
      {"ends before the last row", {7, 1, 0, 0}},
      {"nothing", {}},
  };
  for (const auto& [name, data] : cases) {
    SCOPED_TRACE(name);
    TestCanvas target(7, 2, 8, Greys(16));
    Paint(target, kPicture);
    std::vector<BYTE> bytes = data;
    bytes.push_back(0xEE);  // past the size the header gives
    Info info(7, 2, 8, BI_RLE8, static_cast<DWORD>(data.size()));
    EXPECT_EQ(SetDIBits(target.dc, target.bitmap, 0, 2, bytes.data(), info.get(), DIB_RGB_COLORS), 0);
    EXPECT_EQ(StretchDIBits(target.dc, 0, 0, 7, 2, 0, 0, 7, 2, bytes.data(), info.get(), DIB_RGB_COLORS, SRCCOPY), 0);
    EXPECT_EQ(Indices(target), kPicture);
  }
  // Run-length data at a depth it cannot have, or top-down, is no format at all.
  TestCanvas target(7, 2, 8, Greys(16));
  const BYTE end[2] = {0, 1};
  for (Info info : {Info(7, 2, 4, BI_RLE8, 2), Info(7, -2, 8, BI_RLE8, 2), Info(7, 2, 8, BI_RLE4, 2)})
    EXPECT_EQ(SetDIBits(target.dc, target.bitmap, 0, 2, end, info.get(), DIB_RGB_COLORS), 0);
}

// Writers that code a row's padding into its runs (a row of 7 coded as 8) mean the row: what
// passes its end is dropped, and the next row starts at its own first pixel.
TEST(RleDib, RunsPastTheRowEndAreCutThere) {
  struct Cut {
    const char* name;
    int bits;
    DWORD compression;
    std::vector<BYTE> data;
    std::vector<std::vector<int>> rows;  // top row first
  };
  const std::vector<Cut> cases = {
      {"run", 8, BI_RLE8, {8, 1, 0, 0, 7, 6, 0, 1}, {{6, 6, 6, 6, 6, 6, 6}, {1, 1, 1, 1, 1, 1, 1}}},
      {"literal, then a run wholly past the end", 8, BI_RLE8, {0, 8, 1, 1, 1, 2, 3, 4, 5, 9, 3, 9, 0, 0, 7, 6, 0, 1}, kPicture},
      {"run into a literal", 8, BI_RLE8, {5, 2, 0, 3, 7, 8, 9, 0, 0, 0, 9, 3, 0, 1},
       {{3, 3, 3, 3, 3, 3, 3}, {2, 2, 2, 2, 2, 7, 8}}},
      {"4-bit run", 4, BI_RLE4, {8, 0x12, 0, 0, 7, 0x66, 0, 1}, {{6, 6, 6, 6, 6, 6, 6}, {1, 2, 1, 2, 1, 2, 1}}},
      {"4-bit literal", 4, BI_RLE4, {7, 0x11, 0, 0, 0, 9, 0x34, 0x56, 0x78, 0x9A, 0xB0, 0, 0, 1},
       {{3, 4, 5, 6, 7, 8, 9}, {1, 1, 1, 1, 1, 1, 1}}},
  };
  for (const Cut& c : cases) {
    SCOPED_TRACE(c.name);
    Info info(7, 2, c.bits, c.compression, static_cast<DWORD>(c.data.size()));
    TestCanvas target(7, 2, c.bits, Greys(16));
    EXPECT_EQ(SetDIBits(target.dc, target.bitmap, 0, 2, c.data.data(), info.get(), DIB_RGB_COLORS), 2);
    EXPECT_EQ(Indices(target), c.rows);
    TestCanvas drawn(7, 2, 24);
    EXPECT_EQ(StretchDIBits(drawn.dc, 0, 0, 7, 2, 0, 0, 7, 2, c.data.data(), info.get(), DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(Indices(drawn), c.rows);
  }
}

TEST(RleDib, SkipsAndLineEndsLeaveIndexZero) {
  TestCanvas target(7, 2, 8, Greys(16));
  Paint(target, kPicture);
  const BYTE data[] = {2, 5, 0, 2, 3, 1, 1, 9, 0, 1};  // two of 5, skip 3 right and 1 up, one 9
  Info info(7, 2, 8, BI_RLE8, sizeof data);
  EXPECT_EQ(SetDIBits(target.dc, target.bitmap, 0, 2, data, info.get(), DIB_RGB_COLORS), 2);
  EXPECT_EQ(Indices(target), (std::vector<std::vector<int>>{{0, 0, 0, 0, 0, 9, 0}, {5, 5, 0, 0, 0, 0, 0}}));
}

// A selected palette gives a paletted read its colours only where the table has room for all
// of them; otherwise the read takes the standard table of its depth.
TEST(RleDib, PalettedReadsTakeASelectedPaletteThatFits) {
  TestCanvas c(2, 1, 24);
  SetPixel(c.dc, 0, 0, RGB(250, 0, 0));
  std::vector<std::byte> wide(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(wide.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = 256;
  for (int i = 0; i < 256; ++i) lp->palPalEntry[i] = {0, static_cast<BYTE>(i), 0, 0};
  const HPALETTE greens = CreatePalette(lp);
  lp->palNumEntries = 2;
  lp->palPalEntry[0] = {255, 0, 0, 0};
  lp->palPalEntry[1] = {0, 0, 255, 0};
  const HPALETTE two = CreatePalette(lp);

  const HPALETTE old = SelectPalette(c.dc, greens, FALSE);
  Info info(2, 1, 4, BI_RGB);
  BYTE row[4] = {};
  ASSERT_EQ(GetDIBits(c.dc, c.bitmap, 0, 1, row, info.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(info.get()->bmiColors[12].rgbRed, 0);  // the standard sixteen colours: 12 is blue
  EXPECT_EQ(info.get()->bmiColors[12].rgbBlue, 255);
  EXPECT_EQ(row[0] >> 4, 9);  // red

  SelectPalette(c.dc, two, FALSE);
  ASSERT_EQ(GetDIBits(c.dc, c.bitmap, 0, 1, row, info.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(info.get()->bmiColors[0].rgbRed, 255);
  EXPECT_EQ(info.get()->bmiColors[1].rgbBlue, 255);
  EXPECT_EQ(row[0] >> 4, 0);
  SelectPalette(c.dc, old, FALSE);
  DeleteObject(greens);
  DeleteObject(two);
}

}  // namespace
