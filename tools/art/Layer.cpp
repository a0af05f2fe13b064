// How far the animated pictures may move at a pixel: a smooth rise from their borders inwards.
#include "tools/art/Layer.h"

#include <algorithm>
#include <cmath>

namespace art {

Image<float> MotionWeights(int w, int h, int reach, std::span<const LayerRect> animated) {
  const auto inAnimated = [&](int x, int y) {
    return std::any_of(animated.begin(), animated.end(), [&](const LayerRect& r) { return Covers(r, x, y); });
  };
  Image<float> out(w, h, 0.0f);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!inAnimated(x, y)) continue;
      float nearest = static_cast<float>(reach);
      for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
          const int px = std::clamp(x + dx, 0, w - 1), py = std::clamp(y + dy, 0, h - 1);
          if (!inAnimated(px, py)) nearest = std::min(nearest, std::sqrt(static_cast<float>(dx * dx + dy * dy)));
        }
      out.at(x, y) = SmoothStep(1.0f, static_cast<float>(reach), nearest);
    }
  return out;
}

}  // namespace art
