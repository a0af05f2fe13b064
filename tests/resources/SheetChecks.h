// Checks both programs' resource tests make on their sprite sheets: how far apart two colours
// and two frames are, and that an animation moves at every step and loops.
#pragma once

#include "tests/resources/ResourceReaders.h"

namespace res {

// Summed over red, green and blue.
int Diff(Rgb a, Rgb b);

// The mean distance between frames a and b of a sheet whose frames are `frameHeight` rows high.
double FrameDistance(const Jpeg& sheet, int frameHeight, int a, int b);

// Every frame differs from the next by more than `minimum`, and the last frame runs into the
// first like any frame into the next.
void ExpectMovesAndLoops(const Jpeg& sheet, int frameHeight, double minimum);

}  // namespace res
