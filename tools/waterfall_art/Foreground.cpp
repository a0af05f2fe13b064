// The foreground objects that the flyers pass behind: the stones in front of the falls, the
// tree and the pines framing the top corners, the rocks and plants at the lower corners.
#include "tools/waterfall_art/Foreground.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/art/Noise.h"
#include "tools/art/Random.h"
#include "tools/waterfall_art/Rocks.h"
#include "tools/waterfall_art/Terrain.h"

namespace art {
namespace {

constexpr float kSunX = 0.6f, kSunY = -0.8f;  // light direction in the picture plane

float Inside(float d) { return SmoothStep(-0.7f, 0.7f, d); }

struct Point {
  float x, y;
};

// A tapering stroke along a quadratic curve: trunks, branches and blades of grass.
struct Stroke {
  Point a, control, b;
  float width0, width1;  // width at a and at b
  Rgb dark, light;
  unsigned seed;
  std::vector<Point> samples{};  // the curve as a polyline, filled by Prepare
  float minX = 0, minY = 0, maxX = 0, maxY = 0;

  void Prepare() {
    samples.clear();
    for (int i = 0; i <= 24; ++i) {
      const float t = i / 24.0f, s = 1 - t;
      samples.push_back({s * s * a.x + 2 * s * t * control.x + t * t * b.x, s * s * a.y + 2 * s * t * control.y + t * t * b.y});
    }
    const float pad = std::max(width0, width1) + 2;
    minX = maxX = a.x;
    minY = maxY = a.y;
    for (const Point& p : samples) {
      minX = std::min(minX, p.x - pad);
      maxX = std::max(maxX, p.x + pad);
      minY = std::min(minY, p.y - pad);
      maxY = std::max(maxY, p.y + pad);
    }
  }

  Rgba Paint(float x, float y) const {
    if (x < minX || x > maxX || y < minY || y > maxY) return {};
    float best = 1e9f, bestT = 0, side = 0;
    for (std::size_t i = 0; i + 1 < samples.size(); ++i) {
      const Point p = samples[i], q = samples[i + 1];
      const float ex = q.x - p.x, ey = q.y - p.y;
      const float len2 = ex * ex + ey * ey;
      const float u = len2 > 0 ? std::clamp(((x - p.x) * ex + (y - p.y) * ey) / len2, 0.0f, 1.0f) : 0;
      const float dx = x - (p.x + u * ex), dy = y - (p.y + u * ey);
      const float d = std::sqrt(dx * dx + dy * dy);
      if (d < best) {
        best = d;
        bestT = (i + u) / 24.0f;
        const float l = std::sqrt(len2) + 1e-6f;
        side = (dx * -ey + dy * ex) / l;  // signed offset across the stroke
      }
    }
    const float half = 0.5f * Mix(width0, width1, bestT);
    const float a = Inside(half - best);
    if (a <= 0) return {};
    // Rounded shading across the stroke, lit from the sun's side.
    const float across = std::clamp(side / std::max(half, 0.5f), -1.0f, 1.0f);
    const float lit = Clamp01(0.5f - 0.45f * across * (kSunX > 0 ? 1.0f : -1.0f) + 0.2f * Fbm2(x / 3, y / 9, 2, seed));
    return {Mix(dark, light, lit), a};
  }
};

// A clump of leaves; the canopy is the union of soft clumps, its outline broken by noise.
struct Clump {
  float cx, cy, r;
};

float CanopyDensity(const std::vector<Clump>& clumps, float x, float y) {
  float d = -1;
  for (const Clump& c : clumps) {
    if (std::fabs(x - c.cx) > c.r * 1.6f || std::fabs(y - c.cy) > c.r * 1.6f) continue;
    d = std::max(d, 1 - std::hypot(x - c.cx, y - c.cy) / c.r);
  }
  if (d < -0.6f) return d;
  return d + 0.38f * Fbm2(x / 9, y / 9, 4, 331) + 0.2f * Noise2(x / 2.6f, y / 2.6f, 332);
}

Rgba PaintCanopy(const std::vector<Clump>& clumps, float x, float y) {
  const float d = CanopyDensity(clumps, x, y);
  const float a = SmoothStep(0.02f, 0.12f, d);
  if (a <= 0) return {};
  // Edges facing the sun are lit; the inside of the crown is in its own shade.
  const float toward = CanopyDensity(clumps, x + 5 * kSunX, y + 5 * kSunY);
  const float lit = Clamp01(0.45f + 2.2f * (d - toward) + 0.25f * Fbm2(x / 16, y / 16, 2, 333));
  const float leaves = Noise2(x / 2.3f, y / 2.0f, 334) + 0.5f * Noise2(x / 1.2f, y / 1.2f, 335);
  const float shade = Clamp01(lit * 0.8f + leaves * 0.3f + 0.05f);
  Rgb col = Mix(Rgb8(20, 40, 18), Rgb8(64, 100, 38), SmoothStep(0.05f, 0.6f, shade));
  col = Mix(col, Rgb8(138, 168, 72), SmoothStep(0.62f, 1.0f, shade));
  col = col * (1 - 0.45f * SmoothStep(-0.25f, -0.55f, leaves) * SmoothStep(0.1f, 0.5f, d));  // gaps between leaves
  return {col, a};
}

struct LeftTree {
  std::vector<Stroke> wood;
  std::vector<Clump> clumps;
};

LeftTree MakeLeftTree() {
  LeftTree t;
  const Rgb barkDark = Rgb8(38, 30, 24), barkLight = Rgb8(112, 92, 70);
  t.wood.push_back({{40, 180}, {62, 90}, {52, -12}, 20, 11, barkDark, barkLight, 301});
  struct Branch {
    Point from, control, to;
    float w;
  };
  const Branch branches[] = {{{56, 118}, {100, 100}, {160, 70}, 8},    {{54, 80}, {125, 60}, {205, 40}, 7},
                             {{54, 40}, {115, 22}, {232, 14}, 6},      {{50, 142}, {86, 140}, {124, 126}, 5},
                             {{53, 60}, {30, 40}, {8, 34}, 5},         {{56, 100}, {150, 98}, {188, 106}, 4.5f},
                             {{48, 150}, {24, 140}, {4, 128}, 4}};
  Pcg32 rng(302);
  for (const Branch& b : branches) {
    t.wood.push_back({b.from, b.control, b.to, b.w, b.w * 0.45f, barkDark, barkLight, 303});
    const int n = 6;
    for (int i = 0; i < n; ++i) {
      const float s = 0.35f + 0.65f * i / (n - 1), q = 1 - s;
      const float px = q * q * b.from.x + 2 * q * s * b.control.x + s * s * b.to.x;
      const float py = q * q * b.from.y + 2 * q * s * b.control.y + s * s * b.to.y;
      const float r = rng.Range(14, 24) * (1.1f - 0.3f * s);
      const float cx = std::min(px + rng.Range(-8, 8), 246 - r);
      t.clumps.push_back({cx, py + rng.Range(-12, 4), r});
    }
  }
  // Dense foliage in the corner itself.
  for (int i = 0; i < 14; ++i) t.clumps.push_back({rng.Range(-10, 140), rng.Range(-20, 40), rng.Range(20, 32)});
  // A bush at the foot of the trunk, hanging over the wall's edge.
  for (int i = 0; i < 6; ++i) t.clumps.push_back({rng.Range(-5, 90), rng.Range(160, 195), rng.Range(12, 20)});
  for (Stroke& s : t.wood) s.Prepare();
  return t;
}

const LeftTree& TheLeftTree() {
  static const LeftTree tree = MakeLeftTree();
  return tree;
}

Rgba PaintLeftTree(float x, float y) {
  if (x > 268 || y > 240) return {};
  const LeftTree& t = TheLeftTree();
  Rgba out;
  for (const Stroke& s : t.wood) out = OverA(out, s.Paint(x, y));
  out = OverA(out, PaintCanopy(t.clumps, x, y));
  return out;
}

struct Pine {
  float cx, top, base, halfWidth;
  unsigned seed;
};

constexpr Pine kPines[] = {{670, 52, 232, 44, 311}, {786, 4, 198, 46, 313}, {734, -16, 212, 52, 312}};

Rgba PaintPine(const Pine& p, float x, float y) {
  if (y < p.top - 2 || y > p.base + 2 || std::fabs(x - p.cx) > p.halfWidth + 8) return {};
  const float f = Clamp01((y - p.top) / (p.base - p.top));
  const float tiers = 9;
  const float q = Fbm1(y / 40, 2, p.seed) * 0.15f + f * tiers;
  const float tier = q - std::floor(q);
  const float envelope = p.halfWidth * (0.07f + 0.93f * std::pow(f, 0.9f));
  const float jag = 3.0f * Fbm2(x / 3.5f, y / 2.5f, 3, p.seed + 1) + 2.0f * Noise2(x / 1.6f, y / 4.0f, p.seed + 2);
  const float hw = envelope * (0.5f + 0.5f * std::pow(tier, 0.6f)) + jag * (0.3f + f);
  const float dx = x - p.cx;
  float a = Inside(hw - std::fabs(dx)) * Inside(p.base - 6 * Clamp01(0.5f + Fbm1(x / 5, 2, p.seed + 3)) - y);
  const float trunk = Inside(2.5f - std::fabs(dx)) * Inside(p.base + 2 - y);
  if (a <= 0 && trunk <= 0) return {};
  const float side = std::clamp(dx / std::max(hw, 1.0f), -1.0f, 1.0f);
  const float needles = Noise2(x / 1.8f, y / 1.4f, p.seed + 4) * 0.35f + Fbm2(x / 6, y / 5, 2, p.seed + 5) * 0.3f;
  const float lit = Clamp01(0.45f + 0.35f * side * (kSunX > 0 ? 1 : -1) + needles - 0.25f * (1 - tier));
  Rgb c = Mix(Rgb8(16, 36, 26), Rgb8(58, 92, 52), lit);
  c = Mix(c, Rgb8(104, 132, 74), SmoothStep(0.8f, 1.0f, lit));
  if (a < trunk) return {Rgb8(64, 48, 36), trunk};
  return {c, a};
}

Rgba PaintPines(float x, float y) {
  if (x < 607) return {};
  Rgba out;
  for (const Pine& p : kPines) out = OverA(out, PaintPine(p, x, y));
  return out;
}

Rgba PaintBoulder(const Boulder& b, float x, float y) {
  const float d = BoulderShape(b, x, y);
  const float a = Inside((1 - d) * std::min(b.rx, b.ry));
  if (a <= 0) return {};
  const float dx = (x - b.cx) / b.rx, dy = (y - b.cy) / b.ry;
  Rgb c = RockShade(x, y, Clamp01(dx) - Clamp01(-dx) * 0.6f, 0.0f, b.seed);
  const float ball = Clamp01(0.55f + 0.45f * (dx * kSunX + dy * kSunY));
  c = c * (0.55f + 0.6f * ball);
  // Moss on the top of the larger rocks, a dark wet band at the waterline.
  const float moss = SmoothStep(0.1f, 0.35f, Fbm2(x / 9, y / 7, 3, b.seed + 9) - dy * 0.5f - 0.15f) *
                     (b.rx > 25 ? 1.0f : 0.0f);
  c = Mix(c, Rgb8(70, 100, 40) * (0.6f + 0.5f * ball), moss * 0.8f);
  const float wet = SmoothStep(b.cy + b.waterline - 8, b.cy + b.waterline, y);
  return {Mix(c, c * 0.55f, wet), a};
}

// Tall grass, reeds and a few flowers rising from the lower corners.
struct Plants {
  std::vector<Stroke> blades;
  struct Flower {
    float x, y, r;
    Rgb colour;
  };
  std::vector<Flower> flowers;
};

Plants MakePlants(unsigned seed, int count, float x0, float x1, float baseY, float tipLo, float tipHi, float maxX,
                  float minX) {
  Plants p;
  Pcg32 rng(seed);
  for (int i = 0; i < count; ++i) {
    const float bx = rng.Range(x0, x1), by = baseY + rng.Range(-10, 14);
    const float ty = rng.Range(tipLo, tipHi);
    const float tx = std::clamp(bx + rng.Range(-40, 40), minX, maxX);
    const float cx = Mix(bx, tx, 0.1f) + rng.Range(-6, 6);
    const bool dry = rng.Uniform() < 0.18f;
    const Rgb dark = dry ? Rgb8(92, 84, 40) : Rgb8(28, 58, 22);
    const Rgb light = dry ? Rgb8(186, 166, 92) : Rgb8(118, 158, 62);
    p.blades.push_back({{bx, by}, {cx, Mix(by, ty, 0.55f)}, {tx, ty}, rng.Range(3.5f, 7.0f), 0.8f, dark, light, rng.Next()});
    p.blades.back().Prepare();
    if (i % 6 == 2) {
      const Rgb colours[] = {Rgb8(150, 70, 170), Rgb8(240, 200, 60), Rgb8(230, 236, 240)};
      p.flowers.push_back({tx, ty, rng.Range(3.0f, 4.2f), colours[(i / 6) % 3]});
    }
  }
  return p;
}

Rgba PaintPlants(const Plants& p, float x, float y) {
  Rgba out;
  for (const Stroke& s : p.blades) out = OverA(out, s.Paint(x, y));
  for (const auto& f : p.flowers) {
    const float d = std::hypot(x - f.x, y - f.y);
    const float petals = f.r * (0.8f + 0.25f * std::cos(5 * std::atan2(y - f.y, x - f.x)));
    const float a = Inside(petals - d);
    if (a <= 0) continue;
    const Rgb c = d < f.r * 0.35f ? Rgb8(220, 170, 40) : f.colour * (0.8f + 0.3f * Clamp01((f.y - y) / f.r + 0.5f));
    out = OverA(out, {c, a});
  }
  return out;
}

const Plants& LeftPlants() {
  static const Plants p = MakePlants(321, 60, -4, 82, 600, 304, 520, 112, 2);
  return p;
}
const Plants& RightPlants() {
  static const Plants p = MakePlants(322, 22, 728, 800, 556, 494, 536, 800, 718);
  return p;
}

}  // namespace

ForegroundSample Foreground(float x, float y) {
  ForegroundSample out;
  const auto add = [&](Rgba layer, Piece piece) {
    if (layer.a <= 0) return;
    out.colour = OverA(out.colour, layer);
    if (layer.a >= 0.5f) out.piece = piece;
  };
  for (const Boulder& b : Boulders()) add(PaintBoulder(b, x, y), b.owner);
  add(PaintLeftTree(x, y), Piece::Mask1);
  add(PaintPines(x, y), Piece::Mask2);
  if (x < 121 && y > 295) add(PaintPlants(LeftPlants(), x, y), Piece::Mask3);
  if (x > 712 && y > 487) add(PaintPlants(RightPlants(), x, y), Piece::Mask4);
  return out;
}

}  // namespace art
