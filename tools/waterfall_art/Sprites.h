// Small polygon and disc rasteriser with supersampling, for the flyer sheets: shapes are
// painted back to front into an RGBA frame, coverage from 4 x 4 samples per pixel.
#pragma once

#include <span>

#include "tools/art/Raster.h"

namespace art {

struct Vec2 {
  float x, y;
};

class SpriteCanvas {
 public:
  SpriteCanvas(int width, int height);

  void FillPolygon(std::span<const Vec2> points, Rgb colour);
  void FillDisc(Vec2 centre, float radius, Rgb colour);

  // The frame as colours over the key: opaque where at least half a pixel is covered.
  RgbImage Resolve() const;

 private:
  template <typename Inside>
  void Paint(float minX, float minY, float maxX, float maxY, Rgb colour, Inside inside);

  int width_, height_;
  Image<Rgba> pixels_;
};

}  // namespace art
