// The fountain scene as the program draws it: background over the whole screen, then water,
// main jet, second jet and shadow, each stretched to its place scaled from 800 x 600.
#include "tools/fountain_art/Compose.h"

#include "tools/fountain_art/Layers.h"

namespace art {

RgbImage ComposeScreen(const FountainPictures& p, int W, int H, int frame) {
  RgbImage screen(W, H);
  DrawStretched(screen, p.ground, 0, 0, W, H, false);
  const auto place = [&](const RgbImage& sheet, const LayerRect& r) {
    DrawStretched(screen, FrameOf(sheet, r.h, frame), W * r.x / 800, H * r.y / 600, W * r.w / 800, H * r.h / 600, false);
  };
  place(p.water, kWater);
  place(p.jet, kJet);
  place(p.jet2, kJet2);
  place(p.shadow, kShadow);
  return screen;
}

}  // namespace art
