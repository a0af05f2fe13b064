// The layout of the landscape on the 800 x 600 reference screen: ridge lines, the gorge's top
// edge, the waterfall's edges and the pool's shores, all smooth curves with a little noise.
#include "tools/waterfall_art/Geometry.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Noise.h"
#include "tools/art/Raster.h"

namespace art::geo {
namespace {

float Gauss(float x, float c, float w) { return std::exp(-((x - c) / w) * ((x - c) / w)); }
// Anti-aliased inside test of a signed distance in pixels.
float Inside(float d) { return SmoothStep(-0.7f, 0.7f, d); }

}  // namespace

float FarRidge(float x) {
  return 196 + 16 * Fbm1(x / 150, 5, 11) - 38 * Gauss(x, 545, 85) - 22 * Gauss(x, 235, 70) -
         10 * Gauss(x, 700, 60);
}

float HillRidge(float x) { return 246 + 7 * Fbm1(x / 90, 4, 12) - 8 * Gauss(x, 330, 60) - 5 * Gauss(x, 480, 50); }

float WallTop(float x) {
  const float ragged = 3.5f * Fbm1(x / 18, 4, 13);
  if (x < kLipLeft - 8) return 160 + 126 * std::pow(std::max(0.0f, x) / (kLipLeft - 8), 1.35f) + ragged;
  if (x > kLipRight + 8)
    return kLipY - 100 * std::pow(std::min(1.0f, (x - kLipRight - 8) / (800 - kLipRight - 8)), 1.25f) + ragged;
  return kLipY + 0.8f * Fbm1(x / 10, 2, 14);
}

float FallLeft(float y) { return kLipLeft - (y - kLipY) * 0.09f + 1.5f * Fbm1(y / 14, 3, 15); }
float FallRight(float y) { return kLipRight + (y - kLipY) * 0.07f + 1.5f * Fbm1(y / 14, 3, 16); }

float Shore(float x) { return 385 + 3 * Fbm1(x / 35, 4, 17) - 3 * Gauss(x, 396, 70); }

float BankLeft(float y) { return 66 - (y - 385) * 0.52f + 5 * Fbm1(y / 22, 3, 18); }

float BankRight(float y) {
  const float d = std::max(0.0f, y - 385);
  return 668 + d * 0.32f + std::max(0.0f, y - 428) * 1.15f + 5 * Fbm1(y / 22, 3, 19);
}

// The stream bends away to the left behind the plateau's trees.
float RiverCentre(float y) { return 398 - std::pow(std::max(0.0f, kLipY - y), 1.4f) * 1.1f; }

float RiverHalfWidth(float y) {
  const float t = std::clamp((y - 262) / (kLipY - 262), 0.0f, 1.0f);
  return 14 + 35 * std::pow(t, 1.3f);
}

float PoolCoverage(float x, float y) {
  return Inside(y - Shore(x)) * Inside(x - BankLeft(y)) * Inside(BankRight(y) - x);
}

float StreamCoverage(float x, float y) {
  if (y < 258 || y > kLipY + 3) return 0;
  return Inside(RiverHalfWidth(y) - std::fabs(x - RiverCentre(y))) * SmoothStep(262, 268, y);
}

float FallCoverage(float x, float y) {
  if (y < kLipY - 1) return 0;
  return Inside(x - FallLeft(y)) * Inside(FallRight(y) - x);
}

float Depth(float y) { return 9000.0f / std::max(4.0f, y - kHorizon); }
float Lateral(float x, float y) { return (x - kVanishX) * Depth(y) / 90.0f; }

}  // namespace art::geo
