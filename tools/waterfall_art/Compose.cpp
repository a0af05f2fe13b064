// The scene as the program draws it on a screen of any size: every layer stretched to its
// scaled size by nearest pixel, drawn in the program's order, keyed by its top-left pixel.
#include "tools/waterfall_art/Compose.h"

#include <cmath>

#include "tools/waterfall_art/Flyers.h"
#include "tools/waterfall_art/Layers.h"

namespace art {
namespace {

struct Placer {
  int W, H;
  void operator()(RgbImage& screen, const RgbImage& picture, const LayerRect& r, bool keyed) const {
    DrawStretched(screen, picture, W * r.x / 800, H * r.y / 600, W * r.w / 800, H * r.h / 600, keyed);
  }
};

void DrawFlyer(RgbImage& screen, const RgbImage& frame, const FlyerShot& f, int W, int H, int w, int h) {
  DrawStretched(screen, frame, W * static_cast<int>(f.x) / 800, H * static_cast<int>(f.y) / 600, w, h, true);
}

}  // namespace

RgbImage ComposeScreen(const ScenePictures& p, int W, int H, int frame, const std::vector<FlyerShot>& eagles,
                       const std::vector<FlyerShot>& butterflies) {
  RgbImage screen(W, H);
  const Placer place{W, H};
  DrawStretched(screen, p.ground, 0, 0, W, H * 418 / 600, false);
  place(screen, FrameOf(p.waterfall, kWaterfall.h, frame), kWaterfall, false);
  place(screen, p.maskStone, kMaskStone, true);
  place(screen, FrameOf(p.highWater, kHighWater.h, frame), kHighWater, false);
  DrawStretched(screen, FrameOf(p.lowWater, kLowWater.h, frame), 0, H * 413 / 600, W, H * 187 / 600, false);
  for (const FlyerShot& e : eagles)
    DrawFlyer(screen, FrameOf(p.eagles, kEagleH, e.frame), e, W, H, kEagleShownW, kEagleShownH);
  place(screen, p.mask1, kMask1, true);
  place(screen, p.mask2, kMask2, true);
  for (const FlyerShot& b : butterflies)
    DrawFlyer(screen, FrameOf(p.butterflies, kButterflyH, b.frame), b, W, H, kButterflyShown, kButterflyShown);
  place(screen, p.mask3, kMask3, true);
  place(screen, p.mask4, kMask4, true);
  return screen;
}

std::vector<FlyerShot> SampleEagles() {
  // Pairs of consecutive points of the eagles' path: where the eagle is, where it heads.
  struct Leg {
    float x0, y0, x1, y1;
    int flip, wing;
  };
  constexpr Leg kLegs[] = {{401, 95, 333, 136, 0, 0}, {464, 46, 543, 96, 1, 1}, {222, 106, 111, 123, 0, 2},
                           {388, 142, 446, 115, 1, 0}, {639, 136, 719, 106, 0, 1}, {305, 38, 401, 95, 0, 0},
                           {585, 119, 535, 147, 1, 2}, {150, 60, 120, 110, 0, 0}};
  std::vector<FlyerShot> out;
  for (const Leg& l : kLegs) {
    const float dx = l.x1 - l.x0, dy = l.y1 - l.y0;
    const int heading = HeadingOf(dx / std::sqrt(dx * dx + dy * dy));
    out.push_back({l.x0, l.y0, heading + 24 * l.flip + 48 * l.wing});
  }
  return out;
}

std::vector<FlyerShot> SampleButterflies() { return {{94, 452, 0}, {165, 396, 5}, {687, 403, 10}, {744, 500, 3}}; }

}  // namespace art
