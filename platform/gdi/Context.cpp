// Shared helpers of the API units: context lookup, painter set-up, colour references, brush inks
// and device-independent bit formats (checked before any byte of them is touched).
#include "platform/gdi/Context.h"

#include <array>
#include <cstring>

#include "platform/gdi/Rle.h"

namespace gdi {

std::shared_ptr<DcObject> FindDc(HDC hdc) { return Find<DcObject>(hdc); }

namespace {

// v * numerator / denominator, rounded half away from zero.
long long Scale(long long v, long long numerator, long long denominator) {
  const long long product = v * numerator;
  const long long d = denominator < 0 ? -denominator : denominator;
  const long long magnitude = ((product < 0 ? -product : product) + d / 2) / d;
  return (product < 0) != (denominator < 0) ? -magnitude : magnitude;
}

}  // namespace

Mapping::Mapping(const DcState& s)
    : wo_(s.windowOrg), vo_(s.viewportOrg), we_(s.windowExt), ve_(s.viewportExt),
      identity_(s.windowOrg.x == 0 && s.windowOrg.y == 0 && s.viewportOrg.x == 0 && s.viewportOrg.y == 0 &&
                (s.mapMode == MM_TEXT || (s.windowExt.cx == s.viewportExt.cx && s.windowExt.cy == s.viewportExt.cy))) {
  if (s.mapMode == MM_TEXT) we_ = ve_ = SIZE{1, 1};
}

Point Mapping::point(LONG x, LONG y) const {
  if (identity_) return {Coord(x), Coord(y)};
  const long long dx = Scale(static_cast<long long>(x) - wo_.x, ve_.cx, we_.cx) + vo_.x;
  const long long dy = Scale(static_cast<long long>(y) - wo_.y, ve_.cy, we_.cy) + vo_.y;
  return {static_cast<int>(std::clamp<long long>(dx, -kCoordinateLimit, kCoordinateLimit)),
          static_cast<int>(std::clamp<long long>(dy, -kCoordinateLimit, kCoordinateLimit))};
}

Rect Mapping::rect(LONG left, LONG top, LONG right, LONG bottom) const {
  const Point a = point(left, top), b = point(right, bottom);
  return Rect::Normalized(a.x, a.y, b.x, b.y);
}

POINT Mapping::logical(LONG x, LONG y) const {
  if (identity_) return {x, y};
  const long long lx = Scale(static_cast<long long>(x) - vo_.x, we_.cx, ve_.cx) + wo_.x;
  const long long ly = Scale(static_cast<long long>(y) - vo_.y, we_.cy, ve_.cy) + wo_.y;
  return {static_cast<LONG>(std::clamp<long long>(lx, INT32_MIN, INT32_MAX)),
          static_cast<LONG>(std::clamp<long long>(ly, INT32_MIN, INT32_MAX))};
}

PixelBuffer TargetOf(const DcObject& dc) { return dc.state.bitmap ? dc.state.bitmap->pixels : PixelBuffer{}; }

PixelBuffer DrawTargetOf(const DcObject& dc) {
  return dc.state.bitmap && !dc.state.bitmap->stock ? dc.state.bitmap->pixels : PixelBuffer{};
}

Rect ClipOf(const DcObject& dc) {
  const PixelBuffer px = TargetOf(dc);
  const Rect bounds{0, 0, px.width, px.height};
  return dc.state.clip ? dc.state.clip->intersected(bounds) : bounds;
}

std::optional<Painter> PainterOf(const DcObject& dc) {
  const PixelBuffer px = DrawTargetOf(dc);
  if (!px.bits) return std::nullopt;
  return std::optional<Painter>(std::in_place, px, ClipOf(dc), RopFromMix(dc.state.mix));
}

COLORREF ResolveColor(const DcObject& dc, COLORREF color) {
  if ((color >> 24) == 0x01) {
    const auto& entries = dc.state.palette->entries;
    const std::size_t i = color & 0xFFFF;
    if (i >= entries.size()) return 0;
    return RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
  }
  return color & 0xFFFFFF;
}

std::optional<Ink> BrushInk(const DcObject& dc, const BrushObject& brush, ColorCoder& coder,
                            std::optional<Pattern>& storage) {
  if (brush.null) return std::nullopt;
  if (!brush.pattern) return Ink{coder.encode(ResolveColor(dc, brush.color))};
  const BrushPattern& bp = *brush.pattern;
  Pattern& p = storage.emplace();
  p.width = bp.width;
  p.height = bp.height;
  p.values.reserve(bp.colors.size());
  const Pixel zero = coder.encode(dc.state.textColor), one = coder.encode(dc.state.bkColor);
  for (COLORREF c : bp.colors) p.values.push_back(bp.mono ? (c ? one : zero) : coder.encode(c));
  return Ink{0, &p};
}

std::optional<DibFormat> ReadDibLayout(const BITMAPINFO* info, Rle rle) {
  if (!info) return std::nullopt;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN)
    return std::nullopt;
  if (!FindFormat(h.biBitCount)) return std::nullopt;
  bool rgb555 = false;
  if (h.biCompression == BI_BITFIELDS) {
    if (h.biBitCount != 16 && h.biBitCount != 32) return std::nullopt;
    std::array<DWORD, 3> masks;
    // The masks follow the first 40 bytes, inside the larger headers as after the small one.
    std::memcpy(masks.data(), reinterpret_cast<const std::byte*>(info) + 40, sizeof masks);
    rgb555 = h.biBitCount == 16 && masks == kMasks555;
    const bool ok = h.biBitCount == 16 ? rgb555 || masks == kMasks565 : masks == kMasks888;
    if (!ok) return std::nullopt;
  } else if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
    const WORD bits = h.biCompression == BI_RLE8 ? 8 : 4;
    if (rle == Rle::Refused || h.biBitCount != bits || h.biHeight < 0) return std::nullopt;
  } else if (h.biCompression != BI_RGB) {
    return std::nullopt;
  }
  DibFormat f;
  f.compression = h.biCompression;
  f.rleBytes = f.rle() ? h.biSizeImage : 0;
  f.width = h.biWidth;
  f.height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  f.bottomUp = h.biHeight > 0;
  f.bitsPerPixel = h.biBitCount;
  f.rgb555 = rgb555;
  f.stride = RowBytes(f.width, f.bitsPerPixel, 4);
  if (f.stride * f.height > (1LL << 30)) return std::nullopt;
  return f;
}

std::optional<DibFormat> ReadDibFormat(const BITMAPINFO* info, UINT usage, const DcObject* dc, Rle rle) {
  auto f = ReadDibLayout(info, rle);
  if (!f) return std::nullopt;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const auto* extra = reinterpret_cast<const std::byte*>(info) + h.biSize;
  if (f->bitsPerPixel <= 8) {
    const DWORD limit = 1u << f->bitsPerPixel;
    const DWORD count = h.biClrUsed == 0 || h.biClrUsed > limit ? limit : h.biClrUsed;
    f->colors.resize(count);
    if (usage == DIB_PAL_COLORS) {
      const auto& entries = dc ? dc->state.palette->entries
                               : std::static_pointer_cast<PaletteObject>(StockObject(DEFAULT_PALETTE))->entries;
      for (DWORD i = 0; i < count; ++i) {
        WORD index = 0;
        std::memcpy(&index, extra + i * sizeof(WORD), sizeof index);
        const PALETTEENTRY e = index < entries.size() ? entries[index] : PALETTEENTRY{};
        f->colors[i] = {e.peBlue, e.peGreen, e.peRed, 0};
      }
    } else {
      std::memcpy(f->colors.data(), extra, count * sizeof(RGBQUAD));
    }
  }
  return f;
}

PixelBuffer DibView(const DibFormat& format, const void* bits) {
  PixelBuffer p;
  auto* first = static_cast<std::byte*>(const_cast<void*>(bits));
  p.width = format.width;
  p.height = format.height;
  p.bitsPerPixel = format.bitsPerPixel;
  p.rgb555 = format.rgb555;
  p.pitch = static_cast<int>(format.stride);
  p.bits = first;
  if (format.bottomUp) {
    p.bits = first + format.stride * (format.height - 1);
    p.pitch = -p.pitch;
  }
  p.palette = format.colors;
  return p;
}

std::vector<std::byte> DecodeDibRows(const DibFormat& format, const void* bits) {
  std::vector<std::byte> rows(static_cast<std::size_t>(format.imageBytes()));
  const std::span<const std::byte> data(static_cast<const std::byte*>(bits), format.rleBytes);
  const auto row = [&](int y) { return rows.data() + format.stride * y; };
  if (!DecodeRle(data, format.bitsPerPixel, format.width, format.height, row)) return {};
  return rows;
}

}  // namespace gdi
