// What the API units share: resolving a device context, the painter over its bitmap, its
// colours and inks, and reading the format of device-independent bits.
#pragma once

#include <algorithm>
#include <memory>
#include <optional>

#include "platform/gdi/Objects.h"
#include "platform/gdi/Painter.h"

namespace gdi {

std::shared_ptr<DcObject> FindDc(HDC hdc);

// Drawing coordinates are kept within 27 bits, as on the platform, so no size computed from
// them overflows.
constexpr int kCoordinateLimit = 1 << 27;
constexpr int Coord(LONG v) { return std::clamp<LONG>(v, -kCoordinateLimit, kCoordinateLimit); }
constexpr Point CoordOf(const POINT& p) { return {Coord(p.x), Coord(p.y)}; }
constexpr Rect CoordOf(const RECT& r) { return {Coord(r.left), Coord(r.top), Coord(r.right), Coord(r.bottom)}; }

// A context's logical coordinates as device pixels.
class Mapping {
 public:
  explicit Mapping(const DcState& s);
  bool identity() const { return identity_; }
  Point point(LONG x, LONG y) const;
  Point point(const POINT& p) const { return point(p.x, p.y); }
  // The rectangle between two logical corners, normalised.
  Rect rect(LONG left, LONG top, LONG right, LONG bottom) const;
  Rect rect(const RECT& r) const { return rect(r.left, r.top, r.right, r.bottom); }
  // Device pixels back to logical coordinates.
  POINT logical(LONG x, LONG y) const;

 private:
  POINT wo_, vo_;
  SIZE we_, ve_;
  bool identity_;
};

// The pixels of the context's selected bitmap; empty `bits` for the screen.
PixelBuffer TargetOf(const DcObject& dc);

// The pixels drawing may change: none for the screen, nor for the 1x1 bitmap that every fresh
// memory context shares (contexts on other threads may hold it too).
PixelBuffer DrawTargetOf(const DcObject& dc);

// The clip rectangle in device coordinates (the bitmap's bounds when none is set).
Rect ClipOf(const DcObject& dc);

// A painter over the context's bitmap with its clip and pen mode, none for the screen.
std::optional<Painter> PainterOf(const DcObject& dc);

// A colour reference as RGB: palette indices look up the selected palette, palette-relative
// colours drop their flag.
COLORREF ResolveColor(const DcObject& dc, COLORREF color);

// A brush's ink in the painter's pixel values; none for a null brush. A pattern brush fills
// `storage`, which must outlive the ink.
std::optional<Ink> BrushInk(const DcObject& dc, const BrushObject& brush, ColorCoder& coder,
                            std::optional<Pattern>& storage);

// Rows of device-independent bits as an info header describes them. Run-length encoded bits
// (bottom-up 8 or 4 bits) stand for such rows once decoded; `rleBytes` is their data's size.
struct DibFormat {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  bool rgb555 = false;  // 16-bit pixels whose bit fields say 5-5-5
  bool bottomUp = true;
  long long stride = 0;
  std::vector<RGBQUAD> colors;
  DWORD compression = BI_RGB;
  std::size_t rleBytes = 0;
  long long imageBytes() const { return stride * height; }
  bool rle() const { return compression == BI_RLE8 || compression == BI_RLE4; }
};

// Whether a function takes run-length encoded bits; the platform's sections never hold them.
enum class Rle { Refused, Accepted };

// The row layout an info header gives, without its colour table; none for a header the layer
// cannot draw. The size of run-length data is the header's `biSizeImage`.
std::optional<DibFormat> ReadDibLayout(const BITMAPINFO* info, Rle rle);

// The layout with the colour table read through `usage` (palette indices name entries of the
// context's palette).
std::optional<DibFormat> ReadDibFormat(const BITMAPINFO* info, UINT usage, const DcObject* dc, Rle rle);

// A pixel view over `bits` laid out as `format` says; its palette refers to `format.colors`.
PixelBuffer DibView(const DibFormat& format, const void* bits);

// The rows that run-length encoded `bits` stand for, bottom row first, each `format.stride`
// long; empty for damaged data.
std::vector<std::byte> DecodeDibRows(const DibFormat& format, const void* bits);

}  // namespace gdi
