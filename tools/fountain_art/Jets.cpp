// The jets: rising column, turning head, falling drops; all periodic in the loop phase.
#include "tools/fountain_art/Jets.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Noise.h"
#include "tools/fountain_art/Light.h"
#include "tools/fountain_art/Plan.h"

namespace art {
namespace {

constexpr float kTwoPi = 6.2831853f;

// Where the jet's parts are at a point: the column with its head, and the drops' envelope.
struct Body {
  float column = 0;  // coverage of the rising water
  float spray = 0;   // inside the falling drops' envelope
  float dx = 0, s = 0, h = 0, width = 1;
};

Body Shape(const Jet& jet, float x, float y, float phase) {
  Body b;
  b.h = JetHeight(jet, phase);
  b.s = jet.base - y;  // height above the nozzle
  b.dx = x - jet.x;
  if (b.s < -1.5f || b.s > b.h + jet.head * 1.4f) return b;
  const float ax = std::fabs(b.dx);
  const float neck = b.h - jet.head;  // where the column turns into the head
  // The column thins as it slows, then swells where it breaks up below the head; above the
  // smooth foot its edge wavers with the water streaming up.
  const float rise = Clamp01(b.s / std::max(neck, 1.0f));
  const float waver = SmoothStep(jet.laminar, jet.laminar + 8, b.s) *
                      FlowNoise(0.5f, b.s / 9, phase * 4, 5, 2, jet.seed + 2);
  b.width = jet.halfWidth * (1.05f - 0.25f * rise + 0.55f * SmoothStep(0.6f, 1.0f, rise)) + 0.6f * waver;
  float column = b.s <= neck ? Inside(b.width - ax) : 0;
  const float headDist = std::hypot(b.dx / jet.head, (b.s - neck) / (jet.head * 1.25f));
  column = std::max(column, Inside((1 - headDist) * jet.head));
  b.column = column * Inside(b.s + 0.5f);
  // The drops open out from the head into a bell and fall back down to the water.
  const float fallen = Clamp01((neck + jet.head - b.s) / std::max(b.h, 1.0f));
  const float reach = jet.head * 1.1f + (jet.spray - jet.head * 1.1f) * std::sqrt(fallen);
  b.spray = b.s <= neck + jet.head ? Inside(reach - ax, 1.5f) * Inside(b.s, 1.0f) : 0;
  return b;
}

}  // namespace

const Jet& MainJet() {
  static const Jet jet{plan::kJetX, plan::kJetBase, 5.0f, 7.4f, 12.0f, 150, 26, 0.0f, 0, 501};
  return jet;
}

const Jet& BowlJet() {
  static const Jet jet{plan::kJet2X, plan::kJet2Base, 2.5f, 4.4f, 8.5f, 50, 15, 0.5f, 18, 511};
  return jet;
}

float JetHeight(const Jet& jet, float phase) {
  const float t = kTwoPi * (phase + jet.shift);
  return jet.height + jet.swing * (0.85f * std::sin(t) + 0.15f * std::sin(2 * t + 0.7f));
}

Rgba JetWater(const Jet& jet, float x, float y, float phase) {
  const Body b = Shape(jet, x, y, phase);
  if (b.column <= 0 && b.spray <= 0) return {};
  // The lowest part of the column is smooth; above it the water streams upwards, and towards
  // the head it turns to white froth.
  const float live = SmoothStep(jet.laminar * 0.6f, jet.laminar + 4, b.s);
  const float froth = SmoothStep(0.55f, 0.95f, b.s / std::max(b.h, 1.0f));
  const float u = std::clamp(b.dx / b.width, -1.2f, 1.2f);
  const float streak = live * FlowNoise(u * 1.8f, b.s / 6.5f, phase * 4, 7, 3, jet.seed);
  // Against the low sun: the side towards it glows, the core is pale, the far edge bluish.
  const float lit = Clamp01(0.5f + 0.4f * u + 0.22f * streak + 0.25f * froth);
  Rgb water = Mix(Rgb8(140, 128, 164), Rgb8(255, 238, 206), lit);
  water = water + Rgb8(255, 170, 90) * (0.35f * SmoothStep(0.45f, 0.95f, u));
  const float body = Clamp01(0.72f + 0.2f * streak + 0.2f * froth - 0.22f * u * u);
  Rgba out{water, b.column * body};
  if (b.spray > 0) {
    // Drops: bright flecks streaming down, thinning out as they fall, with mist between them.
    const float drops = FlowNoise(b.dx / 1.2f, b.s / 2.0f, phase * 6, -8, 2, jet.seed + 1);
    const float fall = Clamp01((b.h - b.s) / std::max(b.h, 1.0f));
    const float density = (0.45f + 0.55f * std::exp(-fall * 3.0f)) * live;
    const float fleck = SmoothStep(0.12f, 0.5f, drops) * density;
    const float mist = (0.06f + 0.22f * std::exp(-fall * 4.0f)) * live;
    const Rgb dropColour = Mix(Rgb8(220, 184, 182), Rgb8(255, 242, 214), Clamp01(0.5f + 0.6f * b.dx / jet.spray));
    out = OverA(out, {dropColour, b.spray * Clamp01(fleck * 0.9f + mist)});
  }
  return out;
}

float JetDensity(const Jet& jet, float x, float y, float phase) {
  const Body b = Shape(jet, x, y, phase);
  return Clamp01(0.6f * b.column + 0.22f * b.spray);
}

}  // namespace art
