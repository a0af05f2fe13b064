// Checks on sprite sheets shared by the programs' resource tests.
#include "tests/resources/SheetChecks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace res {

int Diff(Rgb a, Rgb b) { return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b); }

double FrameDistance(const Jpeg& sheet, int frameHeight, int a, int b) {
  long total = 0;
  for (int y = 0; y < frameHeight; ++y)
    for (int x = 0; x < sheet.width; ++x) total += Diff(sheet.at(x, a * frameHeight + y), sheet.at(x, b * frameHeight + y));
  return static_cast<double>(total) / (sheet.width * frameHeight);
}

void ExpectMovesAndLoops(const Jpeg& sheet, int frameHeight, double minimum) {
  const int frames = sheet.height / frameHeight;
  ASSERT_GT(frames, 1);
  double largest = 0, smallest = 1e9;
  for (int f = 0; f + 1 < frames; ++f) {
    const double d = FrameDistance(sheet, frameHeight, f, f + 1);
    largest = std::max(largest, d);
    smallest = std::min(smallest, d);
  }
  EXPECT_GT(smallest, minimum);
  const double loop = FrameDistance(sheet, frameHeight, frames - 1, 0);
  EXPECT_LE(loop, largest * 1.1);
  EXPECT_GE(loop, smallest * 0.9);
}

}  // namespace res
