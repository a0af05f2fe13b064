// The still background of the landscape: sky with clouds, distant mountains, forested hills,
// the plateau, the gorge walls with their rock and moss, and the banks beside the water.
#include "tools/waterfall_art/Terrain.h"

#include <cmath>

#include "tools/art/Noise.h"
#include "tools/waterfall_art/Geometry.h"

namespace art {
namespace {

constexpr float kLight[3] = {0.52f, -0.62f, 0.59f};  // towards the sun: right, up, to the viewer

float Inside(float d, float soft = 0.7f) { return SmoothStep(-soft, soft, d); }

Rgb Haze(Rgb c, float amount) { return Mix(c, Rgb8(176, 198, 218), amount); }

Rgb Clouds(float x, float y, Rgb sky) {
  // Flattened cumulus: stretched noise, denser in two bands, lit from above.
  const float band = 0.55f * std::exp(-((y - 70) / 40) * ((y - 70) / 40)) +
                     0.45f * std::exp(-((y - 160) / 30) * ((y - 160) / 30));
  const float n = Fbm2(x / 120, y / 42, 6, 21);
  const float d = SmoothStep(0.12f, 0.42f, n * 0.8f + band * 0.45f - 0.12f);
  if (d <= 0) return sky;
  const float lit = 0.5f + 0.5f * Clamp01((n - Fbm2(x / 120, (y + 6) / 42, 6, 21)) * 6 + 0.5f);
  const Rgb cloud = Mix(Rgb8(196, 206, 222), Rgb8(250, 250, 250), lit);
  return Mix(sky, cloud, d * 0.85f);
}

Rgb Forest(float x, float y, float haze) {
  // Tree crowns as blobs of noise, darker in the gaps between them.
  const float crowns = Fbm2(x / 5.5f, y / 4.5f, 3, 31);
  const float big = Fbm2(x / 40, y / 25, 3, 32);
  Rgb c = Mix(Rgb8(38, 66, 36), Rgb8(92, 122, 58), Clamp01(0.5f + crowns * 0.9f + big * 0.4f));
  c = Mix(c, Rgb8(24, 42, 26), SmoothStep(0.1f, -0.35f, crowns) * 0.6f);
  return Haze(c, haze);
}

Rgb Plateau(float x, float y) {
  const float near = Clamp01((y - geo::HillRidge(x)) / 45);
  Rgb c = Forest(x, y, 0.42f * (1 - near));
  // Grassy clearings on the plateau nearer the lip.
  const float meadow = SmoothStep(0.05f, 0.3f, Fbm2(x / 60, y / 14, 4, 33) + near * 0.25f - 0.1f);
  const Rgb grass = Mix(Rgb8(98, 128, 56), Rgb8(132, 150, 72), 0.5f + 0.5f * Fbm2(x / 7, y / 3, 3, 34));
  return Mix(c, Haze(grass, 0.25f * (1 - near)), meadow * 0.8f);
}

// Vegetation along the top edge of the gorge walls, overhanging it a little.
Rgba WallTopPlants(float x, float y) {
  const float top = geo::WallTop(x);
  const float bump = 4 + 6 * Clamp01(Fbm1(x / 9, 3, 41) + 0.4f);
  const float depth = 8 + 14 * Clamp01(Fbm2(x / 25, y / 12, 3, 42) + 0.5f);
  const float gaps = SmoothStep(-0.45f, -0.2f, Fbm1(x / 40, 3, 45));
  const float a = Inside(y - (top - bump * gaps)) * Inside(top + depth * (0.3f + 0.7f * gaps) - y + 4 * Fbm2(x / 6, y / 6, 2, 43));
  if (a <= 0) return {};
  const float leaf = Fbm2(x / 3.2f, y / 3.2f, 3, 44);
  const float shade = Clamp01(0.55f + leaf * 0.8f - (y - top) / 40);
  return {Mix(Rgb8(26, 48, 24), Rgb8(104, 138, 58), shade), a};
}

Rgb Wall(float x, float y) {
  const float facing = x < geo::kVanishX ? 1.0f : -1.0f;
  const float nearFall = std::exp(-std::pow(std::fabs(x - geo::kVanishX) / 80, 2.0f));
  const float wetLine = SmoothStep(geo::Shore(x) - 22, geo::Shore(x), y);
  Rgb c = RockShade(x, y, facing * (0.6f - 0.4f * nearFall), 0.45f * nearFall + 0.5f * wetLine, 51);
  // Moss and small plants on the ledges, more on the sunny wall.
  const float moss = Fbm2(x / 26, y / 18, 4, 52) + 0.18f * Fbm2(x / 6, y / 6, 2, 53) + (facing > 0 ? 0.02f : 0.1f);
  const float m = SmoothStep(0.18f, 0.34f, moss);
  const Rgb mossC = Mix(Rgb8(48, 72, 32), Rgb8(96, 124, 54), Clamp01(0.5f + Fbm2(x / 4, y / 4, 2, 54)));
  return Mix(c, mossC * (facing > 0 ? 1.0f : 0.8f), m * 0.85f);
}

// The banks on either side of the water: rock and grass.
Rgb Bank(float x, float y) {
  const float grass = SmoothStep(0.0f, 0.25f, Fbm2(x / 30, y / 20, 4, 61) + 0.1f);
  const Rgb rock = RockShade(x, y, x < 400 ? 0.4f : -0.2f, 0.2f, 62);
  const Rgb g = Mix(Rgb8(52, 84, 34), Rgb8(118, 146, 64), Clamp01(0.5f + Fbm2(x / 3, y / 5, 3, 63)));
  return Mix(rock, g, grass);
}

// The wet rock face behind the falling water.
Rgb FallFace(float x, float y) { return RockShade(x, y, 0.0f, 0.85f, 71) * 0.8f; }

}  // namespace

Rgb SkyColour(float x, float y) {
  const float t = Clamp01(y / 250);
  Rgb sky = Mix(Rgb8(58, 118, 196), Rgb8(150, 190, 228), std::pow(t, 0.8f));
  sky = Mix(sky, Rgb8(196, 214, 232), SmoothStep(170, 260, y));
  return Clouds(x, y, sky);
}

Rgb RockShade(float x, float y, float facing, float wet, unsigned seed) {
  // Strata run towards the far end of the gorge, so the walls read in perspective.
  const float warp = Fbm2(x / 50, y / 50, 3, seed + 1);
  const auto strataAt = [&](float px, float py) {
    return std::atan2(py - geo::kHorizon, std::fabs(px - geo::kVanishX) + 20) * 22 + warp * 2.2f;
  };
  const auto height = [&](float px, float py) {
    return Fbm2(px / 22, py / 22, 5, seed + 2) + 0.5f * Fbm2(px / 90, py / 60, 3, seed + 6) +
           0.08f * std::sin(strataAt(px, py) * 3.14159f);
  };
  const float strata = strataAt(x, y);
  const float layer = std::sin(strata * 3.14159f);
  const float h0 = height(x, y), hx = height(x + 1, y), hy = height(x, y + 1);
  float nx = facing * 0.55f - (hx - h0) * 9, ny = -(hy - h0) * 9, nz = 0.8f;
  const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
  nx /= len;
  ny /= len;
  nz /= len;
  const float diffuse = std::max(0.0f, nx * kLight[0] + ny * kLight[1] + nz * kLight[2]);
  const float tint = Noise2(std::floor(strata) * 1.7f, 0.5f, seed + 3);
  Rgb base = Mix(Rgb8(150, 132, 108), Rgb8(122, 118, 112), 0.5f + 0.5f * tint);
  base = Mix(base, Rgb8(176, 156, 124), Clamp01(Fbm2(x / 70, y / 40, 3, seed + 4)) * 0.6f);
  // Cracks: thin dark lines where ridged noise is near zero.
  const float crack = std::fabs(Fbm2(x / 16, y / 55, 3, seed + 5));
  const float dark = SmoothStep(0.06f, 0.0f, crack) * 0.42f + SmoothStep(-0.7f, -0.98f, layer) * 0.12f;
  Rgb c = base * (0.36f + 0.82f * diffuse) * (1 - dark);
  return Mix(c, c * Rgb8(120, 126, 128), Clamp01(wet));
}

Rgb Background(float x, float y) {
  Rgb c = SkyColour(x, y);
  const float far = geo::FarRidge(x);
  if (y > far - 1) {
    const float shade = 0.5f + 0.5f * Fbm2(x / 30, y / 12, 4, 81);
    const float snowy = SmoothStep(far + 14, far, y) * SmoothStep(0.1f, 0.4f, Fbm2(x / 12, y / 5, 3, 82));
    Rgb m = Mix(Rgb8(112, 132, 164), Rgb8(150, 166, 190), shade);
    m = Mix(m, Rgb8(210, 218, 230), snowy * 0.6f);
    c = Mix(c, Haze(m, SmoothStep(far, far + 40, y) * 0.35f), Inside(y - far));
  }
  const float hill = geo::HillRidge(x) - 3 * Clamp01(Fbm1(x / 4, 2, 83) + 0.5f);
  if (y > hill - 1) c = Mix(c, Plateau(x, y), Inside(y - hill));
  const float top = geo::WallTop(x);
  if (y > top - 1) {
    const bool face = x > geo::FallLeft(y) - 2 && x < geo::FallRight(y) + 2 && y < geo::Shore(x) + 10;
    Rgb rock = face ? FallFace(x, y) : Wall(x, y);
    if (y > geo::Shore(x) - 2 && (x < geo::BankLeft(y) + 6 || x > geo::BankRight(y) - 6)) {
      const float into = std::max(geo::BankLeft(y) - x, x - geo::BankRight(y));
      rock = Mix(rock, Bank(x, y), SmoothStep(-6, 10, into) * SmoothStep(geo::Shore(x), geo::Shore(x) + 40, y));
    }
    c = Mix(c, rock, Inside(y - top));
  }
  return Over(c, WallTopPlants(x, y));
}

}  // namespace art
