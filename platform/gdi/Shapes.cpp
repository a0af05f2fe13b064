// Coverage rules of lines, rectangles, ellipses and polygons, in exact integer arithmetic
// where the platform's pixels depend on it (ellipse rows), pixel centres for polygon edges.
#include "platform/gdi/Shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/gdi/Scratch.h"

namespace gdi {

void ForEachLinePoint(Point a, Point b, FunctionRef<void(int x, int y)> plot) {
  const long long dx = std::llabs(static_cast<long long>(b.x) - a.x);
  const long long dy = -std::llabs(static_cast<long long>(b.y) - a.y);
  const int sx = a.x < b.x ? 1 : -1;
  const int sy = a.y < b.y ? 1 : -1;
  long long err = dx + dy;
  int x = a.x, y = a.y;
  while (x != b.x || y != b.y) {
    plot(x, y);
    const long long e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

namespace {

// Whether the centre of pixel (x, y) lies in the ellipse inscribed in the box: with
// X = 2x + 1 - (l + r), Y = 2y + 1 - (t + b), W = r - l, H = b - t: X²H² + Y²W² <= W²H².
bool InEllipse(const Rect& box, int x, int y) {
  const __int128 X = 2LL * x + 1 - (static_cast<long long>(box.left) + box.right);
  const __int128 Y = 2LL * y + 1 - (static_cast<long long>(box.top) + box.bottom);
  const __int128 W = box.width(), H = box.height();
  return X * X * H * H + Y * Y * W * W <= W * W * H * H;
}

std::optional<Interval> EllipseRow(const Rect& box, int y) {
  if (box.empty() || y < box.top || y >= box.bottom) return std::nullopt;
  const double cx = (static_cast<double>(box.left) + box.right) / 2;
  const double cy = (static_cast<double>(box.top) + box.bottom) / 2;
  const double rx = box.width() / 2.0, ry = box.height() / 2.0;
  const double dy = (y + 0.5 - cy) / ry;
  const double half = rx * std::sqrt(std::max(0.0, 1 - dy * dy));
  // The estimate is within a pixel; the exact test settles the ends.
  int x0 = static_cast<int>(std::ceil(cx - half - 0.5));
  int x1 = static_cast<int>(std::floor(cx + half - 0.5));
  x0 = std::clamp(x0, box.left, box.right - 1);
  x1 = std::clamp(x1, box.left, box.right - 1);
  while (x0 > box.left && InEllipse(box, x0 - 1, y)) --x0;
  while (x0 <= x1 && !InEllipse(box, x0, y)) ++x0;
  while (x1 < box.right - 1 && InEllipse(box, x1 + 1, y)) ++x1;
  while (x1 >= x0 && !InEllipse(box, x1, y)) --x1;
  if (x1 < x0) return std::nullopt;
  return Interval{x0, x1 + 1};
}

}  // namespace

std::optional<Interval> Shape::row(int y) const {
  if (kind == Kind::Ellipse) return EllipseRow(box, y);
  if (box.empty() || y < box.top || y >= box.bottom) return std::nullopt;
  return Interval{box.left, box.right};
}

// A pixel is inside the outline when it lies `penWidth` columns within its own row and in the
// rows `penWidth` above and below: the band left over is the pen's.
std::optional<ShapeRow> SplitRow(const Shape& shape, int y, int penWidth) {
  const auto span = shape.row(y);
  if (!span) return std::nullopt;
  Interval inner{span->x0 + penWidth, span->x1 - penWidth};
  for (int k = 1; k <= penWidth && !inner.empty(); ++k) {
    for (int yy : {y - k, y + k}) {
      const auto other = shape.row(yy);
      if (!other) {
        inner = {};
        break;
      }
      inner = {std::max(inner.x0, other->x0), std::min(inner.x1, other->x1)};
    }
  }
  if (inner.empty()) inner = {span->x0, span->x0};
  return ShapeRow{*span, inner};
}

void ForEachPolygonSpan(std::span<const Point> points, bool winding, const Rect& rows,
                        FunctionRef<void(int y, int x0, int x1)> fill) {
  if (points.size() < 3) return;
  int top = points[0].y, bottom = points[0].y;
  for (const auto& p : points) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  top = std::max(top, rows.top);
  bottom = std::min(bottom, rows.bottom);
  struct Crossing {
    double x;
    int direction;
  };
  // A row crosses each edge at most once.
  Scratch<Crossing, 32> room(points.size());
  const std::span<Crossing> crossings = room.values();
  for (int y = top; y < bottom; ++y) {
    const double yc = y + 0.5;
    std::size_t count = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
      const Point& a = points[i];
      const Point& b = points[(i + 1) % points.size()];
      if (a.y == b.y) continue;
      const bool down = a.y < b.y;
      const double y0 = down ? a.y : b.y, y1 = down ? b.y : a.y;
      if (yc < y0 || yc >= y1) continue;
      crossings[count++] = {a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y), down ? 1 : -1};
    }
    std::sort(crossings.begin(), crossings.begin() + static_cast<std::ptrdiff_t>(count),
              [](const Crossing& l, const Crossing& r) { return l.x < r.x; });
    int passed = 0;
    for (std::size_t i = 0; i + 1 < count; ++i) {
      passed += winding ? crossings[i].direction : 1;
      const bool inside = winding ? passed != 0 : (passed & 1) != 0;
      if (!inside) continue;
      // Pixels whose centre x + 0.5 lies in [xa, xb), kept near the rows' columns.
      const auto column = [&](double x) {
        return static_cast<int>(std::ceil(std::clamp(x, rows.left - 1.0, rows.right + 1.0) - 0.5));
      };
      const int x0 = column(crossings[i].x), x1 = column(crossings[i + 1].x);
      if (x1 > x0) fill(y, x0, x1);
    }
  }
}

}  // namespace gdi
