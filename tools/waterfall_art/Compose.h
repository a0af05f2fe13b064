// The scene as the program draws it on a screen of any size, from the generated pictures:
// the layer table's scaled places and sizes, its draw order, the colour keys, the flyers.
// The generator uses it for the preview pictures and for the composed views to look at.
#pragma once

#include <vector>

#include "tools/art/Raster.h"

namespace art {

// The pictures as the program decodes them (masks and sheets with their key colour).
struct ScenePictures {
  RgbImage ground, waterfall, highWater, lowWater;
  RgbImage maskStone, mask1, mask2, mask3, mask4;
  RgbImage eagles, butterflies;
};

// A flyer on the 800 x 600 reference screen and the sheet frame it shows.
struct FlyerShot {
  float x, y;
  int frame;
};

RgbImage ComposeScreen(const ScenePictures& pictures, int width, int height, int frame,
                       const std::vector<FlyerShot>& eagles, const std::vector<FlyerShot>& butterflies);

// Eagles at a few places of their circling path, each heading and wing as the scene derives
// them from the direction of flight; butterflies at a few places of theirs.
std::vector<FlyerShot> SampleEagles();
std::vector<FlyerShot> SampleButterflies();

}  // namespace art
