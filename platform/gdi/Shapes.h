// Which pixels the drawing calls cover: lines without their end point, rectangles and ellipses
// without their right and bottom edges, polygons by the alternate or the winding rule.
#pragma once

#include <optional>
#include <span>

#include "platform/gdi/FunctionRef.h"
#include "platform/gdi/Geometry.h"

namespace gdi {

// Calls `plot` for each point of the line from `a` towards `b` (Bresenham), `b` itself left out.
void ForEachLinePoint(Point a, Point b, FunctionRef<void(int x, int y)> plot);

// A rectangle or an ellipse inscribed in `box` (right and bottom edges excluded).
struct Shape {
  enum class Kind { Rectangle, Ellipse };
  Kind kind = Kind::Rectangle;
  Rect box;
  // The covered columns of row y, none when the row misses the shape.
  std::optional<Interval> row(int y) const;
};

// Row y of a shape split for drawing: `inner` is what the brush fills, the rest of `span` the
// pen's band of `penWidth` pixels along the border (a width of 0 leaves it all to the brush).
struct ShapeRow {
  Interval span;
  Interval inner;
};
std::optional<ShapeRow> SplitRow(const Shape& shape, int y, int penWidth);

// Calls `fill` with each run of pixels whose centres lie inside the polygon, rows `rows.top`
// to `rows.bottom - 1` only; `winding` selects the non-zero rule over the alternate one.
void ForEachPolygonSpan(std::span<const Point> points, bool winding, const Rect& rows,
                        FunctionRef<void(int y, int x0, int x1)> fill);

}  // namespace gdi
