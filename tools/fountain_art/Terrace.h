// The terrace the fountain stands on: the warm house front on the left with its windows, door
// and bougainvillea, the balustrade over the sea, the paving, and the shadows that do not move.
#pragma once

#include "tools/art/Raster.h"

namespace art {

// A point of the background as light makes it: what it shows in the evening sun and what it
// shows in shade, so a moving shadow can be laid on it.
struct Shading {
  Rgb sunlit, shaded;
  Rgb In(float shadow) const { return Mix(sunlit, shaded, Clamp01(shadow)); }
};

// The still background at a point of the reference screen, the fountain itself excluded, with
// the still shadows already laid on it.
Shading Terrace(float x, float y);

}  // namespace art
