// Where each picture of the fountain scene sits on the 800 x 600 reference screen, its size and
// frame count, and the sizes of the two still pictures.
#pragma once

#include "tools/art/Layer.h"

namespace art {

inline constexpr LayerRect kGround{"ground.jpg", 0, 0, 800, 600, 1};
inline constexpr LayerRect kWater{"water.jpg", 148, 502, 396, 98, 32};
inline constexpr LayerRect kJet{"jet.jpg", 392, 352, 45, 150, 32};
inline constexpr LayerRect kJet2{"jet2.jpg", 348, 291, 44, 75, 32};
inline constexpr LayerRect kShadow{"shadow.jpg", 223, 337, 37, 146, 32};
// In the program's draw order.
inline constexpr LayerRect kAnimated[] = {kWater, kJet, kJet2, kShadow};

inline constexpr int kFrames = 32;
inline constexpr int kPreviewW = 154, kPreviewH = 116;
inline constexpr int kAboutW = 156, kAboutH = 117;

// Pixels next to a sheet's border (other than one shared with another sheet) that show the
// still picture in every frame.
inline constexpr int kCalmBorder = 8;

}  // namespace art
