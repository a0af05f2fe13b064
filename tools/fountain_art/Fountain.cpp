// The stone of the fountain: basin, column and bowl, lit by the low sun from the right.
#include "tools/fountain_art/Fountain.h"

#include <algorithm>
#include <cmath>

#include "tools/art/Noise.h"
#include "tools/fountain_art/Light.h"
#include "tools/fountain_art/Plan.h"
#include "tools/fountain_art/Vista.h"

namespace art {
namespace {

using namespace plan;

const Rgb kBasinStone = Rgb8(206, 186, 158);

Rgb Weathered(Rgb c, float x, float y, unsigned seed) {
  return c * (1 + 0.06f * Fbm2(x / 14, y / 9, 4, seed) + 0.03f * Noise2(x / 2, y / 2, seed + 1));
}

// Soft coverage of an ellipse, about a pixel wide at its edge.
float InEllipse(const Ellipse& e, float x, float y) {
  const float m = std::sqrt(e.Measure(x, y));
  return SmoothStep(1 + 0.8f / e.ry, 1 - 0.8f / e.ry, m);
}

// The lower edge of an ellipse at x (its near side), or none outside its width.
float NearEdge(const Ellipse& e, float x) {
  const float t = (x - e.cx) / e.rx;
  return std::fabs(t) >= 1 ? -1 : e.cy + e.ry * std::sqrt(1 - t * t);
}

}  // namespace

Rgba BasinStone(float x, float y) {
  const float outer = InEllipse(kRimOuter, x, y);
  const float inner = InEllipse(kRimInner, x, y);
  const float across = (x - kRimOuter.cx) / kRimOuter.rx;  // -1 left .. 1 right
  Rgba out;
  // The outer wall hangs below the rim's near edge down to the paving.
  const float edge = NearEdge(kRimOuter, x);
  if (edge > 0 && y >= edge - 1 && y < edge + kBasinWall + 1) {
    const float a = Inside(y - edge) * Inside(edge + kBasinWall - y);
    const float sun = Clamp01(0.15f + 0.75f * across) * (1 - 0.6f * SmoothStep(edge + 4, edge, y));  // under the lip
    const Rgb c = Lit(Weathered(kBasinStone * 0.86f, x, y, 81), sun) * (1 - 0.25f * SmoothStep(edge + 16, edge + kBasinWall, y));
    out = {c, a};
  }
  if (outer > 0) {
    // The rim's top: lit stone, its outer edge rounded off and brighter, joints between blocks.
    const float m = std::sqrt(kRimOuter.Measure(x, y));
    const float roundEdge = SmoothStep(0.94f, 1.0f, m);
    const float angle = std::atan2((y - kRimOuter.cy) / kRimOuter.ry, (x - kRimOuter.cx) / kRimOuter.rx);
    const float joint = SmoothStep(0.012f, 0.002f, std::fabs(std::remainder(angle, 0.3927f)));
    const float sun = 0.62f + 0.25f * across + 0.2f * roundEdge;
    const Rgb top = Lit(Weathered(kBasinStone, x, y, 82) * (1 - 0.3f * joint), sun);
    out = OverA(out, {top, outer * (1 - inner)});
  }
  if (inner > 0) {
    // Inside: the wall above the water, in the rim's shade, wet and darker near the water.
    const float wet = SmoothStep(kRimInner.cy - kRimInner.ry + 2, kPool.cy - kPool.ry + 1, y);
    const Rgb wall = Lit(Weathered(kBasinStone * 0.7f, x, y, 83) * (1 - 0.35f * wet), 0.05f);
    out = OverA(out, {wall, inner});
  }
  return out;
}

Rgba ColumnAndBowl(float x, float y) {
  const float dx = x - kColumnX;
  if (std::fabs(dx) > kBowlRim.rx + 2 || y < kBowlRim.cy - kBowlRim.ry - 2 || y > kColumnFoot + 2) return {};
  // The bowl's rim seen from a little above, with its water inside.
  const Ellipse water{kBowlRim.cx, kBowlRim.cy, kBowlRim.rx - 3, kBowlRim.ry - 1};
  const float rim = InEllipse(kBowlRim, x, y);
  const float pool = InEllipse(water, x, y);
  Rgba out;
  // The cup below the rim, narrowing into the stem.
  const float cupT = Clamp01((y - kBowlRim.cy) / (kBowlBottom - kBowlRim.cy));
  float hw = -1;
  if (y >= kBowlRim.cy && y < kBowlBottom) hw = 5 + (kBowlRim.rx - 5) * std::sqrt(1 - cupT * cupT * cupT);
  else if (y >= kBowlBottom && y < kBowlBottom + 8) hw = 4.5f + 3.5f * std::exp(-std::pow((y - kBowlBottom - 5) / 2.2f, 2.0f));
  else if (y >= kBowlBottom + 8 && y < kColumnFoot - 16) hw = 5 + 0.012f * (y - kBowlBottom);
  else if (y >= kColumnFoot - 16 && y <= kColumnFoot) hw = 7.5f + 2.5f * SmoothStep(kColumnFoot - 12, kColumnFoot - 8, y);
  if (hw > 0) {
    const float u = std::clamp(dx / hw, -1.0f, 1.0f);
    const float flute = y > kBowlBottom + 8 && y < kColumnFoot - 16 ? 0.06f * std::cos(u * 3.14159f * 3.5f) : 0;
    const float sun = Clamp01(0.1f + 0.8f * u) * (y < kBowlBottom ? 0.7f + 0.3f * cupT : 1.0f);
    const float wet = SmoothStep(kColumnFoot - 10, kColumnFoot, y) * 0.35f;
    const Rgb c = Lit(Weathered(kBasinStone * (0.92f + flute) * (1 - wet), x, y, 84), sun);
    out = {c, Inside(hw - std::fabs(dx), 1.1f)};
  }
  if (rim > 0) {
    const float u = Clamp01(dx / kBowlRim.rx + 0.5f);
    out = OverA(out, {Lit(Weathered(kBasinStone, x, y, 85), 0.5f + 0.4f * u), rim * (1 - pool)});
    // The water in the bowl mirrors the sky high above.
    const Rgb mirrored = Sky(x, 2 * kHorizon - y - 120) * 0.8f;
    out = OverA(out, {Mix(Rgb8(40, 50, 66), mirrored, 0.55f), pool});
  }
  return out;
}

}  // namespace art
