// The boulders of the scene that stand in or beside the water. The foreground draws them and
// the water draws foam around them, so both take them from this one table.
#pragma once

#include <span>

#include "tools/waterfall_art/Layers.h"

namespace art {

struct Boulder {
  float cx, cy;   // centre on the reference screen
  float rx, ry;   // half-width and half-height
  float waterline;  // rows below the centre where the water cuts it off
  unsigned seed;    // shape and texture of its outline
  Piece owner;      // the masked picture that carries it
};

std::span<const Boulder> Boulders();

// Distance-like measure: below 1 inside the boulder's ragged outline.
float BoulderShape(const Boulder& b, float x, float y);

}  // namespace art
