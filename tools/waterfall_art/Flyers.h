// The two flyer sprite sheets: the eagle (144 frames: heading + 24 x flip + 48 x wing) and the
// butterfly (16 frames of a wing beat), as pictures on the key colour. Eagle headings run from
// flying left (0) to flying right (23); the flipped half shows each heading from the bird's
// other side (flying towards the viewer instead of away); wings 0 glide, 1 raised, 2 down.
#pragma once

#include <array>

#include "tools/art/Raster.h"

namespace art {

// The scene's heading bins: heading h is the first bound that the cosine of the direction of
// motion is below, 23 when it is below none.
inline constexpr std::array<float, 23> kHeadingBounds = {-0.95f, -0.9f, -0.8f, -0.7f, -0.6f, -0.5f, -0.4f, -0.3f,
                                                         -0.2f,  -0.1f, -0.05f, 0.0f, 0.05f, 0.1f, 0.2f, 0.3f,
                                                         0.4f,   0.5f,  0.6f,  0.7f, 0.8f,  0.9f, 0.95f};
int HeadingOf(float cosine);

RgbImage EagleSheet();      // 46 x 3312
RgbImage ButterflySheet();  // 40 x 480

}  // namespace art
