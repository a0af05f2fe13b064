// The fixed reductions to 8 bits: the 7-8-4 and 6-6-6 truncation palettes through nearest-level
// tables built once at start-up, the three-ramp interleave and the grey ramp.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <span>

#include "imaging/QmGraphWork.h"

namespace qmgraph {
namespace {

constexpr BYTE kLevels4[] = {0, 85, 170, 255};
constexpr BYTE kLevels6[] = {0, 51, 102, 153, 204, 255};
constexpr BYTE kLevels7[] = {0, 43, 85, 128, 170, 213, 255};
constexpr BYTE kLevels8[] = {0, 36, 73, 109, 146, 182, 219, 255};

using TLevelTable = std::array<BYTE, 256>;
// Entry v: the index of the ramp value nearest to v.
TLevelTable Nearest4, Nearest6, Nearest7, Nearest8;

// On a tie the lower index wins: 64, as near 43 as 85, takes 43.
BYTE NearestLevel(std::span<const BYTE> Levels, int Value) {
  std::size_t best = 0;
  for (std::size_t i = 1; i < Levels.size(); ++i)
    if (std::abs(Levels[i] - Value) < std::abs(Levels[best] - Value)) best = i;
  return static_cast<BYTE>(best);
}

void BuildLevelTables() {
  for (int v = 0; v < 256; ++v) {
    Nearest4[v] = NearestLevel(kLevels4, v);
    Nearest6[v] = NearestLevel(kLevels6, v);
    Nearest7[v] = NearestLevel(kLevels7, v);
    Nearest8[v] = NearestLevel(kLevels8, v);
  }
}

// The unit's initialisation: the tables are filled before any program code runs and only read
// afterwards.
const bool LevelTablesBuilt = (BuildLevelTables(), true);

struct TRamp {
  std::span<const BYTE> Levels;
  const TLevelTable& Nearest;
};

// Colours red outermost, blue innermost: index = (red x greens + green) x blues + blue; the
// entries the levels do not reach keep 128 in all four bytes.
int Truncate(const TConversionRows& Rows, RGBQUAD* Colors, const TRamp& Red, const TRamp& Green, const TRamp& Blue) {
  std::memset(Colors, 128, 256 * sizeof(RGBQUAD));
  const auto greens = static_cast<int>(Green.Levels.size()), blues = static_cast<int>(Blue.Levels.size());
  int index = 0;
  for (BYTE r : Red.Levels)
    for (BYTE g : Green.Levels)
      for (BYTE b : Blue.Levels) Colors[index++] = RGBQUAD{b, g, r, 0};
  // One lookup per channel gives that channel's share of the index.
  std::array<BYTE, 256> redPart, greenPart, bluePart;
  for (int v = 0; v < 256; ++v) {
    redPart[v] = static_cast<BYTE>(Red.Nearest[v] * greens * blues);
    greenPart[v] = static_cast<BYTE>(Green.Nearest[v] * blues);
    bluePart[v] = Blue.Nearest[v];
  }
  ConvertRows(Rows, [&](BYTE b, BYTE g, BYTE r, int, int) {
    return static_cast<BYTE>(redPart[r] + greenPart[g] + bluePart[b]);
  });
  return index;
}

}  // namespace

int TruncatePalette784(const TConversionRows& Rows, RGBQUAD* Colors) {
  return Truncate(Rows, Colors, {kLevels7, Nearest7}, {kLevels8, Nearest8}, {kLevels4, Nearest4});
}

int TruncatePalette666(const TConversionRows& Rows, RGBQUAD* Colors) {
  return Truncate(Rows, Colors, {kLevels6, Nearest6}, {kLevels6, Nearest6}, {kLevels6, Nearest6});
}

// Each pixel shows one channel, chosen by (x + y) mod 3 from the first stored row's first pixel.
int TripelPalette(const TConversionRows& Rows, RGBQUAD* Colors) {
  std::memset(Colors, 0, 256 * sizeof(RGBQUAD));
  for (int i = 0; i < 64; ++i) {
    const auto level = static_cast<BYTE>(4 * i);
    Colors[i].rgbRed = level;
    Colors[64 + i].rgbGreen = level;
    Colors[128 + i].rgbBlue = level;
  }
  ConvertRows(Rows, [](BYTE b, BYTE g, BYTE r, int x, int y) {
    switch ((x + y) % 3) {
      case 0: return static_cast<BYTE>(r / 4);
      case 1: return static_cast<BYTE>(g / 4 + 64);
      default: return static_cast<BYTE>(b / 4 + 128);
    }
  });
  return 0;
}

int GrayscalePalette(const TConversionRows& Rows, RGBQUAD* Colors) {
  for (int i = 0; i < 256; ++i) Colors[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
  ConvertRows(Rows, [](BYTE b, BYTE g, BYTE r, int, int) { return GreyOf(r, g, b); });
  return 0;
}

void GrayscaleRows24(int Width, int Height, BYTE* Bits) {
  const TConversionRows rows{Width, Height, Bits, Bits};
  for (int y = 0; y < Height; ++y) {
    BYTE* pixel = Bits + rows.SourceStride() * y;
    for (int x = 0; x < Width; ++x, pixel += 3) pixel[0] = pixel[1] = pixel[2] = GreyOf(pixel[2], pixel[1], pixel[0]);
  }
}

}  // namespace qmgraph
