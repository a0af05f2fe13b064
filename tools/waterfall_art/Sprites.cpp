// Small polygon and disc rasteriser with supersampling, for the flyer sheets: shapes are
// painted back to front into an RGBA frame, coverage from 4 x 4 samples per pixel.
#include "tools/waterfall_art/Sprites.h"

#include <algorithm>
#include <cmath>

#include "tools/waterfall_art/Layers.h"

namespace art {

SpriteCanvas::SpriteCanvas(int width, int height) : width_(width), height_(height), pixels_(width, height) {}

template <typename Inside>
void SpriteCanvas::Paint(float minX, float minY, float maxX, float maxY, Rgb colour, Inside inside) {
  const int x0 = std::max(0, static_cast<int>(std::floor(minX))), x1 = std::min(width_ - 1, static_cast<int>(maxX));
  const int y0 = std::max(0, static_cast<int>(std::floor(minY))), y1 = std::min(height_ - 1, static_cast<int>(maxY));
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      int hits = 0;
      for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i) hits += inside(x + (i + 0.5f) / 4, y + (j + 0.5f) / 4) ? 1 : 0;
      if (hits > 0) pixels_.at(x, y) = OverA(pixels_.at(x, y), {colour, hits / 16.0f});
    }
}

void SpriteCanvas::FillPolygon(std::span<const Vec2> points, Rgb colour) {
  float minX = 1e9f, minY = 1e9f, maxX = -1e9f, maxY = -1e9f;
  for (const Vec2& p : points) {
    minX = std::min(minX, p.x);
    maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y);
    maxY = std::max(maxY, p.y);
  }
  Paint(minX, minY, maxX, maxY, colour, [&](float x, float y) {
    bool in = false;  // even-odd crossing test
    for (std::size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
      const Vec2 a = points[i], b = points[j];
      if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
  });
}

void SpriteCanvas::FillDisc(Vec2 c, float r, Rgb colour) {
  Paint(c.x - r, c.y - r, c.x + r, c.y + r, colour,
        [&](float x, float y) { return (x - c.x) * (x - c.x) + (y - c.y) * (y - c.y) <= r * r; });
}

RgbImage SpriteCanvas::Resolve() const {
  RgbImage out(width_, height_, kKey);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x)
      if (pixels_.at(x, y).a >= 0.5f) out.at(x, y) = ToPixel(pixels_.at(x, y).c);
  out.at(0, 0) = kKey;
  return out;
}

}  // namespace art
