// Pixel formats of the device-independent bitmaps: reading and writing rows of pixel values and
// converting between pixel values and colours. One table serves every depth.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/GdiMemory.h"

namespace gdi {

// One pixel's value in its buffer's format: a table index, 5-6-5 or 5-5-5 bits, or 0x00RRGGBB.
using Pixel = std::uint32_t;

// The row routines of one depth. `read`, `write` and `fill` address `count` pixels from column
// `x` of a row; `toColors`/`fromColors` convert direct-colour values in place.
struct FormatOps {
  int bitsPerPixel;
  bool indexed;
  Pixel mask;  // the bits a raster operation may set
  void (*read)(const std::byte* row, int x, int count, Pixel* out);
  void (*write)(std::byte* row, int x, int count, const Pixel* in);
  void (*fill)(std::byte* row, int x, int count, Pixel value);
  void (*toColors)(Pixel* values, int count);
  void (*fromColors)(Pixel* values, int count);
};

// The routines for 1, 4, 8, 16 (5-6-5), 24 or 32 bits per pixel; null for any other depth.
const FormatOps* FindFormat(int bitsPerPixel);
// The routines for a buffer's pixels (its 16-bit layout included); null for a depth there is none for.
const FormatOps* FindFormat(const PixelBuffer& pixels);

// The red, green and blue masks of the direct-colour layouts a buffer can hold, and those of a
// buffer's pixels (zeros but at 16 and 32 bits).
inline constexpr std::array<DWORD, 3> kMasks565{0xF800, 0x07E0, 0x001F};
inline constexpr std::array<DWORD, 3> kMasks555{0x7C00, 0x03E0, 0x001F};
inline constexpr std::array<DWORD, 3> kMasks888{0xFF0000, 0x00FF00, 0x0000FF};
std::array<DWORD, 3> ChannelMasks(const PixelBuffer& pixels);

// Bytes of one row of `width` pixels, padded to a multiple of `align` bytes.
long long RowBytes(long long width, int bitsPerPixel, int align);

inline COLORREF ColorOf(const RGBQUAD& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }
inline RGBQUAD QuadOf(COLORREF c) { return {GetBValue(c), GetGValue(c), GetRValue(c), 0}; }

// Index of the entry nearest to `color` by squared RGB distance; the lowest index wins ties.
std::uint32_t NearestIndex(std::span<const RGBQUAD> table, COLORREF color);

// The table a paletted buffer without a colour table of its own uses: black and white, the 16
// standard colours, or a 6x6x6 cube followed by 40 greys.
std::span<const RGBQUAD> DefaultColorTable(int bitsPerPixel);

// Converts between colours and the pixel values of one buffer. Paletted buffers map a colour to
// the nearest entry of their table; rows of colours use a small cache for that search.
class ColorCoder {
 public:
  explicit ColorCoder(const PixelBuffer& pixels);
  const FormatOps& ops() const { return *ops_; }
  std::span<const RGBQUAD> table() const { return table_; }
  Pixel encode(COLORREF color) const;
  COLORREF decode(Pixel value) const;
  void encodeRow(Pixel* values, int count);
  void decodeRow(Pixel* values, int count) const;

 private:
  const FormatOps* ops_;
  std::span<const RGBQUAD> table_;
  std::vector<std::uint64_t> cache_;  // colour << 32 | index; filled on first use
};

}  // namespace gdi
