// Pixels, lines, rectangles, ellipses, polygons, rectangle fills and the block transfers, each a
// painter or a transfer over the context's bitmap; drawing on the screen's context goes nowhere.
#include "platform/gdi/Blit.h"
#include "platform/gdi/Context.h"
#include "platform/gdi/Scratch.h"

using namespace gdi;

namespace {

std::optional<Ink> PenInk(const DcObject& dc, ColorCoder& coder) {
  if (dc.state.pen->style == PS_NULL) return std::nullopt;
  return Ink{coder.encode(ResolveColor(dc, dc.state.pen->color))};
}

// Outline with the pen, interior with the brush.
BOOL DrawShape(HDC hdc, Shape::Kind kind, int left, int top, int right, int bottom) {
  const auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  auto painter = PainterOf(*dc);
  if (!painter) return TRUE;
  std::optional<Pattern> tile;
  const auto pen = PenInk(*dc, painter->coder());
  const auto brush = BrushInk(*dc, *dc->state.brush, painter->coder(), tile);
  painter->shape({kind, Rect::Normalized(Coord(left), Coord(top), Coord(right), Coord(bottom))},
                 pen ? &*pen : nullptr, dc->state.pen->width,
                 brush ? &*brush : nullptr);
  return TRUE;
}

// Lines through the points in turn, back to the first when `closed`.
void DrawPolyline(Painter& painter, const Ink& pen, int width, const POINT* points, int count, bool closed) {
  for (int i = 0; i + 1 < count; ++i) painter.line(CoordOf(points[i]), CoordOf(points[i + 1]), pen, width);
  if (closed) painter.line(CoordOf(points[count - 1]), CoordOf(points[0]), pen, width);
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
  return painter->plot(x, y, v) ? painter->coder().decode(v) : CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  const auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  const PixelBuffer px = TargetOf(*dc);
  if (!px.bits || !ClipOf(*dc).contains(x, y)) return CLR_INVALID;
  const ColorCoder coder(px);
  Pixel v = 0;
  coder.ops().read(px.bits + static_cast<std::ptrdiff_t>(y) * px.pitch, x, 1, &v);
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
  if (const auto pen = PenInk(*dc, painter->coder()))
    painter->line(CoordOf(from), {Coord(x), Coord(y)}, *pen, dc->state.pen->width);
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
  std::optional<Pattern> tile;
  if (const auto brush = BrushInk(*dc, *dc->state.brush, painter->coder(), tile)) {
    Scratch<Point, 32> room(static_cast<std::size_t>(count));
    const std::span<Point> corners = room.values();
    for (int i = 0; i < count; ++i) corners[static_cast<std::size_t>(i)] = CoordOf(points[i]);
    painter->polygon(corners, dc->state.polyFillMode == WINDING, *brush);
  }
  if (const auto pen = PenInk(*dc, painter->coder())) DrawPolyline(*painter, *pen, dc->state.pen->width, points, count, true);
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  const auto dc = FindDc(hdc);
  if (!dc || !points || count < 2) return FALSE;
  auto painter = PainterOf(*dc);
  if (!painter) return TRUE;
  if (const auto pen = PenInk(*dc, painter->coder())) DrawPolyline(*painter, *pen, dc->state.pen->width, points, count, false);
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
    painter.fill(CoordOf(*rect), *ink);
  return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  const auto dc = FindDc(hdc);
  const auto b = Find<BrushObject>(brush);
  if (!dc || !rect || !b) return 0;
  const PixelBuffer px = DrawTargetOf(*dc);
  const Rect r = CoordOf(*rect);
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
  Blit(painter->pixels(), painter->clip(), {x, y, width, height}, nullptr, {}, code, ink, {});
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
  Blit(painter->pixels(), painter->clip(), {x, y, width, height}, source ? &from : nullptr,
       {xSrc, ySrc, srcWidth, srcHeight}, code, ink, mono);
  return TRUE;
}
