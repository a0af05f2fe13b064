// The whole scene without the flyers, on the 800 x 600 reference screen, at any animation
// frame: still background, moving water, foreground objects, composed per pixel.
#include "tools/waterfall_art/Landscape.h"

#include "tools/art/Rows.h"
#include "tools/waterfall_art/Terrain.h"
#include "tools/waterfall_art/Water.h"

namespace art {

Landscape::Landscape()
    : background_(kWidth, kHeight), foreground_(kWidth, kHeight), motion_(MotionWeights(kWidth, kHeight, 10, kAnimated)) {
  ForRows(kHeight, [&](int y) {
    for (int x = 0; x < kWidth; ++x) {
      background_.at(x, y) = Background(x + 0.5f, y + 0.5f);
      foreground_.at(x, y) = Foreground(x + 0.5f, y + 0.5f);
    }
  });
}

Pixel8 Landscape::At(int x, int y, int frame) const {
  const float px = x + 0.5f, py = y + 0.5f;
  const float m = motion_.at(x, y);
  const float phase = static_cast<float>(frame) / kFrames;
  Rgba water;
  if (m <= 0 || frame == 0) {
    water = Water(px, py, 0.0f, background_);
  } else if (m >= 1) {
    water = Water(px, py, phase, background_);
  } else {
    const Rgba still = Water(px, py, 0.0f, background_), moving = Water(px, py, phase, background_);
    water = {Mix(still.c, moving.c, m), Mix(still.a, moving.a, m)};
  }
  const Rgb c = Over(Over(background_.at(x, y), water), foreground_.at(x, y).colour);
  return ToPixel(c);
}

RgbImage Landscape::Cut(const LayerRect& layer, int frame) const {
  RgbImage out(layer.w, layer.h);
  ForRows(layer.h, [&](int j) {
    for (int i = 0; i < layer.w; ++i) out.at(i, j) = At(layer.x + i, layer.y + j, frame);
  });
  return out;
}

RgbImage Landscape::CutMask(const LayerRect& layer, Piece piece) const {
  RgbImage out = Cut(layer, 0);
  for (int j = 0; j < layer.h; ++j)
    for (int i = 0; i < layer.w; ++i)
      if (PieceAt(layer.x + i, layer.y + j) != piece) out.at(i, j) = kKey;
  out.at(0, 0) = kKey;  // the top-left pixel names the key colour
  return out;
}

}  // namespace art
