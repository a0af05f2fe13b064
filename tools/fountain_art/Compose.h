// The fountain scene as the program draws it on a screen of any size, from the pictures as it
// decodes them: the background stretched over the screen, then the four sheets' frames at
// their scaled places, in the program's order, none of them keyed.
#pragma once

#include "tools/art/Raster.h"

namespace art {

struct FountainPictures {
  RgbImage ground, water, jet, jet2, shadow;
};

RgbImage ComposeScreen(const FountainPictures& pictures, int width, int height, int frame);

}  // namespace art
