// The stone of the fountain: the round basin with its rim and outer wall, and the column with
// the small bowl on top that stands in the water. None of it moves.
#pragma once

#include "tools/art/Raster.h"

namespace art {

// The basin's rim, outer wall and, inside, the wall above the water.
Rgba BasinStone(float x, float y);

// The column and the bowl with the water it holds.
Rgba ColumnAndBowl(float x, float y);

}  // namespace art
