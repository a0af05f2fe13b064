// The two jets: a column of water rising from its nozzle to a height that swells and sinks
// once per loop, a rounded head where it turns, and drops falling back around it. `phase` runs
// 0..1 over the loop and everything repeats with it.
#pragma once

#include "tools/art/Raster.h"

namespace art {

struct Jet {
  float x, base;               // where the water leaves the nozzle
  float halfWidth, head;       // the rising column and its turning head
  float spray;                 // half-width of the falling drops at the nozzle's height
  float height, swing, shift;  // mean height, how far it rises and sinks, its phase offset
  float laminar;               // the lowest part of the column is smooth and still
  unsigned seed;
};

// The tall jet from the basin and the small one from the bowl.
const Jet& MainJet();
const Jet& BowlJet();

// The jet's height above its nozzle at `phase`.
float JetHeight(const Jet& jet, float phase);

// The jet's water at a point of the reference screen.
Rgba JetWater(const Jet& jet, float x, float y, float phase);

// How much of the sun the jet holds back at a point beside it, without the drops' detail: the
// shape its shadow has.
float JetDensity(const Jet& jet, float x, float y, float phase);

}  // namespace art
