// The whole fountain scene on the 800 x 600 reference screen at any frame of the loop. Every
// picture is cut from it, so the sheets carry exactly the background around them; near a
// sheet's outer border the scene is held still, so every frame meets the background there.
#pragma once

#include "tools/art/Layer.h"
#include "tools/art/Raster.h"
#include "tools/fountain_art/Terrace.h"

namespace art {

class FountainScene {
 public:
  static constexpr int kWidth = 800, kHeight = 600;

  // Draws the still parts once.
  FountainScene();

  // The scene's colour at a pixel in frame `frame` (0..31); frame 0 is the still picture.
  Pixel8 At(int x, int y, int frame) const;

  // One frame of a picture of the layer table.
  RgbImage Cut(const LayerRect& layer, int frame) const;

 private:
  Rgb Moving(int x, int y, float phase) const;

  Image<Shading> terrace_;
  Image<Rgba> basin_, column_;
  Image<Rgb> still_;
  Image<float> motion_;
};

}  // namespace art
