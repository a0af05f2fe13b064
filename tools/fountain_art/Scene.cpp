// The whole fountain scene: still layers drawn once, the moving water and the jets' shadow
// drawn per frame and held still near the sheets' outer borders.
#include "tools/fountain_art/Scene.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Rows.h"
#include "tools/fountain_art/Fountain.h"
#include "tools/fountain_art/Jets.h"
#include "tools/fountain_art/Layers.h"
#include "tools/fountain_art/Plan.h"
#include "tools/fountain_art/Pool.h"

namespace art {
namespace {

using namespace plan;

// How deep the main jet's shadow falls on the house front at a point: its shape mapped onto the
// wall and softened a little, as the sun is not a point.
float JetShadow(float x, float y, float phase) {
  if (!Covers(kShadow, static_cast<int>(x), static_cast<int>(y))) return 0;
  float sum = 0;
  for (int j = -1; j <= 1; ++j)
    for (int i = -1; i <= 1; ++i) {
      const float jx = kJetX + (x + i * 0.8f - kShadowX) / kShadowScaleX;
      const float jy = kJetBase - (kShadowFoot - (y + j * 0.8f)) / kShadowScaleY;
      sum += JetDensity(MainJet(), jx, jy, phase);
    }
  return 0.8f * sum / 9;
}

}  // namespace

FountainScene::FountainScene()
    : terrace_(kWidth, kHeight),
      basin_(kWidth, kHeight),
      column_(kWidth, kHeight),
      still_(kWidth, kHeight),
      motion_(MotionWeights(kWidth, kHeight, kCalmBorder, kAnimated)) {
  ForRows(kHeight, [&](int y) {
    for (int x = 0; x < kWidth; ++x) {
      const float px = x + 0.5f, py = y + 0.5f;
      terrace_.at(x, y) = Terrace(px, py);
      basin_.at(x, y) = BasinStone(px, py);
      column_.at(x, y) = ColumnAndBowl(px, py);
    }
  });
  ForRows(kHeight, [&](int y) {
    for (int x = 0; x < kWidth; ++x) still_.at(x, y) = Moving(x, y, 0.0f);
  });
}

Rgb FountainScene::Moving(int x, int y, float phase) const {
  const float px = x + 0.5f, py = y + 0.5f;
  Rgb c = terrace_.at(x, y).In(JetShadow(px, py, phase));
  c = Over(c, basin_.at(x, y));
  const auto mirrored = [this](float mx, float my) {
    return terrace_.at(std::clamp(static_cast<int>(mx), 0, kWidth - 1), std::clamp(static_cast<int>(my), 0, kHeight - 1)).sunlit;
  };
  c = Over(c, PoolWater(px, py, phase, mirrored));
  c = Over(c, column_.at(x, y));
  c = Over(c, JetWater(BowlJet(), px, py, phase));
  return Over(c, JetWater(MainJet(), px, py, phase));
}

Pixel8 FountainScene::At(int x, int y, int frame) const {
  const float m = motion_.at(x, y);
  if (m <= 0 || frame == 0) return ToPixel(still_.at(x, y));
  const Rgb moving = Moving(x, y, static_cast<float>(frame) / kFrames);
  return ToPixel(m >= 1 ? moving : Mix(still_.at(x, y), moving, m));
}

RgbImage FountainScene::Cut(const LayerRect& layer, int frame) const {
  RgbImage out(layer.w, layer.h);
  ForRows(layer.h, [&](int j) {
    for (int i = 0; i < layer.w; ++i) out.at(i, j) = At(layer.x + i, layer.y + j, frame);
  });
  return out;
}

}  // namespace art
