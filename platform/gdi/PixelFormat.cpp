// The per-depth row routines and the colour conversions behind every drawing and blit.
// Multi-byte pixels are little-endian; 1- and 4-bit rows hold the leftmost pixel in the high bits.
#include "platform/gdi/PixelFormat.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace gdi {
namespace {

static_assert(std::endian::native == std::endian::little);

template <int Bits>
struct Packed {
  static constexpr Pixel kMask = (1u << Bits) - 1;
  static void read(const std::byte* row, int x, int count, Pixel* out) {
    for (int i = 0; i < count; ++i) {
      const long bit = static_cast<long>(x + i) * Bits;
      const auto byte = std::to_integer<unsigned>(row[bit >> 3]);
      out[i] = (byte >> (8 - Bits - (bit & 7))) & kMask;
    }
  }
  static void write(std::byte* row, int x, int count, const Pixel* in) {
    for (int i = 0; i < count; ++i) {
      const long bit = static_cast<long>(x + i) * Bits;
      const int shift = 8 - Bits - static_cast<int>(bit & 7);
      auto& byte = row[bit >> 3];
      byte = (byte & std::byte(~(kMask << shift))) | std::byte((in[i] & kMask) << shift);
    }
  }
  static void fill(std::byte* row, int x, int count, Pixel value) {
    constexpr int perByte = 8 / Bits;
    Pixel pattern = 0;
    for (int i = 0; i < perByte; ++i) pattern = (pattern << Bits) | (value & kMask);
    int i = 0;
    for (; i < count && (x + i) % perByte != 0; ++i) write(row, x + i, 1, &value);
    const int whole = (count - i) / perByte;
    std::memset(row + (x + i) / perByte, static_cast<int>(pattern), static_cast<std::size_t>(whole));
    for (i += whole * perByte; i < count; ++i) write(row, x + i, 1, &value);
  }
};

// 3-byte pixels move as 4 bytes but the last of a run, which may end the row: a read drops the
// extra byte, a write's extra byte is the next pixel's first, written again with it.
template <int Bytes>
struct Direct {
  static void read(const std::byte* row, int x, int count, Pixel* out) {
    const std::byte* p = row + static_cast<long>(x) * Bytes;
    int i = 0;
    if constexpr (Bytes == 3) {
      for (; i + 1 < count; ++i, p += 3) {
        Pixel v;
        std::memcpy(&v, p, 4);
        out[i] = v & 0xFFFFFF;
      }
    }
    for (; i < count; ++i, p += Bytes) {
      Pixel v = 0;
      std::memcpy(&v, p, Bytes);
      out[i] = v;
    }
  }
  static void write(std::byte* row, int x, int count, const Pixel* in) {
    std::byte* p = row + static_cast<long>(x) * Bytes;
    int i = 0;
    if constexpr (Bytes == 3)
      for (; i + 1 < count; ++i, p += 3) std::memcpy(p, &in[i], 4);
    for (; i < count; ++i, p += Bytes) std::memcpy(p, &in[i], Bytes);
  }
  // A value of one repeated byte (black, white) is a memset; any other is one pixel written,
  // then the filled part copied after itself, doubling each time.
  static void fill(std::byte* row, int x, int count, Pixel value) {
    if (count <= 0) return;
    std::byte* p = row + static_cast<long>(x) * Bytes;
    const auto total = static_cast<std::size_t>(count) * Bytes;
    if (OneByteRepeated(value)) {
      std::memset(p, static_cast<int>(value & 0xFF), total);
      return;
    }
    std::memcpy(p, &value, Bytes);
    for (std::size_t done = Bytes; done < total; done *= 2) std::memcpy(p + done, p, std::min(done, total - done));
  }
  static bool OneByteRepeated(Pixel value) {
    for (int i = 1; i < Bytes; ++i)
      if ((value >> (8 * i) & 0xFF) != (value & 0xFF)) return false;
    return true;
  }
};

// 5-6-5 and 5-5-5: colours round to the nearest level; levels widen by repeating their high
// bits, so a value read back and written again is unchanged.
constexpr Pixel Narrow(unsigned v, int bits) { return (v * ((1u << bits) - 1) + 127) / 255; }
constexpr unsigned Widen(Pixel v, int bits) { return (v << (8 - bits)) | (v >> (2 * bits - 8)); }

template <int GreenBits>
void Rgb16ToColors(Pixel* v, int n) {
  constexpr Pixel kGreen = (1u << GreenBits) - 1;
  for (int i = 0; i < n; ++i) {
    const Pixel p = v[i];
    v[i] = RGB(static_cast<BYTE>(Widen(p >> (5 + GreenBits) & 31, 5)), static_cast<BYTE>(Widen(p >> 5 & kGreen, GreenBits)),
               static_cast<BYTE>(Widen(p & 31, 5)));
  }
}
template <int GreenBits>
void Rgb16FromColors(Pixel* v, int n) {
  for (int i = 0; i < n; ++i) {
    const COLORREF c = v[i];
    v[i] = Narrow(GetRValue(c), 5) << (5 + GreenBits) | Narrow(GetGValue(c), GreenBits) << 5 | Narrow(GetBValue(c), 5);
  }
}
// 24 and 32 bits store blue, green, red: the value is 0x00RRGGBB, the colour 0x00BBGGRR.
void RgbToColors(Pixel* v, int n) {
  for (int i = 0; i < n; ++i) v[i] = RGB(static_cast<BYTE>(v[i] >> 16), static_cast<BYTE>(v[i] >> 8), static_cast<BYTE>(v[i]));
}
void RgbFromColors(Pixel* v, int n) {
  for (int i = 0; i < n; ++i) v[i] = static_cast<Pixel>(GetRValue(v[i])) << 16 | static_cast<Pixel>(GetGValue(v[i])) << 8 | GetBValue(v[i]);
}

constexpr std::array<FormatOps, 7> kFormats{{
    {1, true, 0x1, Packed<1>::read, Packed<1>::write, Packed<1>::fill, nullptr, nullptr},
    {4, true, 0xF, Packed<4>::read, Packed<4>::write, Packed<4>::fill, nullptr, nullptr},
    {8, true, 0xFF, Direct<1>::read, Direct<1>::write, Direct<1>::fill,
     nullptr, nullptr},
    {16, false, 0xFFFF, Direct<2>::read, Direct<2>::write,
     Direct<2>::fill, Rgb16ToColors<6>, Rgb16FromColors<6>},
    {24, false, 0xFFFFFF, Direct<3>::read, Direct<3>::write,
     Direct<3>::fill, RgbToColors, RgbFromColors},
    // The unused byte of a 32-bit pixel stays 0, so a pixel compares equal to its colour's value.
    {32, false, 0xFFFFFF, Direct<4>::read, Direct<4>::write,
     Direct<4>::fill, RgbToColors, RgbFromColors},
    // So does the unused top bit of a 5-5-5 pixel.
    {16, false, 0x7FFF, Direct<2>::read, Direct<2>::write,
     Direct<2>::fill, Rgb16ToColors<5>, Rgb16FromColors<5>},
}};
constexpr const FormatOps& kFormat555 = kFormats.back();

std::array<RGBQUAD, 256> MakeCubeTable() {
  std::array<RGBQUAD, 256> t{};
  for (int i = 0; i < 216; ++i)
    t[i] = {static_cast<BYTE>(i % 6 * 51), static_cast<BYTE>(i / 6 % 6 * 51), static_cast<BYTE>(i / 36 * 51), 0};
  for (int i = 0; i < 40; ++i) {
    const auto g = static_cast<BYTE>((i + 1) * 255 / 41);
    t[216 + i] = {g, g, g, 0};
  }
  return t;
}

}  // namespace

const FormatOps* FindFormat(int bitsPerPixel) {
  for (const auto& f : kFormats)
    if (f.bitsPerPixel == bitsPerPixel) return &f;
  return nullptr;
}

const FormatOps* FindFormat(const PixelBuffer& pixels) {
  return pixels.bitsPerPixel == 16 && pixels.rgb555 ? &kFormat555 : FindFormat(pixels.bitsPerPixel);
}

std::array<DWORD, 3> ChannelMasks(const PixelBuffer& pixels) {
  switch (pixels.bitsPerPixel) {
    case 16: return pixels.rgb555 ? kMasks555 : kMasks565;
    case 32: return kMasks888;
    default: return {};
  }
}

long long RowBytes(long long width, int bitsPerPixel, int align) {
  const long long bytes = (width * bitsPerPixel + 7) / 8;
  return (bytes + align - 1) / align * align;
}

std::uint32_t NearestIndex(std::span<const RGBQUAD> table, COLORREF color) {
  std::uint32_t best = 0;
  long bestDistance = -1;
  for (std::uint32_t i = 0; i < table.size(); ++i) {
    const long dr = long{table[i].rgbRed} - GetRValue(color);
    const long dg = long{table[i].rgbGreen} - GetGValue(color);
    const long db = long{table[i].rgbBlue} - GetBValue(color);
    const long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      best = i;
      bestDistance = d;
      if (d == 0) break;
    }
  }
  return best;
}

std::span<const RGBQUAD> DefaultColorTable(int bitsPerPixel) {
  static constexpr RGBQUAD kMono[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  static constexpr RGBQUAD kSixteen[16] = {
      {0, 0, 0, 0},       {0, 0, 128, 0},   {0, 128, 0, 0},   {0, 128, 128, 0},
      {128, 0, 0, 0},     {128, 0, 128, 0}, {128, 128, 0, 0}, {192, 192, 192, 0},
      {128, 128, 128, 0}, {0, 0, 255, 0},   {0, 255, 0, 0},   {0, 255, 255, 0},
      {255, 0, 0, 0},     {255, 0, 255, 0}, {255, 255, 0, 0}, {255, 255, 255, 0}};
  static const std::array<RGBQUAD, 256> kCube = MakeCubeTable();
  switch (bitsPerPixel) {
    case 1: return kMono;
    case 4: return kSixteen;
    case 8: return kCube;
    default: return {};
  }
}

ColorCoder::ColorCoder(const PixelBuffer& pixels)
    : ops_(FindFormat(pixels)), table_(pixels.palette) {
  if (ops_ == nullptr) ops_ = FindFormat(32);
  if (ops_->indexed) {
    const std::size_t limit = std::size_t{1} << ops_->bitsPerPixel;
    if (table_.empty()) table_ = DefaultColorTable(ops_->bitsPerPixel);
    if (table_.size() > limit) table_ = table_.first(limit);
  } else {
    table_ = {};
  }
}

Pixel ColorCoder::encode(COLORREF color) const {
  color &= 0xFFFFFF;
  if (ops_->indexed) return NearestIndex(table_, color);
  ops_->fromColors(&color, 1);
  return color;
}

COLORREF ColorCoder::decode(Pixel value) const {
  if (ops_->indexed) return value < table_.size() ? ColorOf(table_[value]) : 0;
  ops_->toColors(&value, 1);
  return value;
}

void ColorCoder::encodeRow(Pixel* values, int count) {
  if (!ops_->indexed) {
    for (int i = 0; i < count; ++i) values[i] &= 0xFFFFFF;
    ops_->fromColors(values, count);
    return;
  }
  constexpr int kCacheBits = 12;
  if (cache_.empty()) cache_.assign(std::size_t{1} << kCacheBits, ~std::uint64_t{0});
  for (int i = 0; i < count; ++i) {
    const COLORREF c = values[i] & 0xFFFFFF;
    auto& slot = cache_[(c * 2654435761u) >> (32 - kCacheBits)];
    if ((slot >> 32) != c) slot = std::uint64_t{c} << 32 | NearestIndex(table_, c);
    values[i] = static_cast<Pixel>(slot);
  }
}

void ColorCoder::decodeRow(Pixel* values, int count) const {
  if (!ops_->indexed) {
    ops_->toColors(values, count);
    return;
  }
  for (int i = 0; i < count; ++i) values[i] = values[i] < table_.size() ? ColorOf(table_[values[i]]) : 0;
}

}  // namespace gdi
