// A painter bound to one pixel buffer and one clip rectangle: spans, pixels, lines, shapes,
// polygons and glyph masks, each ink combined with the destination by one raster operation.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gdi/Geometry.h"
#include "platform/gdi/PixelFormat.h"
#include "platform/gdi/Rop.h"
#include "platform/gdi/Shapes.h"

namespace gdi {

// A brush's tile in the destination's pixel values, aligned to the buffer's origin.
struct Pattern {
  int width = 0;
  int height = 0;
  std::vector<Pixel> values;
  void fillRow(int x, int y, int count, Pixel* out) const;
};

// What a pen or brush puts down: one pixel value, or a pattern when `pattern` is set.
struct Ink {
  Pixel solid = 0;
  const Pattern* pattern = nullptr;
};

// The on and off runs of a styled pen, with where along them the next pixel falls; a
// polyline carries one state through all its segments.
struct LineStyle {
  std::span<const std::uint8_t> runs;  // on, off, on, off, ...
  int position = 0;
  // Whether the next pixel is on, moving along one pixel.
  bool step();
};

class Painter {
 public:
  // `clip` is cut to the buffer; `rop` combines the inks (pattern operand) with the destination.
  Painter(const PixelBuffer& pixels, const Rect& clip, RopCode rop = kRopPatCopy);

  const PixelBuffer& pixels() const { return pixels_; }
  ColorCoder& coder() { return coder_; }
  const Rect& clip() const { return clip_; }

  void span(int y, int x0, int x1, const Ink& ink);
  void fill(const Rect& r, const Ink& ink);
  // Sets one pixel, ignoring the raster operation; false outside the clip.
  bool plot(int x, int y, Pixel value);
  // A line without its end point, a square pen of `width` pixels centred on each point. With
  // a style, only its on runs are drawn, and its off runs in `gap` when there is one.
  void line(Point a, Point b, const Ink& ink, int width, LineStyle* style = nullptr, const Ink* gap = nullptr);
  // Pen band then brush interior; a null ink leaves its part untouched.
  void shape(const Shape& s, const Ink* pen, int penWidth, const Ink* brush);
  void polygon(std::span<const Point> points, bool winding, const Ink& brush);
  // Sets `value` where a 1-byte-per-pixel mask of `width` x `height` at (x, y) is not 0.
  void mask(int x, int y, int width, int height, std::span<const std::uint8_t> bits, Pixel value);

 private:
  std::byte* row(int y) const { return pixels_.bits + static_cast<std::ptrdiff_t>(y) * pixels_.pitch; }

  PixelBuffer pixels_;
  ColorCoder coder_;
  Rect clip_;
  RopCode rop_;
  std::vector<Pixel> pat_, dst_;
};

}  // namespace gdi
