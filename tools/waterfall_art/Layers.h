// Where each picture of the waterfall scene sits on the 800 x 600 reference screen, its size
// and frame count, and the sizes of the flyers and the still pictures.
#pragma once

#include "tools/art/Layer.h"
#include "tools/art/Palette.h"

namespace art {

inline constexpr LayerRect kGround{"ground.jpg", 0, 0, 800, 418, 1};
inline constexpr LayerRect kWaterfall{"waterfall.jpg", 290, 280, 202, 101, 32};
inline constexpr LayerRect kHighWater{"highwater.jpg", 40, 375, 654, 38, 32};
inline constexpr LayerRect kLowWater{"lowwater.jpg", 0, 413, 800, 187, 32};
inline constexpr LayerRect kMaskStone{"maskstone.bmp", 290, 280, 202, 101, 1};
inline constexpr LayerRect kMask1{"mask1.bmp", 0, 0, 268, 281, 1};
inline constexpr LayerRect kMask2{"mask2.bmp", 607, 0, 193, 281, 1};
inline constexpr LayerRect kMask3{"mask3.bmp", 0, 295, 121, 305, 1};
inline constexpr LayerRect kMask4{"mask4.bmp", 712, 487, 88, 113, 1};
inline constexpr LayerRect kAnimated[] = {kWaterfall, kHighWater, kLowWater};

inline constexpr int kFrames = 32;            // water animation frames
inline constexpr int kEagleW = 46, kEagleH = 23, kEagleFrames = 144;
inline constexpr int kEagleShownW = 18, kEagleShownH = 9;
inline constexpr int kButterflyW = 40, kButterflyH = 30, kButterflyFrames = 16;
inline constexpr int kButterflyShown = 15;
inline constexpr int kStillW = 154, kStillH = 116;  // preview and about picture

// The masked pieces: which picture a foreground object belongs to.
enum class Piece { None, Stone, Mask1, Mask2, Mask3, Mask4 };

}  // namespace art
