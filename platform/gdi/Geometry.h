// Small value types of the rasteriser: points, half-open rectangles and row intervals.
// A rectangle covers columns left..right-1 and rows top..bottom-1, as the platform draws them.
#pragma once

#include <algorithm>

namespace gdi {

struct Point {
  int x = 0;
  int y = 0;
};

// Columns x0..x1-1 of one row.
struct Interval {
  int x0 = 0;
  int x1 = 0;
  constexpr bool empty() const { return x1 <= x0; }
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  static constexpr Rect Normalized(int l, int t, int r, int b) {
    return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
  }
  constexpr int width() const { return right - left; }
  constexpr int height() const { return bottom - top; }
  constexpr bool empty() const { return right <= left || bottom <= top; }
  constexpr bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  constexpr Rect intersected(const Rect& o) const {
    return {std::max(left, o.left), std::max(top, o.top), std::min(right, o.right), std::min(bottom, o.bottom)};
  }
  constexpr bool operator==(const Rect&) const = default;
};

}  // namespace gdi
