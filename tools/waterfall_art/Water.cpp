// The moving water: the stream above the lip, the falling water with its spray and mist, and
// the pool and river below with reflections, ripples and foam, all periodic in the loop phase.
#include "tools/waterfall_art/Water.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Noise.h"
#include "tools/waterfall_art/Geometry.h"
#include "tools/waterfall_art/Rocks.h"
#include "tools/waterfall_art/Terrain.h"

namespace art {
namespace {

Rgb Sample(const Image<Rgb>& img, float x, float y) {
  const int ix = std::clamp(static_cast<int>(x), 0, img.width - 1);
  const int iy = std::clamp(static_cast<int>(y), 0, img.height - 1);
  return img.at(ix, iy);
}

Rgba Stream(float x, float y, float phase) {
  const float cov = geo::StreamCoverage(x, y);
  if (cov <= 0) return {};
  const float hw = geo::RiverHalfWidth(y);
  const float u = (x - geo::RiverCentre(y)) / hw;
  const float nearLip = SmoothStep(270, geo::kLipY, y);
  const float ripple = FlowNoise(u * 5, y / 2.2f, phase * 2, 4 + 6 * nearLip, 3, 101);
  Rgb c = Mix(Rgb8(64, 100, 104), SkyColour(x, 470 - y) * 0.9f, 0.45f + 0.25f * ripple);
  c = Mix(c, Rgb8(214, 228, 230), nearLip * SmoothStep(0.1f, 0.5f, ripple) * 0.6f);
  c = c * (1 - 0.35f * SmoothStep(0.6f, 1.0f, std::fabs(u)));
  return {c, cov};
}

Rgba Fall(float x, float y, float phase) {
  const float cov = geo::FallCoverage(x, y);
  if (cov <= 0 || y > geo::Shore(x) + 12) return {};
  const float s = y - geo::kLipY;
  const float left = geo::FallLeft(y), right = geo::FallRight(y);
  const float across = (x - left) / (right - left);
  const float v = 1.6f * std::sqrt(std::max(0.0f, s) + 2);
  const float streak = FlowNoise(across * 34, v, phase * 2, 9, 4, 111);
  const float broad = FlowNoise(across * 6, v * 0.5f, phase * 2, 4.5f, 3, 112);
  const float bright = Clamp01(0.68f + 0.42f * streak + 0.2f * broad);
  Rgb c = Mix(Rgb8(112, 142, 150), Rgb8(240, 246, 248), bright);
  c = c * (0.82f + 0.18f * std::sin(across * 3.14159f));  // the curtain is rounded
  // The smooth, glassy tongue where the water bends over the lip.
  const float glass = SmoothStep(9, 0, s);
  c = Mix(c, Mix(Rgb8(74, 112, 104), Rgb8(196, 222, 220), SmoothStep(0.2f, 0.7f, broad + 0.4f) * 0.6f), glass * 0.75f);
  // Thin sheets show the dark rock through.
  const float alpha = cov * (0.95f - 0.3f * SmoothStep(-0.35f, -0.7f, streak + 0.3f * broad) * (1 - glass));
  // Ragged edges: loose threads of water break away at the sides.
  const float edge = std::min(x - left, right - x);
  const float threads = SmoothStep(-0.1f, 0.3f, FlowNoise(across * 60, v * 1.5f, phase * 2, 14, 2, 113));
  return {c, alpha * Mix(threads, 1.0f, SmoothStep(0, 6, edge))};
}

Rgb SurfaceBody(float x, float y) {
  Rgb body = Mix(Rgb8(40, 80, 74), Rgb8(26, 62, 58), SmoothStep(390, 600, y));
  const float bank = std::min(x - geo::BankLeft(y), geo::BankRight(y) - x);
  return Mix(Rgb8(78, 96, 74), body, SmoothStep(0, 26, bank));
}

// Foam the water makes around a boulder standing in it.
float BoulderFoam(float x, float y, float phase) {
  float foam = 0;
  for (const Boulder& b : Boulders()) {
    const float d = BoulderShape(b, x, y);
    if (d < 0.8f || d > 1.8f) continue;
    const float ring = std::exp(-std::pow((d - 1.0f) * 7, 2.0f));
    foam = std::max(foam, 0.7f * ring * SmoothStep(-0.1f, 0.4f, Boil(x / 3, y / 2, phase, 3, 121)));
  }
  return foam;
}

Rgba Surface(float x, float y, float phase, const Image<Rgb>& background) {
  const float cov = geo::PoolCoverage(x, y);
  if (cov <= 0) return {};
  const float shore = geo::Shore(x);
  const auto height = [&](float px, float py) {
    const float Z = geo::Depth(py), X = geo::Lateral(px, py);
    return FlowNoise(X / 10, -Z * 0.9f, phase, 3, 4, 131) + 0.25f * FlowNoise(X / 3.5f, -Z * 2.6f, phase * 2, 4, 3, 132);
  };
  const float h = height(x, y);
  const float sx = height(x + 1, y) - h, sy = height(x, y + 1) - h;
  const float nearness = SmoothStep(shore, 600, y);
  // Mirror image of the far shore, broken up by the ripples.
  const float ry = 2 * shore - y + sy * 14 * (1 + nearness * 3);
  const float rx = x + sx * 10 * (1 + nearness * 2);
  Rgb mirrored = ry > 0 ? Sample(background, rx, ry) : SkyColour(rx, 0);
  // The falls, upside down, soon lost in the ripples.
  const float fallMirror = geo::FallCoverage(x + sx * 40, ry) * std::exp(-(y - shore) / 30);
  mirrored = Mix(mirrored, Rgb8(200, 214, 218), 0.7f * fallMirror);
  const float fresnel = 0.28f + 0.42f * (1 - nearness);
  Rgb c = Mix(SurfaceBody(x, y), mirrored * 0.86f, fresnel * std::exp(-(y - shore) / 150));
  c = Mix(c, SkyColour(x, 200), Clamp01(-sy * 2.6f + 0.1f) * 0.22f * (0.5f + nearness));
  c = c * (1 - Clamp01(sy * 2.0f) * 0.3f);
  // Foam: thick where the falls come down, drifting away in streaks.
  const float X = geo::Lateral(x, y), Z = geo::Depth(y);
  const float plunge = std::exp(-std::pow((x - 396) / 72, 2.0f) - std::pow((y - 384) / 11, 2.0f));
  const float trail = std::exp(-std::pow(X / 55, 2.0f)) * SmoothStep(600, 385, y);
  const float streaks = FlowNoise(X / 2.5f, -Z * 1.6f, phase, 4, 4, 133);
  const float boil = Boil(x / 7, y / 3.5f, phase, 4, 134);
  float foam = SmoothStep(0.15f, 0.55f, plunge * 1.25f + boil * 0.35f * plunge + trail * 0.45f + streaks * 0.55f - 0.3f);
  foam = std::max(foam, BoulderFoam(x, y, phase));
  const Rgb foamC = Mix(Rgb8(186, 202, 204), Rgb8(240, 244, 244), Clamp01(0.5f + boil));
  return {Mix(c, foamC, foam * 0.9f), cov};
}

// Spray and mist where the falling water hits the pool.
Rgba Spray(float x, float y, float phase) {
  const float ex = std::exp(-std::pow((x - 396) / 64, 4.0f));
  const float splashEnv = ex * std::exp(-std::pow((y - 379) / 12, 2.0f));
  const float mistEnv = 0.35f * std::exp(-std::pow((x - 396) / 80, 2.0f)) * SmoothStep(305, 372, y) *
                        SmoothStep(404, 384, y);
  if (splashEnv < 0.01f && mistEnv < 0.01f) return {};
  const float n = Boil(x / 9, y / 6, phase, 4, 141) + 0.5f * FlowNoise(x / 5, -y / 4, phase * 2, 3, 2, 142);
  const float splash = splashEnv * SmoothStep(-0.25f, 0.35f, n);
  const float mist = mistEnv * (0.6f + 0.4f * n);
  return {Mix(Rgb8(214, 226, 230), Rgb8(250, 252, 252), Clamp01(0.5f + n)), Clamp01(splash * 1.2f + mist)};
}

}  // namespace

Rgba Water(float x, float y, float phase, const Image<Rgb>& background) {
  Rgba w = Surface(x, y, phase, background);
  w = OverA(w, Stream(x, y, phase));
  w = OverA(w, Fall(x, y, phase));
  return OverA(w, Spray(x, y, phase));
}

}  // namespace art
