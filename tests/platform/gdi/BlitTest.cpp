// Block transfers: raster-operation truth tables on 1-bit bitmaps, nearest-pixel stretching and
// mirroring, conversion between depths, clipping at the edges and transfers within one bitmap.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/platform/gdi/GdiFixture.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0),
                   kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);

// Sets a row of a canvas from '0'/'1' (black/white) or from colours.
void SetBits(TestCanvas& c, int y, const char* bits) {
  for (int x = 0; bits[x]; ++x) SetPixel(c.dc, x, y, bits[x] == '1' ? kWhite : 0);
}
std::string Bits(const TestCanvas& c, int y) {
  std::string s;
  for (int x = 0; x < c.width; ++x) s += GetPixel(c.dc, x, y) == kWhite ? '1' : '0';
  return s;
}
std::string Colors(const TestCanvas& c, int y) {
  std::string s;
  for (int x = 0; x < c.width; ++x) {
    const COLORREF p = GetPixel(c.dc, x, y);
    s += p == kRed ? 'R' : p == kGreen ? 'G' : p == kBlue ? 'B' : p == kYellow ? 'Y' : p == 0 ? '.' : '?';
  }
  return s;
}
void SetColors(TestCanvas& c, int y, const char* colors) {
  for (int x = 0; colors[x]; ++x) {
    const char k = colors[x];
    SetPixel(c.dc, x, y, k == 'R' ? kRed : k == 'G' ? kGreen : k == 'B' ? kBlue : k == 'Y' ? kYellow : 0);
  }
}

struct RopCase {
  const char* name;
  DWORD rop;
  const char* withBlackPattern;  // over destination 0101 and source 0011
  const char* withWhitePattern;
};
void PrintTo(const RopCase& c, std::ostream* os) { *os << c.name; }

class RopTest : public testing::TestWithParam<RopCase> {};

TEST_P(RopTest, TruthTableOnMonochromeBitmaps) {
  TestCanvas src(4, 1, 1), dst(4, 2, 1);
  SetBits(src, 0, "0011");
  SetBits(dst, 0, "0101");
  SetBits(dst, 1, "0101");
  SelectObject(dst.dc, GetStockObject(BLACK_BRUSH));
  BitBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, GetParam().rop);
  SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
  BitBlt(dst.dc, 0, 1, 4, 1, src.dc, 0, 0, GetParam().rop);
  EXPECT_EQ(Bits(dst, 0), GetParam().withBlackPattern);
  EXPECT_EQ(Bits(dst, 1), GetParam().withWhitePattern);
}

INSTANTIATE_TEST_SUITE_P(Rops, RopTest,
                         testing::Values(RopCase{"SRCCOPY", SRCCOPY, "0011", "0011"},
                                         RopCase{"SRCAND", SRCAND, "0001", "0001"},
                                         RopCase{"SRCINVERT", SRCINVERT, "0110", "0110"},
                                         RopCase{"PATINVERT", PATINVERT, "0101", "1010"},
                                         RopCase{"DSTINVERT", DSTINVERT, "1010", "1010"},
                                         RopCase{"MERGEPAINT", MERGEPAINT, "1101", "1101"},
                                         RopCase{"PSDPxax", 0x00B8074A, "0001", "1101"},
                                         RopCase{"BLACKNESS", BLACKNESS, "0000", "0000"},
                                         RopCase{"WHITENESS", WHITENESS, "1111", "1111"}),
                         [](const auto& info) { return info.param.name; });

struct StretchCase {
  const char* name;
  int destX, destWidth, srcX, srcWidth;
  const char* expected;
};
void PrintTo(const StretchCase& c, std::ostream* os) { *os << c.name; }

class StretchTest : public testing::TestWithParam<StretchCase> {};

TEST_P(StretchTest, TakesTheNearestSourcePixel) {
  TestCanvas src(4, 1), dst(8, 1);
  SetColors(src, 0, "RGBY");
  const auto& p = GetParam();
  StretchBlt(dst.dc, p.destX, 0, p.destWidth, 1, src.dc, p.srcX, 0, p.srcWidth, 1, SRCCOPY);
  EXPECT_EQ(Colors(dst, 0), p.expected);
}

INSTANTIATE_TEST_SUITE_P(Stretches, StretchTest,
                         testing::Values(StretchCase{"Same", 0, 4, 0, 4, "RGBY...."},
                                         StretchCase{"Up2x", 0, 8, 0, 4, "RRGGBBYY"},
                                         StretchCase{"Down2x", 0, 2, 0, 4, "GY......"},
                                         StretchCase{"UpByAQuarter", 0, 5, 0, 4, "RGBBY..."},
                                         StretchCase{"MirroredDest", 4, -4, 0, 4, "YBGR...."},
                                         StretchCase{"MirroredSource", 0, 4, 4, -4, "YBGR...."},
                                         StretchCase{"BothMirrored", 4, -4, 4, -4, "RGBY...."},
                                         StretchCase{"SourcePastItsEdge", 0, 4, 2, 4, "BY......"},
                                         StretchCase{"DestPastItsEdge", 6, 4, 0, 4, "......RG"}),
                         [](const auto& info) { return info.param.name; });

TEST(Blit, StretchesRowsToo) {
  TestCanvas src(1, 2), dst(1, 4);
  SetColors(src, 0, "R");
  SetColors(src, 1, "B");
  StretchBlt(dst.dc, 0, 0, 1, 4, src.dc, 0, 0, 1, 2, SRCCOPY);
  EXPECT_EQ(Colors(dst, 0) + Colors(dst, 1) + Colors(dst, 2) + Colors(dst, 3), "RRBB");
  StretchBlt(dst.dc, 0, 4, 1, -4, src.dc, 0, 0, 1, 2, SRCCOPY);
  EXPECT_EQ(Colors(dst, 0) + Colors(dst, 1) + Colors(dst, 2) + Colors(dst, 3), "BBRR");
}

// A stretched copy in one format moves the sampled pixels' bytes; the general transfer reads,
// combines and writes pixel values. Over a black destination SRCPAINT (source or destination)
// must give the copy's bytes exactly, at every byte-sized depth, stretched, shrunk and mirrored.
TEST(Blit, StretchedCopiesAreTheGeneralTransfersBytes) {
  struct Case {
    int destX, destY, destWidth, destHeight, srcX, srcY, srcWidth, srcHeight;
  };
  const Case cases[] = {{0, 0, 50, 40, 0, 0, 37, 23},  {3, 2, 20, 10, 0, 0, 37, 23},  {50, 0, -50, 40, 0, 0, 37, 23},
                        {0, 40, 37, -40, 0, 0, 37, 23}, {0, 0, 37, 61, 0, 0, 37, 23},  {1, 1, 45, 30, 5, 4, 20, 15},
                        {0, 0, 50, 40, 37, 23, -37, -23}};
  std::vector<RGBQUAD> greys(256);
  for (int i = 0; i < 256; ++i) greys[i] = {static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(255 - i), 0};
  for (int depth : {8, 16, 24, 32}) {
    TestCanvas src(37, 23, depth, greys);
    const int srcPitch = (37 * depth + 31) / 32 * 4;
    auto* in = static_cast<std::uint8_t*>(src.bits);
    for (int i = 0; i < srcPitch * 23; ++i) in[i] = static_cast<std::uint8_t>(i * 131 + i / 7);
    if (depth == 32)
      for (int i = 3; i < srcPitch * 23; i += 4) in[i] = 0;  // the unused byte, which SRCPAINT keeps 0
    for (const Case& c : cases) {
      TestCanvas copied(52, 64, depth, greys), painted(52, 64, depth, greys);
      StretchBlt(copied.dc, c.destX, c.destY, c.destWidth, c.destHeight, src.dc, c.srcX, c.srcY, c.srcWidth, c.srcHeight,
                 SRCCOPY);
      StretchBlt(painted.dc, c.destX, c.destY, c.destWidth, c.destHeight, src.dc, c.srcX, c.srcY, c.srcWidth,
                 c.srcHeight, SRCPAINT);
      const int pitch = (52 * depth + 31) / 32 * 4;
      EXPECT_EQ(std::memcmp(copied.bits, painted.bits, static_cast<std::size_t>(pitch) * 64), 0)
          << depth << " bits, case " << (&c - cases);
    }
  }
}

TEST(Blit, MonochromeSourcePaintsTextAndBackgroundColours) {
  TestCanvas src(4, 1, 1), dst(4, 1, 16);
  SetBits(src, 0, "0110");
  SetTextColor(dst.dc, kRed);
  SetBkColor(dst.dc, kBlue);
  BitBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(Colors(dst, 0), "RBBR");
}

TEST(Blit, ColourToMonochromeSetsTheSourceBackgroundColour) {
  TestCanvas src(4, 1, 24), dst(4, 1, 1);
  SetColors(src, 0, "RGRB");
  SetBkColor(src.dc, kRed);
  SetBkColor(dst.dc, kBlue);  // the destination's colour plays no part
  BitBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(Bits(dst, 0), "1010");
}

TEST(Blit, ConvertsBetweenDepths) {
  const std::vector<RGBQUAD> palette = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
  TestCanvas src(4, 1, 32);
  SetColors(src, 0, "RGB.");
  SetPixel(src.dc, 3, 0, RGB(250, 10, 10));  // nearest to red
  for (const int depth : {4, 8, 16, 24, 32}) {
    TestCanvas dst(4, 1, depth, palette);
    BitBlt(dst.dc, 0, 0, 4, 1, src.dc, 0, 0, SRCCOPY);
    const char* expected = depth <= 8 ? "RGBR" : "RGB?";
    EXPECT_EQ(Colors(dst, 0), expected) << depth;
    // And back: the paletted bits read out through their table.
    TestCanvas back(4, 1, 32);
    BitBlt(back.dc, 0, 0, 4, 1, dst.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(Colors(back, 0).substr(0, 3), "RGB") << depth;
  }
}

TEST(Blit, ClipsAgainstBothBitmapsAndTheClipRegion) {
  TestCanvas src(3, 3), dst(4, 4);
  src.clear(kRed);
  BitBlt(dst.dc, -1, -1, 3, 3, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.picture(kRed), Rows({"##..", "##..", "....", "...."}));
  dst.clear(0);
  BitBlt(dst.dc, 2, 2, 3, 3, src.dc, 1, 1, SRCCOPY);  // the source ends after two columns
  EXPECT_EQ(dst.picture(kRed), Rows({"....", "....", "..##", "..##"}));
  dst.clear(0);
  IntersectClipRect(dst.dc, 1, 0, 2, 4);
  BitBlt(dst.dc, 0, 0, 3, 3, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.picture(kRed), Rows({".#..", ".#..", ".#..", "...."}));
}

TEST(Blit, WithinOneBitmapReadsTheOriginalPixels) {
  TestCanvas c(5, 1);
  SetColors(c, 0, "RGBY.");
  BitBlt(c.dc, 1, 0, 4, 1, c.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(Colors(c, 0), "RRGBY");
  StretchBlt(c.dc, 0, 0, 5, 1, c.dc, 1, 0, 2, 1, SRCCOPY);
  EXPECT_EQ(Colors(c, 0), "RRGGG");
}

TEST(Blit, PatBltWithMonochromePatternBrush) {
  TestCanvas pattern(2, 2, 1), dst(4, 2);
  SetBits(pattern, 0, "01");
  SetBits(pattern, 1, "10");
  const HBRUSH brush = CreatePatternBrush(pattern.bitmap);
  SelectObject(dst.dc, brush);
  SetTextColor(dst.dc, kRed);
  SetBkColor(dst.dc, kGreen);
  EXPECT_TRUE(PatBlt(dst.dc, 0, 0, 4, 2, PATCOPY));
  EXPECT_EQ(Colors(dst, 0), "RGRG");
  EXPECT_EQ(Colors(dst, 1), "GRGR");
  EXPECT_FALSE(PatBlt(dst.dc, 0, 0, 4, 2, SRCCOPY));
  SelectObject(dst.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(Blit, BlacknessAndWhitenessSetEveryBit) {
  const std::vector<RGBQUAD> palette(256, RGBQUAD{9, 9, 9, 0});
  TestCanvas c(2, 1, 8, palette);
  PatBlt(c.dc, 0, 0, 1, 1, WHITENESS);
  PatBlt(c.dc, 1, 0, 1, 1, BLACKNESS);
  const auto* bits = static_cast<const BYTE*>(c.bits);
  EXPECT_EQ(bits[0], 255);
  EXPECT_EQ(bits[1], 0);
}

}  // namespace
