// Bitmaps and pixel formats: round trips at every depth, 5-6-5 and 5-5-5 rounding, nearest palette
// entries, row order of sections, device-independent bits in and out, and contexts over memory
// that another layer owns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "tests/platform/gdi/GdiFixture.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255);

HPALETTE MakePalette(std::vector<PALETTEENTRY> entries) {
  std::vector<std::byte> storage(sizeof(LOGPALETTE) + entries.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(entries.size());
  std::memcpy(lp->palPalEntry, entries.data(), entries.size() * sizeof(PALETTEENTRY));
  return CreatePalette(lp);
}

struct RoundTrip {
  int depth;
  COLORREF set;
  COLORREF read;
};
void PrintTo(const RoundTrip& c, std::ostream* os) { *os << c.depth << " bits, " << std::hex << c.set; }

class RoundTripTest : public testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripTest, SetPixelReturnsWhatGetPixelReads) {
  const std::vector<RGBQUAD> table = {{0, 0, 0, 0}, {0, 0, 200, 0}, {200, 0, 0, 0}, {255, 255, 255, 0}};
  TestCanvas c(3, 2, GetParam().depth, GetParam().depth == 1 ? std::vector<RGBQUAD>{} : table);
  EXPECT_EQ(SetPixel(c.dc, 2, 1, GetParam().set), GetParam().read);
  EXPECT_EQ(GetPixel(c.dc, 2, 1), GetParam().read);
  EXPECT_EQ(GetPixel(c.dc, 3, 1), CLR_INVALID);
  EXPECT_EQ(GetPixel(c.dc, -1, 0), CLR_INVALID);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, RoundTripTest,
    testing::Values(RoundTrip{1, RGB(200, 200, 200), kWhite}, RoundTrip{1, RGB(60, 60, 60), 0},
                    RoundTrip{4, RGB(255, 10, 10), RGB(200, 0, 0)}, RoundTrip{8, RGB(10, 10, 180), RGB(0, 0, 200)},
                    RoundTrip{16, kWhite, kWhite}, RoundTrip{16, RGB(3, 2, 5), RGB(0, 0, 8)},
                    RoundTrip{16, RGB(128, 128, 128), RGB(132, 130, 132)},
                    RoundTrip{24, RGB(1, 2, 3), RGB(1, 2, 3)}, RoundTrip{32, RGB(250, 128, 7), RGB(250, 128, 7)}));

TEST(Bitmap, Rgb565ValuesSurviveAColourRoundTrip) {
  const gdi::PixelBuffer fmt{nullptr, 1, 1, 2, 16, {}};
  for (DWORD v = 0; v < 0x10000; ++v) ASSERT_EQ(gdi::PixelFromColor(fmt, gdi::ColorFromPixel(fmt, v)), v);
  EXPECT_EQ(gdi::PixelFromColor(fmt, kRed), 0xF800u);
}

// A 16-bit header whose bit fields say 5-5-5, with room for its masks.
struct Info555 {
  std::vector<std::byte> storage = std::vector<std::byte>(sizeof(BITMAPINFOHEADER) + 3 * sizeof(DWORD));
  Info555(int width, int height) {
    get()->bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
    const DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};
    std::memcpy(storage.data() + sizeof(BITMAPINFOHEADER), masks, sizeof masks);
  }
  BITMAPINFO* get() { return reinterpret_cast<BITMAPINFO*>(storage.data()); }
};

TEST(Bitmap, Rgb555ValuesSurviveAColourRoundTrip) {
  const gdi::PixelBuffer fmt{nullptr, 1, 1, 2, 16, {}, true};
  for (DWORD v = 0; v < 0x8000; ++v) ASSERT_EQ(gdi::PixelFromColor(fmt, gdi::ColorFromPixel(fmt, v)), v);
  EXPECT_EQ(gdi::PixelFromColor(fmt, kRed), 0x7C00u);
  EXPECT_EQ(gdi::ColorFromPixel(fmt, 0x03E0), RGB(0, 255, 0));
  EXPECT_EQ(gdi::ColorFromPixel(fmt, 0x0200), RGB(0, 132, 0));  // green widens from 5 bits, not 6
}

// A section whose bit fields say 5-5-5 keeps its pixels so: what it reports, what drawing and
// raster operations store, and transfers to and from other formats through their colours.
TEST(Bitmap, FiveFiveFiveSectionsKeepTheirLayout) {
  Info555 info(3, -1);
  void* bits = nullptr;
  const HBITMAP section = CreateDIBSection(nullptr, info.get(), DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(section, nullptr);
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectA(section, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 16);
  EXPECT_EQ(ds.dsBitfields[0], 0x7C00u);
  EXPECT_EQ(ds.dsBitfields[1], 0x03E0u);
  const auto* stored = static_cast<const std::uint16_t*>(bits);

  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, section);
  EXPECT_EQ(SetPixel(dc, 0, 0, kRed), kRed);
  EXPECT_EQ(stored[0], 0x7C00);
  TestCanvas six(3, 1, 16);  // 5-6-5
  SetPixel(six.dc, 1, 0, kWhite);
  SetPixel(six.dc, 2, 0, RGB(0, 132, 0));
  BitBlt(dc, 1, 0, 2, 1, six.dc, 1, 0, SRCCOPY);
  EXPECT_EQ(stored[1], 0x7FFF);
  EXPECT_EQ(stored[2], 0x0200);
  PatBlt(dc, 0, 0, 1, 1, DSTINVERT);  // the unused top bit stays clear
  EXPECT_EQ(stored[0], 0x03FF);

  TestCanvas wide(3, 1, 24);
  BitBlt(wide.dc, 0, 0, 3, 1, dc, 0, 0, SRCCOPY);
  EXPECT_EQ(GetPixel(wide.dc, 0, 0), RGB(0, 255, 255));
  EXPECT_EQ(GetPixel(wide.dc, 1, 0), kWhite);
  EXPECT_EQ(GetPixel(wide.dc, 2, 0), RGB(0, 132, 0));

  // Device-independent bits of 5-5-5 in and out.
  const std::uint16_t rows[4] = {0x7C00, 0x03E0, 0x001F, 0};
  Info555 dib(3, 1);
  EXPECT_EQ(SetDIBits(wide.dc, wide.bitmap, 0, 1, rows, dib.get(), DIB_RGB_COLORS), 1);
  EXPECT_EQ(GetPixel(wide.dc, 0, 0), kRed);
  EXPECT_EQ(GetPixel(wide.dc, 1, 0), RGB(0, 255, 0));
  EXPECT_EQ(GetPixel(wide.dc, 2, 0), kBlue);
  std::uint16_t read[4] = {0xEEEE, 0xEEEE, 0xEEEE, 0xEEEE};
  SelectObject(wide.dc, wide.previous);
  EXPECT_EQ(GetDIBits(dc, wide.bitmap, 0, 1, read, dib.get(), DIB_RGB_COLORS), 1);
  SelectObject(wide.dc, wide.bitmap);
  EXPECT_EQ(std::vector<std::uint16_t>(read, read + 3), std::vector<std::uint16_t>(rows, rows + 3));

  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
}

TEST(Bitmap, NearestPaletteIndexPrefersTheLowestOnTies) {
  const HPALETTE pal = MakePalette({{0, 0, 255, 0}, {100, 0, 0, 0}, {0, 100, 0, 0}, {100, 0, 0, 0}});
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(50, 50, 0)), 1u);  // as near to 1 as to 2
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(100, 0, 0)), 1u);  // 3 is the same colour
  EXPECT_EQ(GetNearestPaletteIndex(pal, RGB(0, 0, 200)), 0u);
  PALETTEENTRY got[5]{};
  EXPECT_EQ(GetPaletteEntries(pal, 2, 5, got), 2u);
  EXPECT_EQ(got[0].peGreen, 100);
  DeleteObject(pal);
}

TEST(Bitmap, BottomUpSectionStoresTheBottomRowFirst) {
  TestCanvas up(2, 3, 24, {}, true), down(2, 3, 24);
  SetPixel(up.dc, 0, 2, RGB(1, 2, 3));
  SetPixel(down.dc, 0, 0, RGB(1, 2, 3));
  for (const TestCanvas* c : {&up, &down}) {
    const auto* b = static_cast<const BYTE*>(c->bits);
    EXPECT_EQ(b[0], 3);  // blue, green, red
    EXPECT_EQ(b[1], 2);
    EXPECT_EQ(b[2], 1);
  }
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectA(up.bitmap, sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 8);
  EXPECT_EQ(ds.dsBm.bmBits, up.bits);
  EXPECT_EQ(ds.dsBmih.biHeight, 3);
  EXPECT_EQ(ds.dsBmih.biSizeImage, 24u);
}

// Pixel memory comes from the heap, from huge pages that blocks share, or mapped on its own,
// by size; blocks go back in and out of order, and whatever memory a new bitmap gets is black.
TEST(Bitmap, NewBitmapsAreBlackWhateverCameAndWentBefore) {
  const int rows[] = {4, 40, 400, 800, 1000};  // 600 pixels of 4 bytes: 9 KB .. 2.4 MB
  std::vector<std::unique_ptr<TestCanvas>> kept;
  for (int round = 0; round < 80; ++round) {
    SCOPED_TRACE(round);
    if (round == 60) kept.clear();  // every block given back
    auto canvas = std::make_unique<TestCanvas>(600, rows[round % 5]);
    auto* bytes = static_cast<std::uint8_t*>(canvas->bits);
    const std::size_t size = std::size_t{600} * 4 * static_cast<std::size_t>(canvas->height);
    ASSERT_EQ(std::count(bytes, bytes + size, 0), static_cast<std::ptrdiff_t>(size));
    std::memset(bytes, 0xFF, size);
    if (round % 3 == 0) kept.push_back(std::move(canvas));
  }
}

TEST(Bitmap, RejectsHeadersItCannotDraw) {
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = &bi;
  for (const auto change : {+[](BITMAPINFOHEADER& h) { h.biWidth = 0; }, +[](BITMAPINFOHEADER& h) { h.biBitCount = 7; },
                            +[](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; },
                            +[](BITMAPINFOHEADER& h) { h.biWidth = 1 << 20, h.biHeight = 1 << 20; }}) {
    BITMAPINFO bad = bi;
    change(bad.bmiHeader);
    EXPECT_EQ(CreateDIBSection(nullptr, &bad, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
  }
}

TEST(Bitmap, GetDIBitsReadsBottomUpRowsAndItsColourTable) {
  TestCanvas c(3, 2, 32);
  SetPixel(c.dc, 0, 1, kRed);   // bottom row
  SetPixel(c.dc, 2, 0, kBlue);  // top row
  SelectObject(c.dc, c.previous);  // a bitmap is read while no context holds it

  BITMAPINFO query{};
  query.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  ASSERT_NE(GetDIBits(c.dc, c.bitmap, 0, 2, nullptr, &query, DIB_RGB_COLORS), 0);
  EXPECT_EQ(query.bmiHeader.biBitCount, 32);
  EXPECT_EQ(query.bmiHeader.biHeight, 2);

  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<BYTE> rows(2 * 12, 0xEE);
  EXPECT_EQ(GetDIBits(c.dc, c.bitmap, 0, 2, rows.data(), &info, DIB_RGB_COLORS), 2);
  EXPECT_EQ(info.bmiHeader.biSizeImage, 24u);
  EXPECT_EQ(rows[2], 255);       // first stored row is the bottom one: red at column 0
  EXPECT_EQ(rows[12 + 6], 255);  // top row, column 2: blue
  EXPECT_EQ(rows[12 + 8], 0);

  // A 1-bit read through black and white: red is nearer black, the padding is not touched.
  std::vector<std::byte> monoInfo(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
  auto* mi = reinterpret_cast<BITMAPINFO*>(monoInfo.data());
  mi->bmiHeader = {sizeof(BITMAPINFOHEADER), 3, -2, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<BYTE> mono(8, 0);
  EXPECT_EQ(GetDIBits(c.dc, c.bitmap, 0, 2, mono.data(), mi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(mi->bmiColors[1].rgbRed, 255);
  EXPECT_EQ(mono[0], 0x00);
  EXPECT_EQ(mono[4], 0x00);
}

TEST(Bitmap, SetDIBitsAndStretchDIBitsCountBottomUpRowsFromTheBottom) {
  TestCanvas c(2, 2, 32);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, 2, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD rows[4] = {0xFF0000, 0xFF0000, 0x0000FF, 0x0000FF};  // bottom red, top blue
  EXPECT_EQ(SetDIBits(c.dc, c.bitmap, 0, 2, rows, &info, DIB_RGB_COLORS), 2);
  EXPECT_EQ(GetPixel(c.dc, 0, 1), kRed);
  EXPECT_EQ(GetPixel(c.dc, 0, 0), kBlue);
  // Source row 0 of a bottom-up image is its bottom row.
  c.clear(0);
  StretchDIBits(c.dc, 0, 0, 2, 1, 0, 0, 2, 1, rows, &info, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(c.picture(kRed), Rows({"##", ".."}));
  // Only the first line, written from a buffer that holds that line alone.
  c.clear(0);
  EXPECT_EQ(SetDIBits(c.dc, c.bitmap, 1, 1, rows + 2, &info, DIB_RGB_COLORS), 1);
  EXPECT_EQ(c.picture(kBlue), Rows({"##", ".."}));
}

TEST(Bitmap, CompatibleBitmapTakesTheContextsFormat) {
  const HDC fresh = CreateCompatibleDC(nullptr);
  BITMAP bm{};
  const HBITMAP mono = CreateCompatibleBitmap(fresh, 5, 3);
  ASSERT_EQ(GetObjectA(mono, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(bm.bmWidthBytes, 2);
  EXPECT_EQ(bm.bmBits, nullptr);

  TestCanvas c(1, 1, 16);
  const HBITMAP same = CreateCompatibleBitmap(c.dc, 3, 3);
  GetObjectA(same, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 16);

  gdi::SetDesktopMode({640, 480, 24});
  const HBITMAP screen = CreateCompatibleBitmap(gdi::ScreenDC(), 2, 2);
  GetObjectA(screen, sizeof bm, &bm);
  EXPECT_EQ(bm.bmBitsPixel, 24);
  EXPECT_EQ(GetDeviceCaps(gdi::ScreenDC(), HORZRES), 640);
  EXPECT_EQ(GetDeviceCaps(gdi::ScreenDC(), BITSPIXEL), 24);
  EXPECT_EQ(GetDeviceCaps(gdi::ScreenDC(), PLANES), 1);
  EXPECT_EQ(GetDeviceCaps(gdi::ScreenDC(), LOGPIXELSY), 96);
  EXPECT_EQ(GetPixel(gdi::ScreenDC(), 0, 0), CLR_INVALID);
  gdi::SetDesktopMode({});
  for (const HBITMAP b : {mono, same, screen}) EXPECT_TRUE(DeleteObject(b));
  DeleteDC(fresh);
}

TEST(Bitmap, CreateDIBitmapConvertsIntoTheContextsFormat) {
  std::vector<std::byte> storage(sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
  info->bmiHeader = {sizeof(BITMAPINFOHEADER), 3, 1, 1, 1, BI_RGB, 0, 0, 0, 0, 0};
  info->bmiColors[0] = {0, 0, 255, 0};  // red
  info->bmiColors[1] = {255, 0, 0, 0};  // blue
  const BYTE row[4] = {0x40, 0, 0, 0};  // 0 1 0
  const HBITMAP colour = CreateDIBitmap(gdi::ScreenDC(), &info->bmiHeader, CBM_INIT, row, info, DIB_RGB_COLORS);
  const gdi::PixelBuffer px = gdi::PixelsOf(colour);
  EXPECT_EQ(px.bitsPerPixel, gdi::GetDesktopMode().bitsPerPixel);
  const HDC dc = CreateCompatibleDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, colour);
  EXPECT_EQ(GetPixel(dc, 0, 0), kRed);
  EXPECT_EQ(GetPixel(dc, 1, 0), kBlue);
  SelectObject(dc, old);
  // A fresh memory context holds a monochrome bitmap, so its compatible bitmaps are monochrome.
  const HBITMAP mono = CreateDIBitmap(dc, &info->bmiHeader, 0, nullptr, nullptr, DIB_RGB_COLORS);
  EXPECT_EQ(gdi::PixelsOf(mono).bitsPerPixel, 1);
  DeleteObject(colour);
  DeleteObject(mono);
  DeleteDC(dc);
}

TEST(Bitmap, ContextOverForeignPixelsDrawsIntoThem) {
  std::vector<std::uint16_t> pixels(4 * 3, 0);
  const gdi::PixelBuffer buffer{reinterpret_cast<std::byte*>(pixels.data()), 4, 3, 8, 16, {}};
  const HDC dc = gdi::CreateDCOverPixels(buffer);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
  EXPECT_EQ(gdi::PixelsOf(dc).bits, buffer.bits);
  SetPixel(dc, 3, 2, kRed);
  EXPECT_EQ(pixels[2 * 4 + 3], 0xF800);
  EXPECT_EQ(SelectObject(dc, CreateCompatibleBitmap(dc, 1, 1)), nullptr);  // its pixels stay
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(gdi::CreateDCOverPixels({reinterpret_cast<std::byte*>(pixels.data()), 4, 3, 4, 16, {}}), nullptr);
}

// An owner keeps one context over memory that moves: each reset points it at the pixels of
// the moment with a new context's defaults; empty pixels leave it drawing nowhere.
TEST(Bitmap, ResetContextOverPixelsMovesItWithFreshDefaults) {
  std::vector<std::uint32_t> first(4 * 3, 0), second(5 * 2, 0);
  const gdi::PixelBuffer one{reinterpret_cast<std::byte*>(first.data()), 4, 3, 16, 32, {}};
  const gdi::PixelBuffer two{reinterpret_cast<std::byte*>(second.data()), 5, 2, 20, 32, {}};
  const HDC dc = gdi::CreateDCOverPixels(one);
  ASSERT_NE(dc, nullptr);
  const HPEN pen = CreatePen(PS_SOLID, 1, kRed);
  SelectObject(dc, pen);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  SetTextColor(dc, kRed);
  SetBkColor(dc, kBlue);
  SetBkMode(dc, TRANSPARENT);
  SetStretchBltMode(dc, HALFTONE);
  MoveToEx(dc, 2, 1, nullptr);
  IntersectClipRect(dc, 0, 0, 1, 1);
  SaveDC(dc);

  ASSERT_TRUE(gdi::ResetDCOverPixels(dc, two));
  EXPECT_EQ(gdi::PixelsOf(dc).bits, two.bits);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 5);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetTextColor(dc), 0u);
  EXPECT_EQ(GetBkColor(dc), kWhite);
  EXPECT_EQ(GetBkMode(dc), OPAQUE);
  EXPECT_EQ(GetStretchBltMode(dc), BLACKONWHITE);
  POINT position{-1, -1};
  MoveToEx(dc, 0, 0, &position);
  EXPECT_EQ(position.x, 0);
  EXPECT_EQ(position.y, 0);
  EXPECT_FALSE(RestoreDC(dc, -1));
  SetPixel(dc, 4, 1, kRed);  // outside the old clip and the old pixels
  EXPECT_EQ(second[1 * 5 + 4], 0x00FF0000u);
  EXPECT_EQ(std::count(first.begin(), first.end(), 0u), 12);

  ASSERT_TRUE(gdi::ResetDCOverPixels(dc, {}));
  EXPECT_EQ(GetPixel(dc, 0, 0), CLR_INVALID);
  SetPixel(dc, 0, 0, kRed);
  TextOutA(dc, 0, 0, "x", 1);
  EXPECT_EQ(std::count(second.begin(), second.end(), 0u), 9);
  ASSERT_TRUE(gdi::ResetDCOverPixels(dc, one));
  EXPECT_EQ(GetPixel(dc, 3, 2), 0u);
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_TRUE(DeleteObject(pen));
}

TEST(Bitmap, ResetRefusesOtherContextsAndPixelsItCannotDraw) {
  std::vector<std::uint32_t> pixels(4 * 3, 0);
  const gdi::PixelBuffer buffer{reinterpret_cast<std::byte*>(pixels.data()), 4, 3, 16, 32, {}};
  const HDC dc = gdi::CreateDCOverPixels(buffer);
  SetTextColor(dc, kRed);
  const gdi::PixelBuffer narrow{buffer.bits, 4, 3, 12, 32, {}};  // rows overlap
  const gdi::PixelBuffer unknownDepth{buffer.bits, 4, 3, 16, 12, {}};
  for (const gdi::PixelBuffer& bad : {narrow, unknownDepth}) EXPECT_FALSE(gdi::ResetDCOverPixels(dc, bad));
  EXPECT_EQ(GetTextColor(dc), kRed);  // nothing changed
  EXPECT_EQ(gdi::PixelsOf(dc).bits, buffer.bits);
  TestCanvas memory(2, 2);
  EXPECT_FALSE(gdi::ResetDCOverPixels(memory.dc, buffer));
  EXPECT_FALSE(gdi::ResetDCOverPixels(gdi::ScreenDC(), buffer));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(gdi::ResetDCOverPixels(dc, buffer));  // a stale handle
}

TEST(Bitmap, DeletedObjectsLeaveStaleHandlesHarmless) {
  TestCanvas c(2, 2);
  const HBITMAP other = CreateCompatibleBitmap(c.dc, 2, 2);
  const HGDIOBJ selected = SelectObject(c.dc, other);
  EXPECT_TRUE(DeleteObject(other));  // still selected: the context keeps drawing into it
  EXPECT_NE(SetPixel(c.dc, 1, 1, kRed), CLR_INVALID);
  EXPECT_EQ(SelectObject(c.dc, other), nullptr);
  EXPECT_EQ(GetObjectA(other, 0, nullptr), 0);
  SelectObject(c.dc, selected);
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
  EXPECT_NE(GetObjectA(GetStockObject(DEFAULT_PALETTE), 0, nullptr), 0);
  EXPECT_FALSE(DeleteDC(gdi::ScreenDC()));
}

TEST(Bitmap, PaletteEntriesResolveThroughTheSelectedPalette) {
  const HPALETTE pal = MakePalette({{0, 0, 0, 0}, {0, 0, 255, 0}});
  TestCanvas c(1, 1, 24);
  const HPALETTE old = SelectPalette(c.dc, pal, FALSE);
  EXPECT_EQ(RealizePalette(c.dc), 2u);
  EXPECT_EQ(SetPixel(c.dc, 0, 0, PALETTEINDEX(1)), kBlue);
  EXPECT_EQ(GetNearestColor(c.dc, PALETTERGB(1, 2, 3)), RGB(1, 2, 3));
  SelectPalette(c.dc, old, FALSE);
  DeleteObject(pal);
}

}  // namespace
