// What the conversions of QmGraph share: working blocks freed on every way out, the rows of a
// 24-bit picture converted in place to 8 bits, and the fixed reductions.
#pragma once

#include <cstdint>

#include "imaging/QmUtils.h"
#include "platform/gdi/Gdi.h"

namespace qmgraph {

// A zero-filled block of AllocMemo. Memory that cannot be had ends the conversion with
// EOutOfMemory "Out of memory"; the block is freed when its holder goes.
class TWorkBlock {
 public:
  explicit TWorkBlock(std::int64_t Size);
  ~TWorkBlock() { FreeMemo(FMemory); }
  TWorkBlock(const TWorkBlock&) = delete;
  TWorkBlock& operator=(const TWorkBlock&) = delete;
  BYTE* Bytes() const { return static_cast<BYTE*>(FMemory); }
  template <class T>
  T* As(std::int64_t Offset = 0) const {
    return static_cast<T*>(HugeOffset(FMemory, static_cast<std::int32_t>(Offset)));
  }

 private:
  void* FMemory = nullptr;
};

// The rows of a picture that one conversion turns from padded 24-bit pixels (blue, green, red)
// into padded 8-bit indices in the same order; Dest may be Source.
struct TConversionRows {
  int Width;
  int Height;
  const BYTE* Source;
  BYTE* Dest;
  std::int64_t SourceStride() const { return (std::int64_t{Width} * 3 + 3) / 4 * 4; }
  std::int64_t DestStride() const { return (std::int64_t{Width} + 3) / 4 * 4; }
  const BYTE* SourceRow(int Y) const { return Source + SourceStride() * Y; }
  BYTE* DestRow(int Y) const { return Dest + DestStride() * Y; }
};
inline TConversionRows RowsOf(const BITMAPINFOHEADER& Header, const BYTE* Source, BYTE* Dest) {
  return {Header.biWidth, Header.biHeight < 0 ? -Header.biHeight : Header.biHeight, Source, Dest};
}

// Every pixel through `index(blue, green, red, x, y)` (y = 0 the first stored row), row by row
// in stored order, each destination row padded with zeros. An 8-bit row never reaches bytes of
// the 24-bit rows that are still to be read, so Dest may be Source.
template <class IndexOf>
void ConvertRows(const TConversionRows& Rows, IndexOf index) {
  for (int y = 0; y < Rows.Height; ++y) {
    const BYTE* source = Rows.SourceRow(y);
    BYTE* dest = Rows.DestRow(y);
    for (int x = 0; x < Rows.Width; ++x, source += 3) dest[x] = index(source[0], source[1], source[2], x, y);
    for (std::int64_t x = Rows.Width; x < Rows.DestStride(); ++x) dest[x] = 0;
  }
}

// The fixed reductions: each fills the 256-entry colour table, converts the rows and returns
// the header's important-colours count (0: all of them).
int TruncatePalette784(const TConversionRows& Rows, RGBQUAD* Colors);
int TruncatePalette666(const TConversionRows& Rows, RGBQUAD* Colors);
int TripelPalette(const TConversionRows& Rows, RGBQUAD* Colors);
int GrayscalePalette(const TConversionRows& Rows, RGBQUAD* Colors);
// Padded 24-bit rows turned grey where they are, each pixel's three bytes its grey.
void GrayscaleRows24(int Width, int Height, BYTE* Bits);

// The grey of a colour, 0 to 255 (weights 77, 150, 29 over 256).
constexpr BYTE GreyOf(BYTE Red, BYTE Green, BYTE Blue) {
  return static_cast<BYTE>((Red * 77 + Green * 150 + Blue * 29) >> 8);
}

}  // namespace qmgraph
