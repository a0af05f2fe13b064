// The popularity palette against the plain way of making it, on pictures of every kind: the
// plain way counts the whole picture again after each dropped bit, through the 5191-slot hash.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <vector>

#include "imaging/QmGraph.h"
#include "platform/vcl/Jpeg.h"

namespace {

// Padded 24-bit rows, bottom row first, blue, green, red: what a reduction works on.
struct TRows {
  int width = 0, height = 0;
  std::vector<BYTE> bytes;
  std::size_t Stride() const { return (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4; }
  BYTE* Pixel(int X, int Y) { return bytes.data() + Stride() * Y + 3 * static_cast<std::size_t>(X); }
  BITMAPINFOHEADER Header() const { return {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0}; }
};

TRows MakeRows(int Width, int Height, const std::function<COLORREF(int, int)>& ColorAt) {
  TRows rows{Width, Height, {}};
  rows.bytes.resize(rows.Stride() * Height);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const COLORREF c = ColorAt(x, y);
      BYTE* p = rows.Pixel(x, y);
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  return rows;
}

// The colour table and the 8-bit rows (padding included) a reduction gives.
struct TReduced {
  std::array<RGBQUAD, 256> colors{};
  std::vector<BYTE> indices;
};

TReduced Popularity(TRows Rows) {
  TReduced out;
  PopularityPalette(Rows.Header(), out.colors.data(), Rows.bytes.data(), 256);
  Rows.bytes.resize((static_cast<std::size_t>(Rows.width) + 3) / 4 * 4 * Rows.height);
  out.indices = Rows.bytes;
  return out;
}

// The plain way, step by step: a table of at most 2049 masked colours behind a hash of 5191
// slots, probed one slot forward at a time; a 2050th colour drops a bit and the count starts
// again; the 256 most frequent colours, first seen first among equals, are the palette; every
// other colour takes the nearest of them, the first among equals; each pixel its colour's.
TReduced PlainPopularity(const TRows& Rows) {
  struct TEntry {
    BYTE red, green, blue;
    DWORD count;
    BYTE index;
  };
  std::vector<TEntry> entries;
  std::vector<int> slots;
  BYTE mask[3] = {0xFF, 0xFF, 0xFF};  // red, green, blue
  const auto slotOf = [&](const BYTE* Pixel) {
    const BYTE r = Pixel[2] & mask[0], g = Pixel[1] & mask[1], b = Pixel[0] & mask[2];
    int slot = ColorHash(r, g, b);
    while (slots[slot] >= 0 && !(entries[slots[slot]].red == r && entries[slots[slot]].green == g && entries[slots[slot]].blue == b))
      slot = (slot + 1) % 5191;
    return slot;
  };
  const auto count = [&] {
    entries.clear();
    slots.assign(5191, -1);
    for (int y = 0; y < Rows.height; ++y)
      for (int x = 0; x < Rows.width; ++x) {
        const BYTE* pixel = Rows.bytes.data() + Rows.Stride() * y + 3 * static_cast<std::size_t>(x);
        const int slot = slotOf(pixel);
        if (slots[slot] < 0) {
          if (entries.size() == 2049) return false;
          slots[slot] = static_cast<int>(entries.size());
          entries.push_back({static_cast<BYTE>(pixel[2] & mask[0]), static_cast<BYTE>(pixel[1] & mask[1]),
                             static_cast<BYTE>(pixel[0] & mask[2]), 0, 0});
        }
        ++entries[slots[slot]].count;
      }
    return true;
  };
  while (!count()) {
    BYTE& drop = mask[1] > mask[0] ? mask[1] : mask[0] > mask[2] ? mask[0] : mask[2];
    drop = static_cast<BYTE>(drop << 1);
  }

  TReduced out;
  std::size_t chosen = 0;
  for (; chosen < 256 && chosen < entries.size(); ++chosen) {
    TEntry* best = &entries[0];
    for (TEntry& e : entries)
      if (e.count > best->count) best = &e;
    best->index = static_cast<BYTE>(chosen);
    best->count = 0;
    out.colors[chosen] = {best->blue, best->green, best->red, 0};
  }
  for (std::size_t i = chosen; i < 256; ++i) out.colors[i] = {128, 128, 128, 0};
  for (TEntry& e : entries) {
    if (e.count == 0) continue;
    int bound = 0x30000;
    for (int c = 0; c < 256; ++c) {
      const int db = e.blue - out.colors[c].rgbBlue, dg = e.green - out.colors[c].rgbGreen, dr = e.red - out.colors[c].rgbRed;
      if (db * db + dg * dg + dr * dr < bound) {
        bound = db * db + dg * dg + dr * dr;
        e.index = static_cast<BYTE>(c);
      }
    }
  }

  const std::size_t stride = (static_cast<std::size_t>(Rows.width) + 3) / 4 * 4;
  out.indices.assign(stride * Rows.height, 0);
  for (int y = 0; y < Rows.height; ++y)
    for (int x = 0; x < Rows.width; ++x)
      out.indices[stride * y + x] = entries[slots[slotOf(Rows.bytes.data() + Rows.Stride() * y + 3 * static_cast<std::size_t>(x))]].index;
  return out;
}

// The waterfall's ground photograph as it decodes, bottom row first.
TRows Photo() {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(QM_PHOTO_FILE);
  TBitmap bitmap;
  bitmap.Assign(&jpeg);
  bitmap.SetPixelFormat(pf24bit);
  TRows rows{bitmap.GetWidth(), bitmap.GetHeight(), {}};
  rows.bytes.resize(rows.Stride() * rows.height);
  for (int y = 0; y < rows.height; ++y)
    std::memcpy(rows.Pixel(0, y), bitmap.GetScanLine(rows.height - 1 - y), 3 * static_cast<std::size_t>(rows.width));
  return rows;
}

// Colour i of a list of n distinct ones, the rest of the picture repeating the list.
std::function<COLORREF(int, int)> Distinct(int Width, int Count) {
  return [Width, Count](int x, int y) {
    const int i = (y * Width + x) % Count;
    return RGB(i % 64 * 4 + 1, i / 64 * 3, i * 7 % 256);
  };
}

COLORREF Noise(int x, int y) {
  unsigned v = static_cast<unsigned>(y * 7919 + x) * 2654435761u;
  v ^= v >> 15;
  v *= 2246822519u;
  return v & 0xFFFFFF;
}

struct PictureCase {
  const char* name;
  std::function<TRows()> make;
};
void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class PopularityAsPlain : public testing::TestWithParam<PictureCase> {};

TEST_P(PopularityAsPlain, GivesTheSamePaletteAndPixels) {
  const TRows rows = GetParam().make();
  const TReduced plain = PlainPopularity(rows);
  const TReduced fast = Popularity(rows);
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD &a = fast.colors[i], &b = plain.colors[i];
    ASSERT_TRUE(a.rgbBlue == b.rgbBlue && a.rgbGreen == b.rgbGreen && a.rgbRed == b.rgbRed && a.rgbReserved == b.rgbReserved)
        << "colour " << i;
  }
  ASSERT_EQ(fast.indices.size(), plain.indices.size());
  const auto differ = std::mismatch(fast.indices.begin(), fast.indices.end(), plain.indices.begin());
  EXPECT_TRUE(differ.first == fast.indices.end()) << "at byte " << differ.first - fast.indices.begin();
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PopularityAsPlain,
    testing::Values(
        PictureCase{"photograph", Photo},
        // Every bit drop down to 11 bits, the most a picture can need.
        PictureCase{"noise", [] { return MakeRows(256, 200, Noise); }},
        PictureCase{"a few colours", [] { return MakeRows(37, 23, [](int x, int y) { return RGB(x * y % 64 * 4, 50, x % 3 * 9); }); }},
        PictureCase{"one pixel", [] { return MakeRows(1, 1, [](int, int) { return RGB(1, 2, 3); }); }},
        PictureCase{"one column", [] { return MakeRows(1, 3000, [](int, int y) { return RGB(y % 251, y / 13, y % 7); }); }},
        PictureCase{"2049 colours", [] { return MakeRows(61, 47, Distinct(61, 2049)); }},
        // The 2050th colour is the last pixel.
        PictureCase{"2050 colours", [] { return MakeRows(41, 50, Distinct(41, 2050)); }},
        // Red even and blue 0: dropping blue's and red's bits merges nothing, so the 2050th
        // colour costs three bits at once.
        PictureCase{"three drops at one pixel",
                    [] { return MakeRows(45, 50, [](int x, int y) { const int i = (y * 45 + x) % 2050; return RGB(i % 128 * 2, i / 128, 0); }); }},
        // Smooth in all three channels, so that pixels are counted under many masks.
        PictureCase{"gradients", [] {
                      return MakeRows(301, 173, [](int x, int y) { return RGB(x * 255 / 300, y * 255 / 172, (x + 2 * y) * 255 / 646); });
                    }},
        PictureCase{"gradient stripes", [] {
                      return MakeRows(640, 33, [](int x, int y) { return RGB(x % 256, (x / 256 * 97 + y * 5) % 256, (x * 3 + y) % 256); });
                    }}));

}  // namespace
