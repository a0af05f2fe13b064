// The boulders of the scene that stand in or beside the water, and their ragged outline.
// Stones in front of the falls, flat rocks in the pool and the river, the corner rocks.
#include "tools/waterfall_art/Rocks.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/art/Noise.h"

namespace art {

std::span<const Boulder> Boulders() {
  static constexpr std::array<Boulder, 8> kBoulders{{
      {345, 366, 27, 22, 9, 201, Piece::Stone},
      {450, 372, 20, 15, 6, 202, Piece::Stone},
      {228, 398, 15, 8, 2, 203, Piece::None},
      {566, 404, 19, 9, 2, 204, Piece::None},
      {505, 548, 30, 14, 4, 205, Piece::None},
      {176, 470, 17, 9, 2, 206, Piece::None},
      {776, 582, 54, 40, 14, 207, Piece::Mask4},
      {30, 578, 68, 48, 60, 208, Piece::Mask3},
  }};
  return kBoulders;
}

float BoulderShape(const Boulder& b, float x, float y) {
  const float dx = (x - b.cx) / b.rx, dy = (y - b.cy) / b.ry;
  if (dx * dx + dy * dy > 4.0f) return 2.0f;  // far outside: skip the outline noise
  const float ragged = 0.16f * Fbm2(x / 11, y / 11, 3, b.seed);
  const float round = std::sqrt(dx * dx + dy * dy) * (1 + ragged);
  const float cut = 1 + (y - (b.cy + b.waterline + 1.5f * Fbm1(x / 6, 2, b.seed + 1))) / 2.5f;
  return std::max(round, cut);
}

}  // namespace art
