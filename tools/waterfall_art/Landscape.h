// The whole scene without the flyers, on the 800 x 600 reference screen, at any animation
// frame. Every picture of the scene is cut from it, so all of them line up where they meet.
#pragma once

#include "tools/art/Raster.h"
#include "tools/waterfall_art/Foreground.h"
#include "tools/waterfall_art/Layers.h"

namespace art {

class Landscape {
 public:
  static constexpr int kWidth = 800, kHeight = 600;

  // Draws the still parts once.
  Landscape();

  // The scene's colour at a pixel in animation frame `frame` (0..31).
  Pixel8 At(int x, int y, int frame) const;
  // The masked piece whose object covers the pixel, if any.
  Piece PieceAt(int x, int y) const { return foreground_.at(x, y).piece; }

  // One frame of a picture of the layer table, cut from the scene.
  RgbImage Cut(const LayerRect& layer, int frame) const;
  // A masked picture: the piece's own pixels, the key colour everywhere else.
  RgbImage CutMask(const LayerRect& layer, Piece piece) const;

 private:
  Image<Rgb> background_;
  Image<ForegroundSample> foreground_;
  // How far the water may move at a pixel: 0 where a still picture borders the animated ones,
  // so the water there is the same in every frame and no frame shows a seam.
  Image<float> motion_;
};

}  // namespace art
