// A picture's place on the 800 x 600 reference screen with its frame layout, and what the
// generators derive from a table of them: sheets of stacked frames, and how far the animated
// pictures may move at a pixel so that their borders stay those of the still picture around.
#pragma once

#include <span>

#include "tools/art/Raster.h"

namespace art {

struct LayerRect {
  const char* file;  // output file name
  int x, y, w, h;    // place and size of one frame on the reference screen
  int frames;        // 1 for a still picture
};

inline bool Covers(const LayerRect& r, int x, int y) { return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h; }

// The layer's frames as `scene.Cut(layer, frame)` draws them, stacked top to bottom.
template <typename Scene>
RgbImage Sheet(const Scene& scene, const LayerRect& layer) {
  RgbImage sheet(layer.w, layer.h * layer.frames);
  for (int f = 0; f < layer.frames; ++f) CopyRect(scene.Cut(layer, f), 0, 0, layer.w, layer.h, sheet, 0, f * layer.h);
  return sheet;
}

// For every pixel of a w x h screen, 0 outside the animated layers and, inside, rising from 0
// to 1 with the distance (up to `reach` pixels) to the nearest pixel outside all of them; the
// screen's own edges do not count as a border.
Image<float> MotionWeights(int w, int h, int reach, std::span<const LayerRect> animated);

}  // namespace art
