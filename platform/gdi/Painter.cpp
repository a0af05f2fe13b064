// Drawing primitives on one buffer; every operation clips once, then runs straight row loops.
#include "platform/gdi/Painter.h"

#include <algorithm>

namespace gdi {

void Pattern::fillRow(int x, int y, int count, Pixel* out) const {
  const Pixel* tile = values.data() + static_cast<std::ptrdiff_t>(((y % height) + height) % height) * width;
  int column = ((x % width) + width) % width;
  for (int i = 0; i < count; ++i) {
    out[i] = tile[column];
    if (++column == width) column = 0;
  }
}

bool LineStyle::step() {
  int total = 0;
  for (std::uint8_t r : runs) total += r;
  if (total == 0) return true;
  int at = position % total;
  position = (position + 1) % total;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (at < runs[i]) return i % 2 == 0;
    at -= runs[i];
  }
  return true;
}

Painter::Painter(const PixelBuffer& pixels, const Rect& clip, RopCode rop)
    : pixels_(pixels), coder_(pixels), rop_(rop) {
  clip_ = pixels.bits ? clip.intersected({0, 0, pixels.width, pixels.height}) : Rect{};
}

void Painter::span(int y, int x0, int x1, const Ink& ink) {
  if (y < clip_.top || y >= clip_.bottom) return;
  x0 = std::max(x0, clip_.left);
  x1 = std::min(x1, clip_.right);
  const int n = x1 - x0;
  if (n <= 0) return;
  const FormatOps& ops = coder_.ops();
  std::byte* r = row(y);
  if (!ink.pattern && !RopUsesDest(rop_)) {
    const Pixel v = rop_ == kRopPatCopy ? ink.solid : ApplyRop(rop_, ink.solid, 0, 0) & ops.mask;
    ops.fill(r, x0, n, v);
    return;
  }
  pat_.resize(static_cast<std::size_t>(n));
  dst_.resize(static_cast<std::size_t>(n));
  if (ink.pattern)
    ink.pattern->fillRow(x0, y, n, pat_.data());
  else
    std::fill(pat_.begin(), pat_.end(), ink.solid);
  if (RopUsesDest(rop_)) ops.read(r, x0, n, dst_.data());
  CombineRow(rop_, pat_.data(), nullptr, dst_.data(), n, ops.mask);
  ops.write(r, x0, n, dst_.data());
}

void Painter::fill(const Rect& r, const Ink& ink) {
  const Rect c = r.intersected(clip_);
  for (int y = c.top; y < c.bottom; ++y) span(y, c.left, c.right, ink);
}

bool Painter::plot(int x, int y, Pixel value) {
  if (!clip_.contains(x, y)) return false;
  coder_.ops().write(row(y), x, 1, &value);
  return true;
}

void Painter::line(Point a, Point b, const Ink& ink, int width, LineStyle* style, const Ink* gap) {
  width = std::max(width, 1);
  if (style) {
    ForEachLinePoint(a, b, [&](int x, int y) {
      const bool on = style->step();
      if (on || gap) span(y, x, x + 1, on ? ink : *gap);
    });
    return;
  }
  const int before = width / 2;
  const Rect reach = Rect::Normalized(a.x, a.y, b.x, b.y);
  const Rect grown{reach.left - before, reach.top - before, reach.right + width, reach.bottom + width};
  if (grown.intersected(clip_).empty()) return;
  ForEachLinePoint(a, b, [&](int x, int y) {
    const int top = std::max(y - before, clip_.top), bottom = std::min(y - before + width, clip_.bottom);
    for (int yy = top; yy < bottom; ++yy) span(yy, x - before, x - before + width, ink);
  });
}

void Painter::shape(const Shape& s, const Ink* pen, int penWidth, const Ink* brush) {
  const int width = pen ? std::max(penWidth, 1) : 0;
  const int top = std::max(s.box.top, clip_.top), bottom = std::min(s.box.bottom, clip_.bottom);
  for (int y = top; y < bottom; ++y) {
    const auto parts = SplitRow(s, y, width);
    if (!parts) continue;
    if (brush) span(y, parts->inner.x0, parts->inner.x1, *brush);
    if (pen) {
      span(y, parts->span.x0, parts->inner.x0, *pen);
      span(y, std::max(parts->inner.x1, parts->inner.x0), parts->span.x1, *pen);
    }
  }
}

void Painter::polygon(std::span<const Point> points, bool winding, const Ink& brush) {
  ForEachPolygonSpan(points, winding, clip_, [&](int y, int x0, int x1) { span(y, x0, x1, brush); });
}

void Painter::mask(int x, int y, int width, int height, std::span<const std::uint8_t> bits, Pixel value) {
  const Rect c = Rect{x, y, x + width, y + height}.intersected(clip_);
  const FormatOps& ops = coder_.ops();
  for (int yy = c.top; yy < c.bottom; ++yy) {
    const std::uint8_t* m = bits.data() + static_cast<std::ptrdiff_t>(yy - y) * width;
    std::byte* r = row(yy);
    for (int xx = c.left; xx < c.right; ++xx)
      if (m[xx - x]) ops.write(r, xx, 1, &value);
  }
}

}  // namespace gdi
