// The terrace: house front, balustrade, paving and the still shadows on them.
#include "tools/fountain_art/Terrace.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "tools/art/Noise.h"
#include "tools/art/Random.h"
#include "tools/fountain_art/Light.h"
#include "tools/fountain_art/Plan.h"
#include "tools/fountain_art/Vista.h"

namespace art {
namespace {

using namespace plan;

// A surface: its colour, how much of the low sun reaches it, and light of its own (glass that
// mirrors the sky).
struct Surface {
  Rgb albedo;
  float sun = 0;
  Rgb glow{};
};

Shading Shade(const Surface& s, float stillShadow) {
  const Rgb shaded = Lit(s.albedo, 0) + s.glow;
  return {Mix(Lit(s.albedo, s.sun) + s.glow, shaded, stillShadow), shaded};
}

struct Box {
  float x0, y0, x1, y1;
  bool Contains(float x, float y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// Window openings with their stone frames; the upper ones have open shutters.
struct Opening {
  Box box;
  bool shutters;
};
constexpr std::array<Opening, 3> kWindows{{{{44, 112, 92, 204}, true}, {{152, 112, 200, 204}, true}, {{132, 330, 178, 418}, false}}};
constexpr Box kDoor{40, 318, 104, kFloor};
constexpr float kFrame = 6, kShutter = 22;

const Rgb kPlaster = Rgb8(198, 120, 72);
const Rgb kStone = Rgb8(214, 192, 160);

// Raking light on the house front, a little stronger to the right, none under the cornice.
float FrontSun(float x, float y) { return (0.46f + 0.14f * x / kHouseRight) * SmoothStep(kEave + 12, kEave + 44, y); }

Rgb Grain(Rgb c, float x, float y, unsigned seed, float amount) {
  return c * (1 + amount * (Fbm2(x / 30, y / 26, 4, seed) + 0.35f * Noise2(x / 2.2f, y / 2.2f, seed + 1)));
}

Surface Glass(float gx, float gy) {
  const Rgb dark = Mix(Rgb8(70, 52, 80), Rgb8(18, 16, 28), SmoothStep(0.0f, 0.9f, gy));
  const float streak = SmoothStep(0.45f, 0.0f, std::fabs(gx - 0.75f) + gy * 0.35f);
  return {Rgb{}, 0, dark + Rgb8(255, 164, 104) * (0.22f * streak)};
}

// A window at (x, y) inside its box: frame, mullions, glass.
Surface Window(const Box& w, float x, float y) {
  const float sun = FrontSun(x, y);
  if (x < w.x0 + kFrame || x >= w.x1 - kFrame || y < w.y0 + kFrame || y >= w.y1 - kFrame) {
    const float catchLight = (x >= w.x1 - kFrame ? 0.3f : 0) + (y < w.y0 + kFrame ? 0.1f : 0);
    return {Grain(kStone * 0.86f, x, y, 60, 0.04f), sun + catchLight};
  }
  const float gx = (x - w.x0 - kFrame) / (w.x1 - w.x0 - 2 * kFrame), gy = (y - w.y0 - kFrame) / (w.y1 - w.y0 - 2 * kFrame);
  if (std::fabs(gx - 0.5f) < 0.045f || std::fabs(gy - 0.4f) < 0.03f) return {Rgb8(84, 60, 48), sun * 0.6f};
  return Glass(gx, gy);
}

Surface Shutter(const Box& w, float x, float y) {
  const float louvre = std::fmod(y - w.y0, 4.0f) < 1.3f ? 0.72f : 1.0f;
  return {Grain(Rgb8(54, 90, 72) * louvre, x, y, 61, 0.05f), FrontSun(x, y) * 0.85f + (x >= w.x1 ? 0.15f : 0)};
}

float ArchTop(float x) { return kDoor.y0 + 32 - 32 * std::sqrt(Clamp01(1 - std::pow((x - 72) / 32, 2.0f))); }

Surface DoorAt(float x, float y) {
  const float boards = 0.88f + 0.12f * std::cos((x - kDoor.x0) / 8 * 6.2832f);
  const float recess = SmoothStep(ArchTop(x) + 10, ArchTop(x), y) * 0.35f;
  return {Grain(Rgb8(96, 56, 36) * boards * (1 - recess), x, y, 62, 0.06f), FrontSun(x, y) * 0.55f};
}

// Corner stones along the house's right edge, and whether (x, y) is on one.
bool OnQuoin(float x, float y) {
  const int course = static_cast<int>(std::floor((y - kEave) / 18));
  return x >= kHouseRight - (course % 2 ? 10 : 16);
}
Surface Quoin(float x, float y) {
  const float mortar = SmoothStep(7.2f, 8.6f, std::fabs(std::fmod(y - kEave, 18.0f) - 9));
  return {Grain(kStone * (0.92f - 0.28f * mortar), x, y, 63, 0.05f), FrontSun(x, y) + 0.12f};
}

Surface Skirting(float x, float y) {
  const float joint = SmoothStep(1.6f, 0.3f, std::fabs(std::fmod(x + 1000, 46.0f) - 23)) * 0.2f;
  const float lip = SmoothStep(kSkirting + 3, kSkirting, y) * 0.25f;
  return {Grain(kStone * 0.74f * (1 - joint), x, y, 64, 0.05f), FrontSun(x, y) + lip};
}

// The roof seen from below its eave: rows of round tiles, their ends along the cornice.
constexpr float kTile = 11, kRoofTop = 16;

bool UnderRoof(float x, float y) {
  if (y >= kEave - 8) return true;
  return y >= kRoofTop + 1.5f * Fbm1(x / 30, 2, 64);
}

Surface Roof(float x, float y) {
  const float across = std::fmod(x + 1000 * kTile, kTile) / kTile;  // 0..1 over one tile
  const float round = std::sqrt(Clamp01(1 - std::pow(2 * across - 1, 2.0f)));
  // The tile ends hang down in arches over the cornice, dark in the gaps between them.
  const float endTop = kEave - 8 + 8 * (1 - round);
  if (y >= kEave - 8) {
    if (y < endTop) return {Rgb8(40, 22, 20), 0};
    return {Grain(Rgb8(164, 72, 46) * (0.6f + 0.4f * round), x, y, 65, 0.06f), 0.5f * round};
  }
  const float course = std::fmod(y - kRoofTop, 7.0f) < 1.2f ? 0.75f : 1.0f;
  return {Grain(Rgb8(150, 66, 44) * (0.55f + 0.45f * round) * course, x, y, 65, 0.08f), 0.45f * round};
}

Surface Cornice(float x, float y) {
  const float t = (y - kEave) / 12;
  return {Grain(kStone * (t < 0.3f ? 1.0f : t < 0.55f ? 0.72f : 0.9f), x, y, 66, 0.04f), t < 0.3f ? 0.75f : 0.4f};
}

// Magenta bougainvillea hanging from the cornice at the house's right end.
Rgba Bougainvillea(float x, float y) {
  if (x < 186 || x > kHouseRight + 2 || y < kEave + 4 || y > 196) return {};
  const float reach = 30 + 100 * SmoothStep(196, 270, x) * (0.7f + 0.3f * Fbm1(x / 13, 3, 67));
  const float n = Fbm2(x / 12, y / 9, 4, 68);
  const float top = kEave + 9 + 3 * Fbm1(x / 7, 2, 72);  // it hangs from under the cornice
  const float body = Inside((kEave + reach - y) / 5 + n * 3.0f - 0.6f) * Inside(y - top, 1.2f);
  if (body <= 0) return {};
  // Clumps of leaves, and the bracts in rounded clusters among them, lit from the upper right.
  const float leaves = Fbm2(x / 4, y / 4, 3, 69);
  const float clusters = Fbm2(x / 7, y / 6, 3, 70) + 0.2f * Fbm2(x / 2.5f, y / 2.5f, 2, 71);
  const float sun = FrontSun(x, std::max(y, kEave + 44)) + 0.2f + 0.4f * Clamp01(leaves + clusters);
  const Rgb leaf = Lit(Mix(Rgb8(24, 46, 24), Rgb8(78, 112, 46), Clamp01(0.5f + leaves)), sun * 0.7f);
  const Rgb bract = Lit(Mix(Rgb8(140, 18, 86), Rgb8(236, 80, 156), Clamp01(0.55f + 1.5f * clusters)), sun);
  return {Mix(leaf, bract, SmoothStep(0.02f, 0.12f, clusters)), body * Inside(leaves + 0.5f, 0.2f)};
}

// The still shadows on the house: the basin's along its foot and the column's and bowl's.
float HouseShadow(float x, float y) {
  const float basin = SmoothStep(kSkirting - 6 + 3 * Fbm1(x / 20, 2, 70), kSkirting, y) * SmoothStep(4, 40, x);
  const float s = (kShadowFoot - y) / kShadowScaleY;  // height above the water it comes from
  const float bowl = kJetBase - kBowlRim.cy;
  float half = -1;
  if (s >= 0 && s < bowl - 10) half = 5.5f;
  else if (s >= bowl - 10 && s < bowl + 4) half = kBowlRim.rx * std::sqrt(Clamp01((bowl + 4 - s) / 14));
  const float colX = kShadowX + (kColumnX - kJetX) * kShadowScaleX;
  const float column = half > 0 ? SmoothStep(half * kShadowScaleX + 1.5f, half * kShadowScaleX - 1.5f, std::fabs(x - colX)) : 0;
  return std::max(basin * 0.9f, column * 0.75f);
}

// A window's frame, shutters and sill, over what lies around it.
Surface AroundWindow(const Opening& w, float x, float y, Surface s) {
  const Box& b = w.box;
  if (b.Contains(x, y)) s = Window(b, x, y);
  if (w.shutters && y >= b.y0 + 2 && y < b.y1 - 2 && ((x >= b.x0 - kShutter && x < b.x0) || (x >= b.x1 && x < b.x1 + kShutter)))
    s = Shutter(b, x, y);
  // Frame and shutters stand out a little: a thin shadow on their left, and one under the sill.
  const float left = w.shutters ? b.x0 - kShutter : b.x0;
  if (x >= left - 4 && x < left && y > b.y0 + 2 && y < b.y1 + 4) s.sun *= 0.3f;
  if (x >= b.x0 - 4 && x < b.x1 + 4 && y >= b.y1 && y < b.y1 + 5) s = {kStone * 0.95f, FrontSun(x, y) + 0.3f};
  if (x >= b.x0 - 2 && x < b.x1 + 2 && y >= b.y1 + 5 && y < b.y1 + 9) s.sun *= 0.2f;
  return s;
}

// The door and its stone surround: jambs and a round arch.
Surface AroundDoor(float x, float y, Surface s) {
  const float archY = kDoor.y0 + 32;
  if (kDoor.Contains(x, y) && y >= ArchTop(x)) return DoorAt(x, y);
  if (y > archY && ((x >= kDoor.x0 - 6 && x < kDoor.x0) || (x >= kDoor.x1 && x < kDoor.x1 + 6)))
    return {kStone * 0.88f, FrontSun(x, y) + (x >= kDoor.x1 ? 0.3f : 0)};
  const float ring = std::hypot(x - 72, y - archY) - 32;
  if (y <= archY && ring > -1 && ring < 6 && x > kDoor.x0 - 6 && x < kDoor.x1 + 6) return {kStone * 0.88f, FrontSun(x, y) + 0.15f};
  return s;
}

Surface Front(float x, float y) {
  if (y >= kSkirting) return Skirting(x, y);
  if (OnQuoin(x, y)) return Quoin(x, y);
  Surface s{Grain(kPlaster, x, y, 71, 0.07f), FrontSun(x, y)};
  for (const Opening& w : kWindows) s = AroundWindow(w, x, y, s);
  return AroundDoor(x, y, s);
}

Shading House(float x, float y) {
  if (y < kEave && !UnderRoof(x, y)) {
    const Rgb v = Vista(x, y);
    return {v, v};
  }
  const Surface s = y < kEave ? Roof(x, y) : y < kEave + 12 ? Cornice(x, y) : Front(x, y);
  const Shading out = Shade(s, y < kEave + 12 ? 0 : HouseShadow(x, y));
  const Rgba plant = Bougainvillea(x, y);
  return {Over(out.sunlit, plant), Over(out.shaded, plant)};
}

// ---- Balustrade ----

float BalusterHalfWidth(float y) {
  const float s = (y - kRailBottom) / (kPlinthTop - kRailBottom);
  const float bulb = std::exp(-std::pow((s - 0.62f) / 0.2f, 2.0f));
  return 3.0f + 3.8f * bulb + 3.6f * SmoothStep(0.1f, 0.03f, s) + 2.8f * SmoothStep(0.86f, 0.94f, s);
}

// The balustrade against the light: shaded faces, warm edges where the sun grazes them.
Rgba Balustrade(float x, float y) {
  if (x < kHouseRight || y < kRailTop - 1 || y >= kFloor) return {};
  const Rgb stone = Grain(kStone * 0.9f, x, y, 72, 0.05f);
  if (y < kRailBottom) {
    const float a = Inside(y - kRailTop);
    if (y < kRailFront) return {Lit(stone, 0.9f), a};  // the rail's top catches the sun
    return {Lit(stone * 0.86f, 0.08f + 0.1f * SmoothStep(kRailBottom - 2, kRailBottom, y)), a};
  }
  if (y >= kPlinthTop) {
    const float edge = SmoothStep(kPlinthTop + 3, kPlinthTop, y);
    return {Lit(stone * 0.82f, 0.1f + 0.7f * edge), 1};
  }
  // Under the rail lies its shadow; then the balusters.
  const float under = SmoothStep(kRailBottom + 6, kRailBottom, y) * 0.5f;
  const float k = std::round((x - kBalusterFirst) / kBalusterStep);
  const float dx = x - (kBalusterFirst + k * kBalusterStep);
  const float hw = BalusterHalfWidth(y);
  const float a = Inside(hw - std::fabs(dx));
  if (a <= 0) return {};
  const float u = std::clamp(dx / hw, -1.0f, 1.0f);
  const float rim = SmoothStep(0.45f, 0.95f, u);
  return {Lit(stone * (0.8f + 0.1f * u) * (1 - under), 0.06f + 0.85f * rim), a};
}

// ---- A lemon tree in a terracotta pot, by the balustrade ----

constexpr float kPotX = 664, kPotTop = 528, kPotBottom = 584, kCrownY = 462, kCrownR = 36;

Rgba PottedTree(float x, float y) {
  if (std::fabs(x - kPotX) > kCrownR + 8 || y < kCrownY - kCrownR - 8 || y > kPotBottom + 1) return {};
  Rgba out;
  // The trunk, then the crown of leaves with a few lemons, lit from the right.
  if (y > kCrownY && y < kPotTop) out = {Lit(Rgb8(92, 70, 52), 0.3f + 0.5f * SmoothStep(-1, 2, x - kPotX)), Inside(2.2f - std::fabs(x - kPotX + 0.6f))};
  const float crown = 1 - std::hypot((x - kPotX) / kCrownR, (y - kCrownY) / (kCrownR * 0.9f)) + 0.16f * Fbm2(x / 7, y / 7, 3, 80);
  if (crown > -0.05f) {
    const float leaves = Fbm2(x / 2.6f, y / 2.6f, 3, 81);
    const float sunSide = Clamp01(0.35f + 0.5f * (x - kPotX) / kCrownR - 0.3f * (y - kCrownY) / kCrownR);
    Rgb c = Lit(Mix(Rgb8(26, 52, 28), Rgb8(78, 118, 50), Clamp01(0.5f + leaves)), sunSide * (0.6f + 0.6f * leaves));
    const float lemon = Noise2(x / 4.5f, y / 4.5f, 82);
    if (lemon > 0.55f && crown > 0.15f) c = Lit(Rgb8(236, 196, 40), sunSide + 0.2f);
    out = OverA(out, {c, Inside(crown * kCrownR * 0.3f) * Inside(leaves + 0.55f, 0.2f)});
  }
  // The pot: tapering, with a rolled rim.
  if (y >= kPotTop && y <= kPotBottom) {
    const float t = (y - kPotTop) / (kPotBottom - kPotTop);
    const float half = y < kPotTop + 6 ? 26 : 23 - 6 * t;
    const float u = (x - kPotX) / half;
    const float sun = Clamp01(0.1f + 0.8f * u) * (y < kPotTop + 6 ? 1.0f : 0.85f);
    const Rgb clay = Grain(Rgb8(184, 88, 52) * (y >= kPotTop + 6 && y < kPotTop + 8 ? 0.7f : 1.0f), x, y, 83, 0.06f);
    out = OverA(out, {Lit(clay, sun), Inside(half - std::fabs(x - kPotX))});
  }
  return out;
}

// The pot's shadow on the paving, thrown to the left like the basin's.
float PotShadow(float x, float y) {
  const float d = std::hypot((x - (kPotX - 44)) / 48, (y - kPotBottom + 3) / 6);
  return SmoothStep(1.1f, 0.8f, d) * SmoothStep(kPotX + 10, kPotX - 20, x);
}

// ---- Paving ----

// Depth and lateral position on the terrace for a screen point below the horizon.
float FloorDepth(float y) { return 9000.0f / std::max(4.0f, y - kHorizon); }

float SlabJoint(float x, float y) {
  const float z = FloorDepth(y), lateral = (x - 400) * z / 90;
  constexpr float kSlab = 62;
  const float fx = std::fabs(lateral / kSlab - std::round(lateral / kSlab)) * kSlab * 90 / z;  // pixels to a joint
  const float dzdy = 9000.0f / std::pow(std::max(4.0f, y - kHorizon), 2.0f);
  const float fz = std::fabs(z / kSlab - std::round(z / kSlab)) * kSlab / dzdy;
  return std::max(SmoothStep(1.6f, 0.2f, fx), SmoothStep(1.4f, 0.2f, fz));
}

float SlabTone(float x, float y) {
  const float z = FloorDepth(y), lateral = (x - 400) * z / 90;
  const int i = static_cast<int>(std::floor(lateral / 62 + 0.5f)), j = static_cast<int>(std::floor(z / 62 + 0.5f));
  return (HashPoint(i, j, 0, 73) & 0xFFFF) / 65535.0f;
}

// The basin's long shadow on the paving, thrown to the left, and the band in front of the
// balustrade and house.
float FloorShadow(float x, float y) {
  const Ellipse foot{kRimOuter.cx, kRimOuter.cy + kBasinWall * 0.5f, kRimOuter.rx, kRimOuter.ry + 4};
  float basin = 0;
  for (int i = 0; i <= 24; ++i) {
    const float s = i * 7.0f;
    basin = std::max(basin, SmoothStep(1.08f, 0.92f, foot.Measure(x + s, y + 0.06f * s)));
  }
  const float wall = SmoothStep(kFloor + 9, kFloor, y) * 0.6f;
  return std::max(basin * 0.9f, wall);
}

Shading Floor(float x, float y) {
  const float joint = SlabJoint(x, y) * 0.22f;
  const float tone = 0.92f + 0.12f * SlabTone(x, y);
  const Rgb albedo = Grain(Rgb8(188, 150, 116) * tone * (1 - joint), x, y, 74, 0.05f);
  // Nearer the viewer the paving turns away from the light a little.
  const float sun = 0.55f - 0.15f * SmoothStep(kFloor, 600, y);
  return Shade({albedo, sun}, std::max(FloorShadow(x, y), PotShadow(x, y)));
}

Shading Behind(float x, float y) {
  if (y >= kFloor) return Floor(x, y);
  if (x < kHouseRight) return House(x, y);
  const Rgb c = Over(Vista(x, y), Balustrade(x, y));
  return {c, c};
}

}  // namespace

Shading Terrace(float x, float y) {
  const Shading behind = Behind(x, y);
  const Rgba tree = PottedTree(x, y);
  if (tree.a <= 0) return behind;
  return {Over(behind.sunlit, tree), Over(behind.shaded, tree)};
}

}  // namespace art
