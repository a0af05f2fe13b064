// The reductions that take their colours from the picture: the popularity palette over a
// hashed histogram bounded at 2049 colours, and the median cut of a 4-4-4 colour cube.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "imaging/QmGraph.h"
#include "imaging/QmGraphWork.h"

using namespace qmgraph;

namespace {

// ---- Popularity

constexpr int kHashSlots = 5191;
constexpr int kMaxHistogramColors = 2049;  // keeps the hash table under 40% full
constexpr WORD kEmptySlot = 0xFFFF;

struct THistogramEntry {
  BYTE Blue, Green, Red, Spare;
  DWORD Count;
  BYTE Index;  // the palette entry chosen for the colour
  BYTE Spare2[3];
};

struct THistogram {
  DWORD ColorCount;
  BYTE RedMask, GreenMask, BlueMask;
  THistogramEntry Colors[kMaxHistogramColors];
  WORD Hash[kHashSlots];  // entry indices
  // Beside the hash while the masks keep 16 bits or fewer: entry + 1 (0: none yet) by the
  // masked colour's kept bits. The probes are the slow part of a pass, and the passes that
  // settle a photograph's palette run at such masks.
  WORD Direct[1 << 16];
};

// Where a masked colour lies in the direct table: its kept bits side by side (the masks keep
// the high bits of each channel).
class TDirectIndex {
 public:
  explicit TDirectIndex(const THistogram& H)
      : FRed(std::popcount(H.RedMask)), FGreen(std::popcount(H.GreenMask)), FBlue(std::popcount(H.BlueMask)) {}
  bool Usable() const { return FRed + FGreen + FBlue <= 16; }
  int operator()(BYTE Red, BYTE Green, BYTE Blue) const {
    return (Red >> (8 - FRed)) << (FGreen + FBlue) | (Green >> (8 - FGreen)) << FBlue | Blue >> (8 - FBlue);
  }

 private:
  int FRed, FGreen, FBlue;
};

// The slot that names the colour, or the empty slot where it belongs. There is always an
// empty slot: the table holds at most 2049 of 5191.
int FindSlot(const THistogram& H, BYTE Red, BYTE Green, BYTE Blue) {
  for (int slot = ColorHash(Red, Green, Blue);; slot = slot + 1 == kHashSlots ? 0 : slot + 1) {
    const WORD entry = H.Hash[slot];
    if (entry == kEmptySlot) return slot;
    const THistogramEntry& e = H.Colors[entry];
    if (e.Red == Red && e.Green == Green && e.Blue == Blue) return slot;
  }
}

// Counts the masked colours of every pixel; false as soon as a 2050th colour turns up.
template <bool Direct>
bool CountColors(THistogram& H, const TConversionRows& Rows) {
  const TDirectIndex direct(H);
  for (int y = 0; y < Rows.Height; ++y) {
    const BYTE* pixel = Rows.SourceRow(y);
    for (int x = 0; x < Rows.Width; ++x, pixel += 3) {
      const BYTE b = pixel[0] & H.BlueMask, g = pixel[1] & H.GreenMask, r = pixel[2] & H.RedMask;
      WORD* known = Direct ? &H.Direct[direct(r, g, b)] : nullptr;
      if (Direct && *known) {
        ++H.Colors[*known - 1].Count;
        continue;
      }
      const int slot = FindSlot(H, r, g, b);
      if (H.Hash[slot] != kEmptySlot) {
        ++H.Colors[H.Hash[slot]].Count;
        continue;
      }
      if (H.ColorCount == kMaxHistogramColors) return false;
      H.Colors[H.ColorCount] = THistogramEntry{b, g, r, 0, 1, 0, {}};
      H.Hash[slot] = static_cast<WORD>(H.ColorCount++);
      if (Direct) *known = static_cast<WORD>(H.ColorCount);
    }
  }
  return true;
}

bool CountColors(THistogram& H, const TConversionRows& Rows) {
  H.ColorCount = 0;
  std::fill(std::begin(H.Hash), std::end(H.Hash), kEmptySlot);
  if (!TDirectIndex(H).Usable()) return CountColors<false>(H, Rows);
  std::fill(std::begin(H.Direct), std::end(H.Direct), 0);
  return CountColors<true>(H, Rows);
}

// From three full masks the bits go in the order blue, red, green, blue, red, green...
void DropLowBit(THistogram& H) {
  if (H.GreenMask > H.RedMask) H.GreenMask = static_cast<BYTE>(H.GreenMask << 1);
  else if (H.RedMask > H.BlueMask) H.RedMask = static_cast<BYTE>(H.RedMask << 1);
  else H.BlueMask = static_cast<BYTE>(H.BlueMask << 1);
}

// The most frequent colours become entries 0, 1, ... (the first of equal counts first); a
// chosen colour's count drops to 0 so it is not chosen again.
void ChooseColors(THistogram& H, RGBQUAD* Colors, int Wanted) {
  int chosen = 0;
  for (; chosen < Wanted && chosen < static_cast<int>(H.ColorCount); ++chosen) {
    THistogramEntry* best = &H.Colors[0];
    for (DWORD i = 1; i < H.ColorCount; ++i)
      if (H.Colors[i].Count > best->Count) best = &H.Colors[i];
    best->Index = static_cast<BYTE>(chosen);
    best->Count = 0;
    Colors[chosen] = RGBQUAD{best->Blue, best->Green, best->Red, 0};
  }
  for (int i = chosen; i < 256; ++i) Colors[i] = RGBQUAD{128, 128, 128, 0};
}

// Every colour not chosen takes the nearest chosen one; the first of equal distances wins.
void MapToNearest(THistogram& H, const RGBQUAD* Colors, int Wanted) {
  for (DWORD i = 0; i < H.ColorCount; ++i) {
    THistogramEntry& e = H.Colors[i];
    if (e.Count == 0) continue;
    int bound = 0x30000;  // above the largest distance, 3 x 255 x 255
    for (int c = 0; c < Wanted; ++c) {
      const int db = e.Blue - Colors[c].rgbBlue, dg = e.Green - Colors[c].rgbGreen, dr = e.Red - Colors[c].rgbRed;
      const int distance = db * db + dg * dg + dr * dr;
      if (distance < bound) {
        bound = distance;
        e.Index = static_cast<BYTE>(c);
      }
    }
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

void PopularityPalette(const BITMAPINFOHEADER& Header, RGBQUAD* Colors, const BYTE* Source, int ColorsWanted,
                       BYTE* Dest) {
  const TConversionRows rows = RowsOf(Header, Source, Dest);
  const int wanted = std::clamp(ColorsWanted, 0, 256);
  const TWorkBlock block(sizeof(THistogram));
  THistogram& h = *block.As<THistogram>();
  h.RedMask = h.GreenMask = h.BlueMask = 0xFF;
  while (!CountColors(h, rows)) DropLowBit(h);
  ChooseColors(h, Colors, wanted);
  MapToNearest(h, Colors, wanted);
  // Every masked colour of the picture is in the table.
  const TDirectIndex direct(h);
  if (direct.Usable()) {
    ConvertRows(rows, [&](BYTE b, BYTE g, BYTE r, int, int) {
      return h.Colors[h.Direct[direct(r & h.RedMask, g & h.GreenMask, b & h.BlueMask)] - 1].Index;
    });
  } else {
    ConvertRows(rows, [&h](BYTE b, BYTE g, BYTE r, int, int) {
      return h.Colors[h.Hash[FindSlot(h, r & h.RedMask, g & h.GreenMask, b & h.BlueMask)]].Index;
    });
  }
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
