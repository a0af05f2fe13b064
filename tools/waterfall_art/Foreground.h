// The foreground objects that the flyers pass behind: the stones in front of the falls, the
// tree and the pines framing the top corners, the rocks and plants at the lower corners.
#pragma once

#include "tools/art/Raster.h"
#include "tools/waterfall_art/Layers.h"

namespace art {

struct ForegroundSample {
  Rgba colour;               // what the objects paint here (coverage in `a`)
  Piece piece = Piece::None;  // the masked picture of the object that covers the pixel most
};

ForegroundSample Foreground(float x, float y);

}  // namespace art
