// What lies beyond the terrace: the evening sky with its clouds and the setting sun, the sea
// with the sun's path on it, a headland in the haze and the cypresses against the light.
#pragma once

#include "tools/art/Raster.h"

namespace art {

Rgb Vista(float x, float y);

// The sky alone; the basin mirrors it.
Rgb Sky(float x, float y);

}  // namespace art
