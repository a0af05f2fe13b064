// The evening light every surface of the fountain scene is lit by: a low, warm sun from the
// right and the cool glow of the sky in the shade.
#pragma once

#include "tools/art/Raster.h"

namespace art {

inline constexpr Rgb kSunLight{1.18f, 0.80f, 0.52f};
inline constexpr Rgb kSkyLight{0.40f, 0.38f, 0.56f};

// A surface of colour `albedo` that receives `sun` (0..1) of the direct light.
inline Rgb Lit(Rgb albedo, float sun) { return albedo * (kSunLight * Clamp01(sun) + kSkyLight); }

// Anti-aliased inside test of a signed distance in pixels.
inline float Inside(float d, float soft = 0.7f) { return SmoothStep(-soft, soft, d); }

}  // namespace art
