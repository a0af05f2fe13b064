// The water in the basin: rings spreading from where the main jet falls back and from the
// column's foot, a light chop, the evening sky, the column and the jet mirrored in it, foam and
// glints. `phase` runs 0..1 over the loop and every pattern repeats with it.
#pragma once

#include <functional>

#include "tools/art/Raster.h"

namespace art {

// What the water mirrors: the still scene behind the basin (house, balustrade, sea, sky).
using Mirrored = std::function<Rgb(float x, float y)>;

Rgba PoolWater(float x, float y, float phase, const Mirrored& still);

}  // namespace art
