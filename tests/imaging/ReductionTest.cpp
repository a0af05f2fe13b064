// The six reductions to 8 bits as a user sees them in the BMP stream: the colour tables, the
// indices of chosen pixels, the important-colours count, and the adaptive palettes' edge cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <map>
#include <set>

#include "imaging/QmGraph.h"
#include "tests/imaging/BmpStream.h"

namespace {

using bmpstream::Bmp;
using bmpstream::Picture;

constexpr COLORREF kRed = RGB(255, 0, 0), kWhite = RGB(255, 255, 255), kBlack = 0;

Bmp Reduce(const Picture& picture, TMappingMethod method) {
  const auto bitmap = bmpstream::MakeBitmap(picture);
  const auto stream = BitmapToMemoryStream(bitmap.get(), pf8bit, method);
  Bmp bmp = bmpstream::ReadBmp(*stream);
  EXPECT_EQ(bmp.info.biBitCount, 8);
  return bmp;
}

COLORREF Entry(const Bmp& bmp, int i) { return RGB(bmp.colors[i].rgbRed, bmp.colors[i].rgbGreen, bmp.colors[i].rgbBlue); }

struct PixelCase {
  const char* name;
  TMappingMethod method;
  COLORREF pixel;
  int index;
  COLORREF shown;
};
void PrintTo(const PixelCase& c, std::ostream* os) { *os << c.name; }

class FixedMethods : public testing::TestWithParam<PixelCase> {};

TEST_P(FixedMethods, MapThePixelToItsEntry) {
  const PixelCase& c = GetParam();
  const Bmp bmp = Reduce({{c.pixel}}, c.method);
  EXPECT_EQ(bmp.index(0, 0), c.index);
  EXPECT_EQ(Entry(bmp, c.index), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FixedMethods,
    testing::Values(PixelCase{"666 red", mmTrunc666, kRed, 180, kRed},
                    PixelCase{"784 white", mmTrunc784, kWhite, 223, kWhite},
                    // nearest levels: 7 levels take 64 to 43 (a tie, the lower wins) and 65 to
                    // 85; 4 levels take 42 to 0 and 43 to 85
                    PixelCase{"784 red 64", mmTrunc784, RGB(64, 0, 0), 32, RGB(43, 0, 0)},
                    PixelCase{"784 red 65", mmTrunc784, RGB(65, 0, 0), 64, RGB(85, 0, 0)},
                    PixelCase{"784 blue 42", mmTrunc784, RGB(0, 0, 42), 0, kBlack},
                    PixelCase{"784 blue 43", mmTrunc784, RGB(0, 0, 43), 1, RGB(0, 0, 85)},
                    // 8 levels take 18 to 0 and 91 to 73
                    PixelCase{"784 green 18", mmTrunc784, RGB(0, 18, 0), 0, kBlack},
                    PixelCase{"784 green 91", mmTrunc784, RGB(0, 91, 0), 8, RGB(0, 73, 0)},
                    PixelCase{"666 each channel", mmTrunc666, RGB(127, 25, 26), 2 * 36 + 0 * 6 + 1, RGB(102, 0, 51)},
                    PixelCase{"grey of red", mmGrayscale, kRed, 76, RGB(76, 76, 76)},
                    PixelCase{"grey of white", mmGrayscale, kWhite, 255, kWhite},
                    PixelCase{"tripel first pixel", mmTripel, RGB(200, 100, 50), 50, RGB(200, 0, 0)}));

TEST(FixedTables, TruncationFillsWhatItsLevelsDoNotReachWith128) {
  const Bmp six = Reduce({{kRed}}, mmTrunc666);
  const Bmp seven = Reduce({{kRed}}, mmTrunc784);
  EXPECT_EQ(six.info.biClrImportant, 216u);
  EXPECT_EQ(seven.info.biClrImportant, 224u);
  EXPECT_EQ(Entry(six, 215), kWhite);
  EXPECT_EQ(Entry(seven, 223), kWhite);
  for (const auto& [bmp, first] : {std::pair{&six, 216}, std::pair{&seven, 224}})
    for (int i = first; i < 256; ++i) {
      const RGBQUAD& q = bmp->colors[i];
      ASSERT_TRUE(q.rgbRed == 128 && q.rgbGreen == 128 && q.rgbBlue == 128 && q.rgbReserved == 128) << i;
    }
  const Bmp grey = Reduce({{kRed}}, mmGrayscale);
  EXPECT_EQ(Entry(grey, 100), RGB(100, 100, 100));
  EXPECT_EQ(grey.info.biClrImportant, 0u);
}

// Each pixel shows one channel by (x + y) mod 3, y counted from the bottom row.
TEST(FixedTables, TripelInterleavesTheChannelsByPosition) {
  const COLORREF c = RGB(200, 100, 40);
  const Bmp bmp = Reduce({{c, c, c}, {c, c, c}}, mmTripel);
  EXPECT_EQ(bmp.index(0, 1), 200 / 4);        // bottom row: red, green, blue
  EXPECT_EQ(bmp.index(1, 1), 100 / 4 + 64);
  EXPECT_EQ(bmp.index(2, 1), 40 / 4 + 128);
  EXPECT_EQ(bmp.index(0, 0), 100 / 4 + 64);   // the row above starts with green
  EXPECT_EQ(Entry(bmp, 100 / 4 + 64), RGB(0, 100, 0));
  EXPECT_EQ(Entry(bmp, 10 + 128), RGB(0, 0, 40));
  EXPECT_EQ(Entry(bmp, 200), kBlack);
}

// ---- Popularity

// A square picture holding each colour of the list once, in order, then black to fill it.
Picture Square(const std::vector<COLORREF>& colors) {
  int side = 1;
  while (side * side < static_cast<int>(colors.size())) ++side;
  Picture rows(static_cast<std::size_t>(side), std::vector<COLORREF>(static_cast<std::size_t>(side), kBlack));
  for (std::size_t i = 0; i < colors.size(); ++i) rows[i / side][i % side] = colors[i];
  return rows;
}

TEST(Popularity, AFewColoursComeOutExactlyMostFrequentFirst) {
  const COLORREF a = RGB(10, 20, 30), b = RGB(200, 0, 7), c = RGB(1, 2, 3);
  const Bmp bmp = Reduce({{b, a, a}, {c, a, b}}, mmHistogram);
  EXPECT_EQ(Entry(bmp, 0), a);
  EXPECT_EQ(Entry(bmp, 1), b);
  EXPECT_EQ(Entry(bmp, 2), c);
  for (int i = 3; i < 256; ++i) ASSERT_EQ(Entry(bmp, i), RGB(128, 128, 128)) << i;
  EXPECT_EQ(bmp.picture(), (Picture{{b, a, a}, {c, a, b}}));
}

// The recounts drop blue's low bit, then red's, then green's: each picture needs one more drop
// than the last, and only the right bits may be gone from its colours.
TEST(Popularity, RecountsDropBlueThenRedThenGreen) {
  struct Drop {
    const char* name;
    int reds, greens, blueStep;  // colours: reds x greens levels, blue 0 to 255 by blueStep
    int redStep, greenStep;      // the distance between two levels
    BYTE redMask, greenMask, blueMask;  // what the palette's colours may hold
  };
  for (const Drop& d : {Drop{"blue", 9, 1, 1, 1, 1, 0xFF, 0xFF, 0xFE}, Drop{"then red", 17, 1, 2, 1, 1, 0xFE, 0xFF, 0xFE},
                        Drop{"then green", 2, 9, 2, 2, 1, 0xFE, 0xFE, 0xFE}}) {
    SCOPED_TRACE(d.name);
    std::vector<COLORREF> colors;
    for (int r = 0; r < d.reds; ++r)
      for (int g = 0; g < d.greens; ++g)
        for (int b = 0; b < 256; b += d.blueStep)
          colors.push_back(RGB(r * d.redStep, g * d.greenStep, b));
    ASSERT_GT(colors.size(), 2049u);
    const Bmp bmp = Reduce(Square(colors), mmHistogram);
    std::set<int> redsSeen, greensSeen, bluesSeen;
    for (const RGBQUAD& q : bmp.colors) {
      ASSERT_EQ(q.rgbRed & ~d.redMask, 0);
      ASSERT_EQ(q.rgbGreen & ~d.greenMask, 0);
      ASSERT_EQ(q.rgbBlue & ~d.blueMask, 0);
      redsSeen.insert(q.rgbRed);
      greensSeen.insert(q.rgbGreen);
      bluesSeen.insert(q.rgbBlue);
    }
    // No bit beyond those: a kept channel still shows odd values, and blue keeps its bit 1.
    const auto any = [](const std::set<int>& seen, int bit) {
      return std::any_of(seen.begin(), seen.end(), [bit](int v) { return (v & bit) != 0; });
    };
    if (d.redMask == 0xFF) {
      EXPECT_TRUE(any(redsSeen, 1));
    }
    if (d.greenMask == 0xFF && d.greens > 1) {
      EXPECT_TRUE(any(greensSeen, 1));
    }
    EXPECT_TRUE(any(bluesSeen, 2));
  }
}

TEST(Popularity, OtherColoursTakeTheNearestChosenOne) {
  // 300 colours, the first 256 twice as frequent: the rest map to their nearest among those.
  std::vector<COLORREF> colors;
  for (int i = 0; i < 256; ++i) colors.push_back(RGB(i, 0, 0));
  for (int i = 0; i < 256; ++i) colors.push_back(RGB(i, 0, 0));
  for (int i = 0; i < 44; ++i) colors.push_back(RGB(i * 5, 40, 0));
  const Bmp bmp = Reduce(Square(colors), mmHistogram);
  const int side = static_cast<int>(bmp.info.biWidth);
  const int first = 512;  // the first of the rare colours
  EXPECT_EQ(bmp.color(first % side, first / side), RGB(0, 0, 0));
  const int last = 512 + 43;
  EXPECT_EQ(bmp.color(last % side, last / side), RGB(215, 0, 0));
}

// A many-coloured picture against the rule worked out by plain counting: bits dropped blue,
// red, green until at most 2049 colours remain, the 256 most frequent (first seen first, bottom
// row first) kept, every other colour shown as the nearest kept one.
TEST(Popularity, AManyColouredPictureFollowsTheRule) {
  Picture picture(120);
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) picture[y].push_back(RGB(x * 255 / 159, y * 255 / 119, x * y % 256));
  BYTE mask[3] = {0xFF, 0xFF, 0xFF};  // red, green, blue
  const auto masked = [&mask](COLORREF c) {
    return RGB(GetRValue(c) & mask[0], GetGValue(c) & mask[1], GetBValue(c) & mask[2]);
  };
  std::vector<std::pair<COLORREF, int>> counts;  // in the order first seen
  for (;;) {
    std::map<COLORREF, std::size_t> seen;
    counts.clear();
    for (int y = 119; y >= 0; --y)
      for (COLORREF c : picture[y]) {
        const auto [at, added] = seen.emplace(masked(c), counts.size());
        if (added) counts.push_back({masked(c), 0});
        ++counts[at->second].second;
      }
    if (counts.size() <= 2049) break;
    BYTE& drop = mask[1] > mask[0] ? mask[1] : mask[0] > mask[2] ? mask[0] : mask[2];
    drop = static_cast<BYTE>(drop << 1);
  }
  ASSERT_LE(std::popcount(mask[0]) + std::popcount(mask[1]) + std::popcount(mask[2]), 16);
  std::stable_sort(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
  counts.resize(256);

  const Bmp bmp = Reduce(picture, mmHistogram);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(Entry(bmp, i), counts[i].first) << i;
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) {
      const COLORREF c = masked(picture[y][x]);
      int nearest = 0, bound = 0x30000;
      for (int i = 0; i < 256; ++i) {
        const int dr = GetRValue(c) - GetRValue(counts[i].first), dg = GetGValue(c) - GetGValue(counts[i].first),
                  db = GetBValue(c) - GetBValue(counts[i].first);
        if (dr * dr + dg * dg + db * db < bound) {
          bound = dr * dr + dg * dg + db * db;
          nearest = i;
        }
      }
      ASSERT_EQ(bmp.index(x, y), nearest) << x << ", " << y;
    }
}

// ---- Median cut

TEST(MedianCut, OneColourMakesOneBox) {
  const Bmp red = Reduce({{kRed, kRed}, {kRed, kRed}}, mmQuantize);
  EXPECT_EQ(red.info.biClrImportant, 1u);
  EXPECT_EQ(Entry(red, 0), RGB(255, 15, 15));
  for (int i = 1; i < 256; ++i) ASSERT_EQ(Entry(red, i), kBlack);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(red.index(x, y), 0);
  const Bmp black = Reduce({{kBlack}}, mmQuantize);
  EXPECT_EQ(Entry(black, 0), kBlack);
}

TEST(MedianCut, AtMost256OccupiedCellsMakeOneBoxEach) {
  // 200 cells over all three axes, so every split sorts (and the large ones quicksort).
  Picture picture(10);
  for (int i = 0; i < 200; ++i) picture[i / 20].push_back(RGB(i % 8 * 32 + 3, i / 8 % 5 * 48, i / 40 * 48 + 16));
  const Bmp bmp = Reduce(picture, mmQuantize);
  EXPECT_EQ(bmp.info.biClrImportant, 200u);
  std::set<COLORREF> entries;
  for (int i = 0; i < 200; ++i) entries.insert(Entry(bmp, i));
  EXPECT_EQ(entries.size(), 200u);
  // Each pixel shows its own cell's colour: 16 x key + 15 per channel.
  Picture cells = picture;
  for (auto& row : cells)
    for (COLORREF& c : row) c = RGB(GetRValue(c) / 16 * 16 + 15, GetGValue(c) / 16 * 16 + 15, GetBValue(c) / 16 * 16 + 15);
  EXPECT_EQ(bmp.picture(), cells);
}

// The head keeps the fewest cells for which one more passes half the pixels; the tail at least one.
TEST(MedianCut, SplitsAtTheMedianOfThePixels) {
  struct Split {
    std::vector<int> counts;  // pixels of cells at red keys 0, 5, 10
    std::vector<int> box;     // the box of each cell
  };
  for (const Split& s : {Split{{10, 1, 1}, {0, 1, 1}}, Split{{1, 1, 10}, {0, 0, 1}}, Split{{3, 3, 3}, {0, 1, 1}}}) {
    std::vector<BYTE> rows;
    int pixels = 0;
    for (std::size_t cell = 0; cell < s.counts.size(); ++cell)
      for (int k = 0; k < s.counts[cell]; ++k, ++pixels) {
        rows.push_back(0);
        rows.push_back(0);
        rows.push_back(static_cast<BYTE>(cell * 5 * 16));
      }
    BITMAPINFOHEADER header{sizeof header, pixels, 1, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    rows.resize((rows.size() + 3) / 4 * 4);
    std::vector<RGBQUAD> colors(256);
    int boxes = 2;
    MedianCutPalette(header, rows.data(), rows.data(), colors.data(), boxes);
    EXPECT_EQ(boxes, 2);
    int x = 0;
    for (std::size_t cell = 0; cell < s.counts.size(); ++cell)
      for (int k = 0; k < s.counts[cell]; ++k) ASSERT_EQ(rows[x++], s.box[cell]) << "cell " << cell;
  }
}

TEST(Adaptive, HashSlotOfAColour) {
  EXPECT_EQ(ColorHash(0, 0, 0), 0);
  EXPECT_EQ(ColorHash(255, 255, 255), 510 * 510 * 510 % 5191);
  EXPECT_EQ(ColorHash(1, 2, 3), 3 * 5 * 4);
}

}  // namespace
