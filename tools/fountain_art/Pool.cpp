// The water in the basin: ring waves, chop, mirror images, foam and glints, periodic in phase.
#include "tools/fountain_art/Pool.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Noise.h"
#include "tools/fountain_art/Fountain.h"
#include "tools/fountain_art/Jets.h"
#include "tools/fountain_art/Light.h"
#include "tools/fountain_art/Plan.h"

namespace art {
namespace {

using namespace plan;

constexpr float kTwoPi = 6.2831853f;
// The water's level continued under the house and the balustrade, as the screen shows it.
constexpr float kMirrorLine = kFloor - 20;
// The water plane seen from above: a screen row stands for this many columns of depth.
constexpr float kForeshorten = kPool.rx / kPool.ry;

float Depth(float y) { return (y - kPool.cy) * kForeshorten; }

// Rings travelling outwards from a source at (sx, sy): `cycles` rings pass a point per loop.
float Rings(float x, float y, float sx, float sy, float wavelength, int cycles, float reach, float phase) {
  const float r = std::hypot(x - sx, Depth(y) - Depth(sy));
  return std::exp(-r / reach) * std::sin(kTwoPi * (r / wavelength - cycles * phase)) * SmoothStep(0, 6, r);
}

// The water's height at a point (in arbitrary units; only its slopes are used).
float Height(float x, float y, float phase) {
  float h = 2.0f * Rings(x, y, kJetX, kJetBase, 34, 3, 130, phase);
  h += 0.8f * Rings(x, y, kColumnX, kColumnFoot, 26, 2, 70, phase);
  const float near = std::exp(-std::hypot(x - kJetX, Depth(y) - Depth(kJetBase)) / 28);
  h += (0.25f + 0.9f * near) * Boil(x / 9, Depth(y) / 9, phase, 3, 601);
  h += 0.35f * Boil(x / 30, Depth(y) / 30, phase, 2, 602);
  return h;
}

}  // namespace

Rgba PoolWater(float x, float y, float phase, const Mirrored& still) {
  const float m = std::sqrt(kPool.Measure(x, y));
  const float cover = SmoothStep(1 + 0.8f / kPool.ry, 1 - 0.8f / kPool.ry, m);
  if (cover <= 0) return {};
  // Slopes of the surface; the rim keeps the water near it calmer.
  const float calm = SmoothStep(1.0f, 0.8f, m);
  const float h = Height(x, y, phase);
  const float sx = (Height(x + 1, y, phase) - h) * calm, sy = (Height(x, y + 0.3f, phase) - h) * calm;
  const float ox = sx * 18, oy = sy * 16;
  // What stands behind the basin mirrors about the water plane's line at its foot, a little
  // blurred by the small waves; the column and the jet about their own feet.
  const float my = 2 * kMirrorLine - y + oy;
  Rgb mirror = (still(x + ox - 1.5f, my) + still(x + ox, my - 1.5f) * 2 + still(x + ox + 1.5f, my + 1.5f)) * 0.25f;
  if (y > kColumnFoot) mirror = Over(mirror, ColumnAndBowl(x + ox * 0.6f, 2 * kColumnFoot - y + oy * 0.6f));
  if (y > kJetBase) mirror = Over(mirror, JetWater(MainJet(), x + ox * 0.7f, 2 * kJetBase - y + oy * 0.7f, phase));
  const float nearness = Clamp01((y - (kPool.cy - kPool.ry)) / (2 * kPool.ry));
  const float fresnel = 0.55f - 0.2f * nearness;
  Rgb c = Mix(Rgb8(24, 44, 54), mirror * 0.85f, fresnel);
  // Slopes facing the sun glint, slopes facing away darken.
  const float glint = SmoothStep(0.12f, 0.36f, sx * 1.2f - sy * 0.5f);
  c = c + Rgb8(255, 176, 104) * (0.6f * glint);
  c = c * (1 - 0.3f * Clamp01(-sx * 3 + sy * 1.5f));
  // Froth where the jet's water comes down.
  const float r = std::hypot(x - kJetX, Depth(y) - Depth(kJetBase));
  const float froth = SmoothStep(0.05f, 0.5f, Boil(x / 3.5f, Depth(y) / 3.5f, phase, 3, 603) + 0.9f * std::exp(-r / 9) - 0.45f) *
                      std::exp(-r / 22);
  c = Mix(c, Rgb8(244, 230, 214), froth * 0.9f);
  return {c, cover};
}

}  // namespace art
