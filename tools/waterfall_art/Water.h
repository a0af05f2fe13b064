// The moving water: the stream above the lip, the falling water with its spray and mist, and
// the pool and river below with reflections, ripples and foam. `phase` runs 0..1 over one loop
// of the animation and every pattern is periodic in it, so the last frame runs into the first.
#pragma once

#include "tools/art/Raster.h"

namespace art {

// The water layer at a point of the reference screen over the still background `background`
// (800 x 600, mirrored by the water surface and seen through thin falling water).
Rgba Water(float x, float y, float phase, const Image<Rgb>& background);

}  // namespace art
