// Pixels, lines, rectangles, ellipses, polygons, rectangle fills and the block transfers, each a
// painter or a transfer over the context's bitmap in device pixels of the context's mapping;
// drawing on the screen's context goes nowhere.
#include "platform/gdi/Blit.h"
#include "platform/gdi/Context.h"
#include "platform/gdi/Scratch.h"

using namespace gdi;

namespace {

std::optional<Ink> PenInk(const DcObject& dc, ColorCoder& coder) {
  if (dc.state.pen->style == PS_NULL) return std::nullopt;
  return Ink{coder.encode(ResolveColor(dc, dc.state.pen->color))};
}

// The on and off runs of a styled pen one pixel wide; none for a solid or wider pen.
std::span<const std::uint8_t> DashRuns(const PenObject& pen) {
  static constexpr std::uint8_t kDash[] = {18, 6}, kDot[] = {3, 3}, kDashDot[] = {9, 6, 3, 6},
                                kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  if (pen.width > 1) return {};
  switch (pen.style) {
    case PS_DASH: return kDash;
    case PS_DOT: return kDot;
    case PS_DASHDOT: return kDashDot;
    case PS_DASHDOTDOT: return kDashDotDot;
    default: return {};
  }
}

// Draws lines with the context's pen: styled pens keep their dash state from one segment to
// the next and fill their gaps with the background colour when the background is opaque.
class PenStroke {
 public:
  PenStroke(const DcObject& dc, Painter& painter, const Ink& pen)
      : painter_(painter), pen_(pen), width_(dc.state.pen->width) {
    style_.runs = DashRuns(*dc.state.pen);
    if (dc.state.bkMode == OPAQUE) gap_ = Ink{painter.coder().encode(ResolveColor(dc, dc.state.bkColor))};
  }
  void line(Point a, Point b) {
    if (style_.runs.empty()) return painter_.line(a, b, pen_, width_);
    painter_.line(a, b, pen_, 1, &style_, gap_ ? &*gap_ : nullptr);
  }
  bool styled() const { return !style_.runs.empty(); }

 private:
  Painter& painter_;
  Ink pen_;
  int width_;
  LineStyle style_;
  std::optional<Ink> gap_;
};

// Lines through the device points in turn, back to the first when `closed`.
void DrawPolyline(PenStroke& stroke, std::span<const Point> points, bool closed) {
  for (std::size_t i = 0; i + 1 < points.size(); ++i) stroke.line(points[i], points[i + 1]);
  if (closed && !points.empty()) stroke.line(points.back(), points.front());
}

// Outline with the pen, interior with the brush; a styled pen outlines a rectangle with
// dashes (an ellipse's outline stays solid).
BOOL DrawShape(HDC hdc, Shape::Kind kind, int left, int top, int right, int bottom) {
  const auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  auto painter = PainterOf(*dc);
  if (!painter) return TRUE;
  std::optional<Pattern> tile;
  const auto pen = PenInk(*dc, painter->coder());
  const auto brush = BrushInk(*dc, *dc->state.brush, painter->coder(), tile);
  const Shape shape{kind, Mapping(dc->state).rect(left, top, right, bottom)};
  std::optional<PenStroke> stroke;
  if (pen) stroke.emplace(*dc, *painter, *pen);
  const bool dashed = stroke && stroke->styled() && kind == Shape::Kind::Rectangle && !shape.box.empty();
  painter->shape(shape, pen && !dashed ? &*pen : nullptr, dc->state.pen->width, brush ? &*brush : nullptr);
  if (dashed) {
    const Rect& b = shape.box;
    const Point corners[] = {{b.left, b.top}, {b.right - 1, b.top}, {b.right - 1, b.bottom - 1}, {b.left, b.bottom - 1}};
    DrawPolyline(*stroke, corners, true);
  }
  return TRUE;
}

// The points in device pixels, without an allocation for the usual small polygon.
template <std::size_t N>
std::span<Point> DevicePoints(const DcObject& dc, const POINT* points, int count, Scratch<Point, N>& room) {
  const Mapping map(dc.state);
  const std::span<Point> out = room.values();
  for (int i = 0; i < count; ++i) out[static_cast<std::size_t>(i)] = map.point(points[i]);
  return out;
}

// A transfer's rectangle in device pixels: its corners mapped, its direction kept.
BlitArea DeviceArea(const DcObject& dc, int x, int y, int width, int height) {
  const Mapping map(dc.state);
  const Point a = map.point(x, y);
  const Point b = map.point(static_cast<LONG>(static_cast<long long>(x) + width),
                            static_cast<LONG>(static_cast<long long>(y) + height));
  return {a.x, a.y, b.x - a.x, b.y - a.y};
}

// The brush as the pattern operand of a transfer; a null brush paints nothing.
bool TransferPattern(const DcObject& dc, RopCode rop, Painter& painter, std::optional<Pattern>& tile, Ink& ink) {
  if (!RopUsesPattern(rop)) return true;
  const auto brush = BrushInk(dc, *dc.state.brush, painter.coder(), tile);
  if (!brush) return false;
  ink = *brush;
  return true;
}

}  // namespace

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  const auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  auto painter = PainterOf(*dc);
  if (!painter) return ResolveColor(*dc, color);
  const Pixel v = painter->coder().encode(ResolveColor(*dc, color));
  const Point p = Mapping(dc->state).point(x, y);
  return painter->plot(p.x, p.y, v) ? painter->coder().decode(v) : CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  const auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const PixelBuffer px = TargetOf(*dc);
  const Point p = Mapping(dc->state).point(x, y);
  if (!px.bits || !ClipOf(*dc).contains(p.x, p.y)) return CLR_INVALID;
  const ColorCoder coder(px);
  Pixel v = 0;
  coder.ops().read(px.bits + static_cast<std::ptrdiff_t>(p.y) * px.pitch, p.x, 1, &v);
  return coder.decode(v);
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* previous) {
  const auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.position;
  dc->state.position = {x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  const auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  const POINT from = dc->state.position;
  dc->state.position = {x, y};
  auto painter = PainterOf(*dc);
  if (!painter) return TRUE;
  if (const auto pen = PenInk(*dc, painter->coder())) {
    const Mapping map(dc->state);
    PenStroke(*dc, *painter, *pen).line(map.point(from), map.point(x, y));
  }
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return DrawShape(hdc, Shape::Kind::Rectangle, left, top, right, bottom);
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return DrawShape(hdc, Shape::Kind::Ellipse, left, top, right, bottom);
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
  const auto dc = FindDc(hdc);
  if (!dc || !points || count < 2) return FALSE;
  auto painter = PainterOf(*dc);
  if (!painter) return TRUE;
  Scratch<Point, 32> room(static_cast<std::size_t>(count));
  const std::span<Point> corners = DevicePoints(*dc, points, count, room);
  std::optional<Pattern> tile;
  if (const auto brush = BrushInk(*dc, *dc->state.brush, painter->coder(), tile))
    painter->polygon(corners, dc->state.polyFillMode == WINDING, *brush);
  if (const auto pen = PenInk(*dc, painter->coder())) {
    PenStroke stroke(*dc, *painter, *pen);
    DrawPolyline(stroke, corners, true);
  }
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  const auto dc = FindDc(hdc);
  if (!dc || !points || count < 2) return FALSE;
  auto painter = PainterOf(*dc);
  if (!painter) return TRUE;
  if (const auto pen = PenInk(*dc, painter->coder())) {
    Scratch<Point, 32> room(static_cast<std::size_t>(count));
    PenStroke stroke(*dc, *painter, *pen);
    DrawPolyline(stroke, DevicePoints(*dc, points, count, room), false);
  }
  return TRUE;
}

// Rectangle fills paint the brush as it is, whatever the pen mode.
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  const auto dc = FindDc(hdc);
  const auto b = Find<BrushObject>(brush);
  if (!dc || !rect || !b) return 0;
  const PixelBuffer px = DrawTargetOf(*dc);
  if (!px.bits) return 1;
  Painter painter(px, ClipOf(*dc));
  std::optional<Pattern> tile;
  if (const auto ink = BrushInk(*dc, *b, painter.coder(), tile))
    painter.fill(Mapping(dc->state).rect(*rect), *ink);
  return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  const auto dc = FindDc(hdc);
  const auto b = Find<BrushObject>(brush);
  if (!dc || !rect || !b) return 0;
  const PixelBuffer px = DrawTargetOf(*dc);
  const Rect r = Mapping(dc->state).rect(*rect);
  if (!px.bits || r.empty()) return 1;
  Painter painter(px, ClipOf(*dc));
  std::optional<Pattern> tile;
  if (const auto ink = BrushInk(*dc, *b, painter.coder(), tile)) {
    painter.fill({r.left, r.top, r.right, r.top + 1}, *ink);
    painter.fill({r.left, r.bottom - 1, r.right, r.bottom}, *ink);
    painter.fill({r.left, r.top + 1, r.left + 1, r.bottom - 1}, *ink);
    painter.fill({r.right - 1, r.top + 1, r.right, r.bottom - 1}, *ink);
  }
  return 1;
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  const auto dc = FindDc(hdc);
  const RopCode code = RopIndex(rop);
  if (!dc || RopUsesSource(code)) return FALSE;
  auto painter = PainterOf(*dc);
  if (!painter) return TRUE;
  std::optional<Pattern> tile;
  Ink ink;
  if (!TransferPattern(*dc, code, *painter, tile, ink)) return TRUE;
  Blit(painter->pixels(), painter->clip(), DeviceArea(*dc, x, y, width, height), nullptr, {}, code, ink, {});
  return TRUE;
}

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, DWORD rop) {
  return StretchBlt(dest, x, y, width, height, src, xSrc, ySrc, width, height, rop);
}

// A monochrome source paints in the destination's text and background colours; a colour
// source turns the source context's background colour into 1 in a monochrome destination.
BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int xSrc, int ySrc, int srcWidth,
                int srcHeight, DWORD rop) {
  const auto dc = FindDc(dest);
  const RopCode code = RopIndex(rop);
  if (!dc) return FALSE;
  std::shared_ptr<DcObject> source;
  if (RopUsesSource(code) && !(source = FindDc(src))) return FALSE;
  auto painter = PainterOf(*dc);
  if (!painter) return TRUE;
  std::optional<Pattern> tile;
  Ink ink;
  if (!TransferPattern(*dc, code, *painter, tile, ink)) return TRUE;
  const PixelBuffer from = source ? TargetOf(*source) : PixelBuffer{};
  if (source && !from.bits) return TRUE;
  MonoRule mono;
  mono.text = ResolveColor(*dc, dc->state.textColor);
  mono.background = source && from.bitsPerPixel != 1 ? ResolveColor(*source, source->state.bkColor)
                                                      : ResolveColor(*dc, dc->state.bkColor);
  Blit(painter->pixels(), painter->clip(), DeviceArea(*dc, x, y, width, height), source ? &from : nullptr,
       source ? DeviceArea(*source, xSrc, ySrc, srcWidth, srcHeight) : BlitArea{}, code, ink, mono);
  return TRUE;
}
