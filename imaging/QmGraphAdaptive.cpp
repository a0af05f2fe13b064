// The reductions that take their colours from the picture: the popularity palette over a
// hashed histogram bounded at 2049 colours, and the median cut of a 4-4-4 colour cube.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <numeric>

#include "imaging/QmGraph.h"
#include "imaging/QmGraphWork.h"

using namespace qmgraph;

namespace {

// ---- Popularity

constexpr int kMaxHistogramColors = 2049;
constexpr int kHashSlots = 5191;
constexpr int kSlots = 1 << 16;
constexpr int kMaxLevels = 14;  // masks of 24 kept bits down to 11, which hold at most 2048 colours
constexpr WORD kNone = 0xFFFF;  // an empty slot, no entry

struct THistogramEntry {
  BYTE Blue, Green, Red, Spare;
  DWORD Count;
  BYTE Index;  // the palette entry chosen for the colour
  BYTE Spare2[3];
};

// The masked colours of the pixels counted so far, in order of first appearance (which breaks
// ties between equal counts). A 2050th colour costs the masks a bit and merges the entries
// under the new masks; that gives the counts and the order a count from the start would, so
// one pass counts the picture. Each pixel counted leaves its entry in its own row, and writing
// the 8-bit rows looks up no colour.
struct THistogram {
  DWORD ColorCount;
  BYTE RedMask, GreenMask, BlueMask;
  THistogramEntry Colors[kMaxHistogramColors];
  // While counting, each entry's pixels in two counters that neighbours take turns at: adding
  // to the counter the pixel before has just added to would wait for that addition.
  DWORD Counts[kMaxHistogramColors][2];
  // The entry of each colour. Its channels' keys, exclusive-ored, give a slot: while the masks
  // keep 16 bits or fewer, its kept bits side by side, a slot of its own; above, a scattered
  // one, from which its own is the first on that names it or is empty.
  WORD Slots[kSlots];
  DWORD RedKey[256], GreenKey[256], BlueKey[256];
  WORD Order[kMaxHistogramColors];  // the entries by falling count, for the palette
  // One level for each set of masks counted under: the pixel number it began at and, for each
  // entry of a level left, the entry it merged into (for writing the rows, its palette index).
  int Level;
  std::int64_t LevelStart[kMaxLevels + 1];
  WORD Became[kMaxLevels][kMaxHistogramColors];
};

bool IsExact(const THistogram& H) {
  return std::popcount(H.RedMask) + std::popcount(H.GreenMask) + std::popcount(H.BlueMask) <= 16;
}

// The slot of a colour (blue, green and red bytes) under the masks: it names the colour's
// entry or is empty. There is always an empty slot: the table holds at most 2049 entries.
template <bool Exact>
inline std::size_t SlotOf(const THistogram& H, const BYTE* Color) {
  std::size_t slot = H.RedKey[Color[2]] ^ H.GreenKey[Color[1]] ^ H.BlueKey[Color[0]];
  if constexpr (!Exact) {
    const BYTE red = Color[2] & H.RedMask, green = Color[1] & H.GreenMask, blue = Color[0] & H.BlueMask;
    for (;; slot = (slot + 1) % kSlots) {
      const WORD entry = H.Slots[slot];
      if (entry == kNone) break;
      const THistogramEntry& e = H.Colors[entry];
      if (e.Red == red && e.Green == green && e.Blue == blue) break;
    }
  }
  return slot;
}

// A new colour's entry, the next one; none when the table is full.
template <bool Exact>
WORD AddEntry(THistogram& H, const BYTE* Color) {
  if (H.ColorCount == kMaxHistogramColors) return kNone;
  const WORD entry = static_cast<WORD>(H.ColorCount++);
  H.Slots[SlotOf<Exact>(H, Color)] = entry;
  H.Colors[entry] = THistogramEntry{static_cast<BYTE>(Color[0] & H.BlueMask), static_cast<BYTE>(Color[1] & H.GreenMask),
                                    static_cast<BYTE>(Color[2] & H.RedMask), 0, 0, 0, {}};
  H.Counts[entry][0] = H.Counts[entry][1] = 0;
  return entry;
}

// The entry of a colour under the masks; a new colour takes the next one, or none when the
// table is full.
template <bool Exact>
WORD EntryOf(THistogram& H, const BYTE* Color) {
  const WORD entry = H.Slots[SlotOf<Exact>(H, Color)];
  return entry != kNone ? entry : AddEntry<Exact>(H, Color);
}

// A channel's masked value scattered over 16 bits, each channel another way.
DWORD Scatter(int Value, int Channel) { return static_cast<DWORD>(Value + 256 * Channel) * 0x9E3779B1u >> 16; }

// The key tables of the masks, and every slot empty.
void Rekey(THistogram& H) {
  const int red = std::popcount(H.RedMask), green = std::popcount(H.GreenMask), blue = std::popcount(H.BlueMask);
  const bool exact = IsExact(H);
  for (int v = 0; v < 256; ++v) {
    if (exact) {
      H.RedKey[v] = static_cast<DWORD>(v >> (8 - red) << (green + blue));
      H.GreenKey[v] = static_cast<DWORD>(v >> (8 - green) << blue);
      H.BlueKey[v] = static_cast<DWORD>(v >> (8 - blue));
    } else {
      H.RedKey[v] = Scatter(v & H.RedMask, 0);
      H.GreenKey[v] = Scatter(v & H.GreenMask, 1);
      H.BlueKey[v] = Scatter(v & H.BlueMask, 2);
    }
  }
  std::memset(H.Slots, 0xFF, sizeof H.Slots);  // kNone
}

// Files the entries again under new masks: those that now share a colour merge into the first.
template <bool Exact>
void MergeEntries(THistogram& H) {
  WORD* became = H.Became[H.Level];
  const DWORD filed = H.ColorCount;
  H.ColorCount = 0;
  for (DWORD i = 0; i < filed; ++i) {
    const BYTE color[3] = {H.Colors[i].Blue, H.Colors[i].Green, H.Colors[i].Red};
    const DWORD first = H.Counts[i][0], second = H.Counts[i][1];
    const WORD merged = EntryOf<Exact>(H, color);  // i or before, so entry i is read first
    H.Counts[merged][0] += first;
    H.Counts[merged][1] += second;
    became[i] = merged;
  }
}

// From three full masks the bits go in the order blue, red, green, blue, red, green...; the
// new level begins at pixel number At.
void DropLowBit(THistogram& H, std::int64_t At) {
  if (H.GreenMask > H.RedMask) H.GreenMask = static_cast<BYTE>(H.GreenMask << 1);
  else if (H.RedMask > H.BlueMask) H.RedMask = static_cast<BYTE>(H.RedMask << 1);
  else H.BlueMask = static_cast<BYTE>(H.BlueMask << 1);
  Rekey(H);
  IsExact(H) ? MergeEntries<true>(H) : MergeEntries<false>(H);
  H.LevelStart[++H.Level] = At;
}

// The conversion is in place: Dest holds the 24-bit rows too.
BYTE* Row24(const TConversionRows& Rows, int Y) { return Rows.Dest + Rows.SourceStride() * Y; }

struct TPixelAt {
  int Y = 0, X = 0;
};

// Counts the pixels from At on, row by row in stored order, each one's entry left in its row at
// twice its column, over bytes of pixels already counted; false with At at the first pixel
// whose colour finds the table full.
template <bool Exact>
bool CountFrom(THistogram& H, const TConversionRows& Rows, TPixelAt& At) {
  for (int y = At.Y; y < Rows.Height; ++y, At.X = 0) {
    BYTE* const row = Row24(Rows, y);
    const auto count = [&H, row](int X, int Counter) {
      const WORD entry = EntryOf<Exact>(H, row + 3 * std::int64_t{X});
      if (entry == kNone) return false;
      ++H.Counts[entry][Counter];
      std::memcpy(row + 2 * std::int64_t{X}, &entry, sizeof entry);
      return true;
    };
    const auto stop = [&At, y](int X) {
      At = {y, X};
      return false;
    };
    int x = At.X;
    for (const int pairsEnd = x + (Rows.Width - x) / 2 * 2; x < pairsEnd; x += 2) {
      if (!count(x, 0)) return stop(x);
      if (!count(x + 1, 1)) return stop(x + 1);
    }
    if (x < Rows.Width && !count(x, 0)) return stop(x);
  }
  return true;
}

void CountColors(THistogram& H, const TConversionRows& Rows) {
  H.RedMask = H.GreenMask = H.BlueMask = 0xFF;
  Rekey(H);
  for (TPixelAt at; !(IsExact(H) ? CountFrom<true>(H, Rows, at) : CountFrom<false>(H, Rows, at));)
    DropLowBit(H, std::int64_t{at.Y} * Rows.Width + at.X);
  for (DWORD i = 0; i < H.ColorCount; ++i) H.Colors[i].Count = H.Counts[i][0] + H.Counts[i][1];
}

// The most frequent colours become entries 0, 1, ... (the first seen of equal counts first); a
// chosen colour's count drops to 0 so it is not chosen again.
void ChooseColors(THistogram& H, RGBQUAD* Colors, int Wanted) {
  WORD* const order = H.Order;
  const int chosen = std::min(Wanted, static_cast<int>(H.ColorCount));
  std::iota(order, order + H.ColorCount, WORD{0});
  std::partial_sort(order, order + chosen, order + H.ColorCount, [&H](WORD a, WORD b) {
    return H.Colors[a].Count != H.Colors[b].Count ? H.Colors[a].Count > H.Colors[b].Count : a < b;
  });
  for (int i = 0; i < chosen; ++i) {
    THistogramEntry& e = H.Colors[order[i]];
    e.Index = static_cast<BYTE>(i);
    e.Count = 0;
    Colors[i] = RGBQUAD{e.Blue, e.Green, e.Red, 0};
  }
  for (int i = chosen; i < 256; ++i) Colors[i] = RGBQUAD{128, 128, 128, 0};
}

constexpr int Square(int Value) { return Value * Value; }

// Every colour not chosen takes the nearest chosen one, the first of equal distances. The
// search goes both ways from the colour's green through the chosen colours in order of green,
// each way until green alone lies farther than the nearest so far.
void MapToNearest(THistogram& H, const RGBQUAD* Colors, int Wanted) {
  const auto greenOf = [Colors](BYTE c) { return Colors[c].rgbGreen; };
  std::array<BYTE, 256> byGreen;
  const auto begin = byGreen.begin(), end = byGreen.begin() + Wanted;
  std::iota(begin, end, BYTE{0});
  std::sort(begin, end, [&](BYTE a, BYTE b) { return greenOf(a) < greenOf(b); });
  for (DWORD i = 0; i < H.ColorCount; ++i) {
    THistogramEntry& e = H.Colors[i];
    if (e.Count == 0) continue;
    int bound = 0x30000;  // above the largest distance, 3 x 255 x 255
    const auto nearer = [&](BYTE c) {
      const int greenDistance = Square(e.Green - Colors[c].rgbGreen);
      if (greenDistance > bound) return false;
      const int distance = greenDistance + Square(e.Blue - Colors[c].rgbBlue) + Square(e.Red - Colors[c].rgbRed);
      if (distance < bound || (distance == bound && c < e.Index)) {
        bound = distance;
        e.Index = c;
      }
      return true;
    };
    const auto from = std::lower_bound(begin, end, e.Green, [&](BYTE c, BYTE green) { return greenOf(c) < green; });
    for (auto up = from; up != end && nearer(*up); ++up) {
    }
    for (auto down = from; down != begin && nearer(*(down - 1)); --down) {
    }
  }
}

// The 8-bit rows from the entries the count left in them: each level's entries take the
// palette index they came to, the last level's first, then the pixels theirs.
void WriteIndices(THistogram& H, const TConversionRows& Rows) {
  for (DWORD i = 0; i < H.ColorCount; ++i) H.Became[H.Level][i] = H.Colors[i].Index;
  for (int level = H.Level - 1; level >= 0; --level)
    for (WORD& became : H.Became[level]) became = H.Became[level + 1][became];
  H.LevelStart[H.Level + 1] = std::int64_t{Rows.Width} * Rows.Height;
  int level = 0;
  for (int y = 0; y < Rows.Height; ++y) {
    const BYTE* entries = Row24(Rows, y);
    BYTE* dest = Rows.DestRow(y);
    const std::int64_t first = std::int64_t{y} * Rows.Width;
    for (int x = 0; x < Rows.Width;) {
      while (H.LevelStart[level + 1] <= first + x) ++level;
      const WORD* palette = H.Became[level];
      const auto write = [&](int X) {
        WORD entry;
        std::memcpy(&entry, entries + 2 * std::int64_t{X}, sizeof entry);
        dest[X] = static_cast<BYTE>(palette[entry]);
      };
      // Two at a time: the loop's own steps are a good part of the work.
      const int stop = static_cast<int>(std::min<std::int64_t>(Rows.Width, H.LevelStart[level + 1] - first));
      for (; x + 1 < stop; x += 2) {
        write(x);
        write(x + 1);
      }
      if (x < stop) write(x++);
    }
    std::fill(dest + Rows.Width, dest + Rows.DestStride(), BYTE{0});
  }
}

// ---- Median cut

constexpr int kCells = 4096;
constexpr int kMaxBoxes = 256;

// One cell of the 4-4-4 cube: the top four bits of red, green and blue.
struct TColorCell {
  BYTE Key[3];  // red, green, blue
  BYTE Index;   // the palette entry of its box
  DWORD Count;
  TColorCell* Next;  // in its box's list
};

// A box of cells; per axis it spans Lower .. Lower + Extent in 0..255 units.
struct TColorBox {
  BYTE Lower[3];
  BYTE Extent[3];
  DWORD CellCount;
  DWORD PixelCount;
  TColorCell* First;
};

// `Count` cells ascending by the key of `Axis`: an insertion sort up to 7 cells (each cell
// moved before its equals), a quicksort around the middle cell's key above.
void SortCellsOnAxis(TColorCell** Cells, int Count, int Axis) {
  if (Count <= 7) {
    for (int i = 1; i < Count; ++i) {
      TColorCell* cell = Cells[i];
      int j = i;
      for (; j > 0 && Cells[j - 1]->Key[Axis] >= cell->Key[Axis]; --j) Cells[j] = Cells[j - 1];
      Cells[j] = cell;
    }
    return;
  }
  const BYTE pivot = Cells[Count / 2]->Key[Axis];
  int i = -1;
  int j = Count;
  for (;;) {
    do ++i;
    while (Cells[i]->Key[Axis] < pivot);
    do --j;
    while (Cells[j]->Key[Axis] > pivot);
    if (i >= j) break;
    std::swap(Cells[i], Cells[j]);
  }
  SortCellsOnAxis(Cells, i, Axis);
  SortCellsOnAxis(Cells + i, Count - i, Axis);
}

// Splits the widest box of two or more cells at the median of its pixels until there are
// MaxBoxes boxes or none left to split. `Cells` has room for every cell.
void SplitColorBoxes(TColorBox* Boxes, int& BoxCount, int MaxBoxes, TColorCell** Cells) {
  while (BoxCount < MaxBoxes) {
    int box = -1, axis = 0, widest = -1;
    for (int b = 0; b < BoxCount; ++b) {
      if (Boxes[b].CellCount < 2) continue;
      for (int a = 0; a < 3; ++a)
        if (Boxes[b].Extent[a] > widest) {
          widest = Boxes[b].Extent[a];
          box = b;
          axis = a;
        }
    }
    if (box < 0) return;
    TColorBox& split = Boxes[box];

    int n = 0;
    for (TColorCell* cell = split.First; cell; cell = cell->Next) Cells[n++] = cell;
    SortCellsOnAxis(Cells, n, axis);
    for (int k = 0; k + 1 < n; ++k) Cells[k]->Next = Cells[k + 1];
    Cells[n - 1]->Next = nullptr;

    // The head keeps m cells: the fewest for which m + 1 of them pass half the pixels, the
    // tail at least one.
    const DWORD half = split.PixelCount / 2;
    DWORD passed = Cells[0]->Count;
    int m = 1;
    while (m < n - 1) {
      passed += Cells[m]->Count;
      if (passed > half) break;
      ++m;
    }
    DWORD headPixels = 0;
    for (int k = 0; k < m; ++k) headPixels += Cells[k]->Count;
    const int low = 16 * Cells[m - 1]->Key[axis];
    const int high = 16 * Cells[m]->Key[axis];

    TColorBox& tail = Boxes[BoxCount];
    tail = split;
    tail.First = Cells[m];
    tail.CellCount = static_cast<DWORD>(n - m);
    tail.PixelCount = split.PixelCount - headPixels;
    tail.Lower[axis] = static_cast<BYTE>(high);
    tail.Extent[axis] = static_cast<BYTE>(split.Lower[axis] + split.Extent[axis] - high);

    Cells[m - 1]->Next = nullptr;
    split.First = Cells[0];
    split.CellCount = static_cast<DWORD>(m);
    split.PixelCount = headPixels;
    split.Extent[axis] = static_cast<BYTE>(low - split.Lower[axis]);
    ++BoxCount;
  }
}

// Colour b: the unweighted mean of its cells' keys, black when all three come out at 16 or less.
RGBQUAD BoxColor(const TColorBox& Box, BYTE Index) {
  DWORD sum[3] = {0, 0, 0};
  for (TColorCell* cell = Box.First; cell; cell = cell->Next) {
    cell->Index = Index;
    for (int a = 0; a < 3; ++a) sum[a] += cell->Key[a];
  }
  BYTE level[3];
  for (int a = 0; a < 3; ++a) level[a] = static_cast<BYTE>((16 * sum[a] + 15) / Box.CellCount);
  if (level[0] <= 16 && level[1] <= 16 && level[2] <= 16) return RGBQUAD{0, 0, 0, 0};
  return RGBQUAD{level[2], level[1], level[0], 0};
}

}  // namespace

int ColorHash(BYTE Red, BYTE Green, BYTE Blue) {
  return static_cast<int>(static_cast<unsigned>(Red + Green) * (Green + Blue) * (Blue + Red) % kHashSlots);
}

void PopularityPalette(const BITMAPINFOHEADER& Header, RGBQUAD* Colors, BYTE* Bits, int ColorsWanted) {
  const TConversionRows rows = RowsOf(Header, Bits, Bits);
  const int wanted = std::clamp(ColorsWanted, 0, 256);
  const TWorkBlock block(sizeof(THistogram));
  THistogram& h = *block.As<THistogram>();
  CountColors(h, rows);
  ChooseColors(h, Colors, wanted);
  MapToNearest(h, Colors, wanted);
  WriteIndices(h, rows);
}

void MedianCutPalette(const BITMAPINFOHEADER& Header, const BYTE* Source, BYTE* Dest, RGBQUAD* Colors, int& BoxCount) {
  const TConversionRows rows = RowsOf(Header, Source, Dest);
  const int maxBoxes = std::clamp(BoxCount, 1, kMaxBoxes);
  std::memset(Colors, 0, static_cast<std::size_t>(maxBoxes) * sizeof(RGBQUAD));
  BoxCount = 0;
  if (rows.Width <= 0 || rows.Height <= 0) return;  // no pixels, no boxes

  // One block for the cells, the boxes, a source row and the sort's pointers; one for the map.
  const std::int64_t cellsBytes = kCells * std::int64_t{sizeof(TColorCell)};
  const std::int64_t boxesBytes = kMaxBoxes * std::int64_t{sizeof(TColorBox)};
  const std::int64_t rowBytes = (rows.SourceStride() + 7) / 8 * 8;
  const TWorkBlock work(cellsBytes + boxesBytes + rowBytes + kCells * std::int64_t{sizeof(TColorCell*)});
  const TWorkBlock pixelMap(2 * std::int64_t{rows.Width} * rows.Height);
  TColorCell* cells = work.As<TColorCell>();
  TColorBox* boxes = work.As<TColorBox>(cellsBytes);
  BYTE* row = work.As<BYTE>(cellsBytes + boxesBytes);
  TColorCell** sorted = work.As<TColorCell*>(cellsBytes + boxesBytes + rowBytes);
  WORD* map = pixelMap.As<WORD>();

  for (int i = 0; i < kCells; ++i)
    cells[i] = TColorCell{{static_cast<BYTE>(i >> 8), static_cast<BYTE>(i >> 4 & 15), static_cast<BYTE>(i & 15)}, 0, 0, nullptr};
  // The map holds the picture's rows from the top down.
  for (int y = 0; y < rows.Height; ++y) {
    HMemCpy(row, rows.SourceRow(rows.Height - 1 - y), 3 * rows.Width);
    WORD* mapRow = map + std::int64_t{rows.Width} * y;
    const BYTE* pixel = row;
    for (int x = 0; x < rows.Width; ++x, pixel += 3) {
      const int cell = (pixel[2] & 0xF0) * 16 + (pixel[1] & 0xF0) + pixel[0] / 16;
      ++cells[cell].Count;
      mapRow[x] = static_cast<WORD>(cell);
    }
  }

  for (int b = 0; b < kMaxBoxes; ++b) boxes[b] = TColorBox{{0, 0, 0}, {255, 255, 255}, 0, 0, nullptr};
  TColorCell** link = &boxes[0].First;
  for (int i = 0; i < kCells; ++i) {
    if (cells[i].Count == 0) continue;
    *link = &cells[i];
    link = &cells[i].Next;
    ++boxes[0].CellCount;
  }
  boxes[0].PixelCount = static_cast<DWORD>(std::int64_t{rows.Width} * rows.Height);
  BoxCount = 1;
  SplitColorBoxes(boxes, BoxCount, maxBoxes, sorted);
  for (int b = 0; b < BoxCount; ++b)
    if (boxes[b].CellCount > 0) Colors[b] = BoxColor(boxes[b], static_cast<BYTE>(b));

  std::memset(rows.Dest, 0, static_cast<std::size_t>(rows.DestStride() * rows.Height));
  for (int y = 0; y < rows.Height; ++y) {
    const WORD* mapRow = map + std::int64_t{rows.Width} * (rows.Height - 1 - y);
    BYTE* dest = rows.DestRow(y);
    for (int x = 0; x < rows.Width; ++x) dest[x] = cells[mapRow[x]].Index;
  }
}
