// What lies beyond the terrace: sky, clouds and sun, the sea with the sun's path, a headland in
// the haze, cypresses against the light.
#include "tools/fountain_art/Vista.h"

#include <array>
#include <cmath>
#include <span>

#include "tools/art/Noise.h"
#include "tools/fountain_art/Light.h"
#include "tools/fountain_art/Plan.h"

namespace art {
namespace {

using namespace plan;

struct Stop {
  float at;
  Rgb colour;
};

Rgb Gradient(std::span<const Stop> stops, float t) {
  if (t <= stops.front().at) return stops.front().colour;
  for (std::size_t i = 1; i < stops.size(); ++i)
    if (t <= stops[i].at)
      return Mix(stops[i - 1].colour, stops[i].colour, SmoothStep(stops[i - 1].at, stops[i].at, t));
  return stops.back().colour;
}

// Light of the sun's glow at a point of the sky, 0 far from it.
float Glow(float x, float y) {
  const float d = std::hypot(x - kSunX, (y - kSunY) * 1.4f);
  return 0.75f * std::exp(-d / 38) + 0.32f * std::exp(-d / 150) + 0.12f * std::exp(-d / 420);
}

Rgb ClearSky(float x, float y) {
  static constexpr std::array<Stop, 6> kStops{{{0.00f, Rgb8(30, 34, 84)},
                                               {0.30f, Rgb8(74, 56, 124)},
                                               {0.56f, Rgb8(160, 86, 128)},
                                               {0.76f, Rgb8(226, 126, 106)},
                                               {0.91f, Rgb8(250, 170, 104)},
                                               {1.00f, Rgb8(255, 200, 138)}}};
  const float t = Clamp01(y / kHorizon);
  Rgb c = Gradient(kStops, t);
  // Cooler and dimmer away from the sun.
  const float away = Clamp01((kSunX - x) / 760);
  c = Mix(c, c * Rgb{0.78f, 0.80f, 1.02f}, away * (0.3f + 0.5f * t));
  return c + Rgb8(255, 176, 96) * Glow(x, y);
}

// Long streaks of cloud lit from below by the sun under the horizon's rim.
Rgb Clouds(float x, float y, Rgb sky) {
  const float band = 0.5f * std::exp(-std::pow((y - 110) / 45, 2.0f)) + 0.55f * std::exp(-std::pow((y - 222) / 34, 2.0f)) +
                     0.3f * std::exp(-std::pow((y - 285) / 14, 2.0f));
  const auto density = [&](float py) {
    return Fbm2(x / 300, py / 8.5f, 5, 11) * 0.85f + Fbm2(x / 70, py / 3.5f, 3, 12) * 0.3f + band * 0.6f - 0.24f;
  };
  const float n = density(y);
  const float d = SmoothStep(0.05f, 0.4f, n);
  if (d <= 0) return sky;
  // Undersides catch the light: brighter where the cloud thins out below.
  const float underside = Clamp01((n - density(y + 2.5f)) * 5 + 0.5f);
  const float t = Clamp01(y / kHorizon);
  const float warm = Clamp01(0.25f + 0.75f * t + 0.8f * Glow(x, y));
  const Rgb shade = Mix(Rgb8(70, 52, 100), Rgb8(150, 82, 112), t);
  const Rgb lit = Mix(Rgb8(232, 110, 120), Rgb8(255, 206, 136), Clamp01(warm - 0.3f));
  return Mix(sky, Mix(shade, lit, Clamp01(warm * (0.35f + 0.65f * underside))), d * 0.85f);
}

Rgb WithSun(float x, float y, Rgb sky) {
  const float d = std::hypot(x - kSunX, (y - kSunY) * 1.06f);  // flattened a little by the air
  const float disc = SmoothStep(kSunRadius + 0.8f, kSunRadius - 0.8f, d);
  const Rgb face = Mix(Rgb8(255, 240, 196), Rgb8(255, 188, 112), Clamp01((y - kSunY + kSunRadius) / (2 * kSunRadius)));
  return Mix(sky, face, disc);
}

// The far headland: a long low ridge in the haze, left of the sun.
float HeadlandTop(float x) {
  return kHorizon - 20 * std::exp(-std::pow((x - 430) / 130, 2.0f)) - 9 * std::exp(-std::pow((x - 250) / 70, 2.0f)) -
         3 * Fbm1(x / 35, 3, 21) - 2;
}

Rgb Sea(float x, float y) {
  const float depth = SmoothStep(kHorizon, 480, y);
  Rgb c = Mix(Rgb8(176, 104, 118), Rgb8(46, 40, 84), std::pow(depth, 0.6f));
  // Long swells: faint darker and lighter bands.
  c = c * (1 + 0.07f * Fbm2(x / 90, (y - kHorizon) * 0.35f, 3, 22));
  // The sun's path: a widening column of glitter under the sun.
  const float spread = 8 + (y - kHorizon) * 1.1f;
  const float path = std::exp(-std::pow((x - kSunX) / spread, 2.0f));
  const float glitter = SmoothStep(0.2f, 0.65f, Noise2(x / 4.5f, (y - kHorizon) * 0.9f, 23) +
                                                    0.5f * Noise2(x / 11, (y - kHorizon) * 0.45f, 24));
  c = c + Rgb8(255, 178, 100) * (path * (0.18f + 0.9f * glitter) * (1 - 0.6f * depth));
  // Haze softens the horizon.
  return Mix(c, Rgb8(244, 170, 126), SmoothStep(kHorizon + 10, kHorizon, y) * 0.65f);
}

// A cypress: a tall dark flame, its edge towards the sun lit up.
struct Cypress {
  float cx, top, halfWidth;
  unsigned seed;
};
constexpr std::array<Cypress, 3> kCypresses{{{686, 168, 17, 31}, {791, 138, 21, 32}, {648, 238, 11, 33}}};

Rgba PaintCypress(const Cypress& c, float x, float y) {
  if (y < c.top - 2 || std::fabs(x - c.cx) > c.halfWidth + 6) return {};
  const float s = Clamp01((y - c.top) / (430 - c.top));
  const float ragged = 2.2f * Fbm2(x / 4, y / 6, 3, c.seed) + 1.2f * Noise2(x / 1.7f, y / 2.3f, c.seed + 1);
  const float hw = c.halfWidth * std::pow(s, 0.5f) * (1 - 0.25f * s) + ragged * std::sqrt(s);
  const float dx = x - c.cx;
  const float a = Inside(hw - std::fabs(dx));
  if (a <= 0) return {};
  const float towardSun = (kSunX > c.cx ? 1.0f : -1.0f) * dx;
  const float rim = SmoothStep(hw - 3.5f, hw - 0.5f, towardSun) * (0.4f + 0.6f * Glow(x, y));
  const float leaves = 0.5f + 0.5f * Fbm2(x / 2.5f, y / 3, 2, c.seed + 2);
  Rgb col = Mix(Rgb8(18, 24, 28), Rgb8(40, 46, 40), leaves);
  return {Mix(col, Rgb8(220, 130, 72), rim * 0.7f), a};
}

}  // namespace

Rgb Sky(float x, float y) { return Clouds(x, y, ClearSky(x, y)); }

Rgb Vista(float x, float y) {
  Rgb c = y < kHorizon + 1 ? WithSun(x, y, Sky(x, y)) : Sea(x, y);
  if (y >= kHorizon - 1) c = Mix(c, Sea(x, std::max(y, kHorizon)), Inside(y - kHorizon, 0.9f));
  const float top = HeadlandTop(x);
  if (y > top - 1 && y < kHorizon + 1) {
    const float haze = SmoothStep(top, kHorizon, y);
    Rgb hill = Mix(Rgb8(112, 64, 100), Rgb8(196, 118, 120), 0.3f + 0.5f * haze);
    hill = hill * (1 + 0.06f * Fbm2(x / 18, y / 5, 3, 25));
    c = Mix(c, hill, Inside(y - top, 1.0f) * Inside(kHorizon - y, 0.9f));
  }
  for (const Cypress& tree : kCypresses) {
    const Rgba t = PaintCypress(tree, x, y);
    if (t.a > 0) c = Over(c, t);
  }
  return c;
}

}  // namespace art
