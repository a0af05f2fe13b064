// The still background of the landscape: sky with clouds, distant mountains, forested hills,
// the plateau, the gorge walls with their rock and moss, and the banks beside the water.
#pragma once

#include "tools/art/Raster.h"

namespace art {

// Colour of the background at a point of the reference screen (water and foreground excluded).
Rgb Background(float x, float y);

// Sky colour alone, which the water mirrors.
Rgb SkyColour(float x, float y);

// Rock colour with the light coming from the upper right; `facing` tilts the surface normal
// sideways (+1 faces right, -1 faces left) and `wet` darkens it.
Rgb RockShade(float x, float y, float facing, float wet, unsigned seed);

}  // namespace art
