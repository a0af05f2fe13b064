// The two flyer sprite sheets. The eagle is a small 3-D model seen from below and turned to
// each heading; the butterfly is seen from above, its wings folding up and opening again.
#include "tools/waterfall_art/Flyers.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/waterfall_art/Layers.h"
#include "tools/waterfall_art/Sprites.h"

namespace art {
namespace {

constexpr float kPi = 3.14159265f;

struct Vec3 {
  float x, y, z;
};

// The eagle's pose: direction in the horizontal plane and the angles of its wings.
struct Pose {
  float yaw;                 // 0 flies right, pi left; positive values fly away from the viewer
  float innerWing, outerWing;  // wing angles above the horizontal
};

constexpr float kElevation = 0.50f;  // the viewer looks up at the bird at about 29 degrees

// Bird coordinates (forward, outward to the right wing, up) to the picture (x right, y down).
struct Projector {
  Pose pose;
  float scale, cx, cy;

  Vec3 Project(Vec3 p) const {
    const float c = std::cos(pose.yaw), s = std::sin(pose.yaw);
    // Forward (1,0,0) becomes (c, 0, s) in the world: x right, y up, z away from the viewer.
    const float wx = p.x * c - p.y * s, wz = p.x * s + p.y * c, wy = p.z;
    const float up = wy * std::cos(kElevation) - wz * std::sin(kElevation);
    const float depth = wz * std::cos(kElevation) + wy * std::sin(kElevation);
    return {cx + wx * scale, cy - up * scale, depth};
  }
};

struct Shape {
  std::vector<Vec2> outline;
  float depth;
  Rgb colour;
  bool disc = false;
  float radius = 0;
};

// A wing as a polygon: root, bend and tip along the leading and the trailing edge.
void AddWing(const Projector& pr, float side, std::vector<Shape>& shapes) {
  const Pose& p = pr.pose;
  const float bend = 9;  // outward distance of the wrist
  const auto place = [&](float fwd, float out) {
    const float inner = std::min(out, bend), outer = std::max(0.0f, out - bend);
    const float across = inner * std::cos(p.innerWing) + outer * std::cos(p.outerWing);
    const float lift = inner * std::sin(p.innerWing) + outer * std::sin(p.outerWing);
    return pr.Project({fwd, side * (2 + across), lift});
  };
  // Broad wings with splayed tips: leading edge, then trailing edge back to the body.
  const float edge[][2] = {{3.5f, 0}, {4.2f, 9}, {2.8f, 17}, {1.2f, 20.5f}, {-0.8f, 21.5f}, {-1.8f, 19.5f},
                           {-3.0f, 20.5f}, {-4.6f, 18}, {-6.0f, 11}, {-6.2f, 0}};
  Shape s;
  float depth = 0;
  for (const auto& e : edge) {
    const Vec3 q = place(e[0], e[1]);
    s.outline.push_back({q.x, q.y});
    depth += q.z;
  }
  s.depth = depth / std::size(edge);
  s.colour = Rgb8(58, 40, 28);
  shapes.push_back(std::move(s));
  // Lighter coverts on the inner wing.
  Shape coverts;
  const float inner[][2] = {{3.2f, 0}, {3.8f, 8}, {1.0f, 9}, {-1.5f, 0}};
  depth = 0;
  for (const auto& e : inner) {
    const Vec3 q = place(e[0], e[1]);
    coverts.outline.push_back({q.x, q.y});
    depth += q.z;
  }
  coverts.depth = depth / std::size(inner) - 0.01f;
  coverts.colour = Rgb8(92, 66, 42);
  shapes.push_back(std::move(coverts));
}

RgbImage DrawEagle(const Pose& pose) {
  const Projector pr{pose, 1.0f, kEagleW / 2.0f, kEagleH / 2.0f};
  std::vector<Shape> shapes;
  AddWing(pr, 1, shapes);
  AddWing(pr, -1, shapes);
  // Fanned tail.
  Shape tail;
  const float tailPts[][2] = {{-6, -1.6f}, {-12.5f, -3.4f}, {-13, 0}, {-12.5f, 3.4f}, {-6, 1.6f}};
  float depth = 0;
  for (const auto& t : tailPts) {
    const Vec3 q = pr.Project({t[0], t[1], 0});
    tail.outline.push_back({q.x, q.y});
    depth += q.z;
  }
  tail.depth = depth / std::size(tailPts);
  tail.colour = Rgb8(70, 50, 34);
  shapes.push_back(std::move(tail));
  // Body as a chain of balls, head and beak at the front.
  for (float f = -7; f <= 8.01f; f += 1.0f) {
    const float r = 2.6f * std::sqrt(std::max(0.0f, 1 - std::pow((f - 0.5f) / 8.5f, 2.0f))) + 0.6f;
    const Vec3 q = pr.Project({f, 0, 0});
    shapes.push_back({{{q.x, q.y}}, q.z, f > 6 ? Rgb8(150, 112, 62) : Rgb8(66, 46, 32), true, r});
  }
  const Vec3 head = pr.Project({9.6f, 0, 0.4f});
  shapes.push_back({{{head.x, head.y}}, head.z - 0.5f, Rgb8(168, 128, 72), true, 2.3f});
  const Vec3 beak = pr.Project({11.8f, 0, 0.1f});
  shapes.push_back({{{beak.x, beak.y}}, beak.z - 0.6f, Rgb8(226, 186, 62), true, 1.1f});

  std::sort(shapes.begin(), shapes.end(), [](const Shape& a, const Shape& b) { return a.depth > b.depth; });
  SpriteCanvas canvas(kEagleW, kEagleH);
  for (const Shape& s : shapes) {
    if (s.disc)
      canvas.FillDisc(s.outline[0], s.radius, s.colour);
    else
      canvas.FillPolygon(s.outline, s.colour);
  }
  return canvas.Resolve();
}

// The cosine a heading frame stands for: the middle of its bin (the end bins reach -1 and 1),
// so even the frames flying left and right show a little of the spread wings.
float HeadingCosine(int h) {
  const float lo = h == 0 ? -1.0f : kHeadingBounds[h - 1];
  const float hi = h == 23 ? 1.0f : kHeadingBounds[h];
  return 0.5f * (lo + hi);
}

// The yaw whose motion, seen from below at the viewing elevation, has the given cosine on the
// screen; `away` picks the half of the circle flown away from the viewer.
float YawFor(float cosine, bool away) {
  const float k = std::sin(kElevation);
  const float yaw = std::atan2(std::sqrt(std::max(0.0f, 1 - cosine * cosine)), cosine * k);
  return away ? yaw : -yaw;
}

void PasteFrame(const RgbImage& frame, RgbImage& sheet, int index) {
  CopyRect(frame, 0, 0, frame.width, frame.height, sheet, 0, index * frame.height);
}

}  // namespace

int HeadingOf(float cosine) {
  for (int i = 0; i < static_cast<int>(kHeadingBounds.size()); ++i)
    if (cosine < kHeadingBounds[i]) return i;
  return 23;
}

RgbImage EagleSheet() {
  // Wing positions: glide, wings raised, wings pushed down.
  constexpr float kWings[3][2] = {{0.10f, 0.16f}, {0.55f, 0.30f}, {-0.30f, -0.50f}};
  RgbImage sheet(kEagleW, kEagleH * kEagleFrames);
  for (int wing = 0; wing < 3; ++wing)
    for (int flip = 0; flip < 2; ++flip)
      for (int h = 0; h < 24; ++h) {
        const Pose pose{YawFor(HeadingCosine(h), flip == 0), kWings[wing][0], kWings[wing][1]};
        PasteFrame(DrawEagle(pose), sheet, h + 24 * flip + 48 * wing);
      }
  return sheet;
}

namespace {

// One wing beat frame: `open` is 1 with the wings spread flat, near 0 folded up over the back.
RgbImage DrawButterfly(float open) {
  SpriteCanvas canvas(kButterflyW, kButterflyH);
  const float cx = kButterflyW / 2.0f, cy = kButterflyH / 2.0f;
  // Outlines in (outward, up) units; outward is foreshortened by the fold.
  const float fore[][2] = {{0.5f, 1}, {5, 8}, {12, 12.5f}, {18, 13}, {19.5f, 10}, {17, 3}, {9, -0.5f}, {0.5f, -1}};
  const float hind[][2] = {{0.5f, -1}, {9, -1.5f}, {15, -6}, {13.5f, -11}, {8, -13.5f}, {3, -11}, {0.5f, -6}};
  const auto place = [&](float out, float up, float side, float inset) {
    const float o = std::max(0.0f, out - inset) * open;
    return Vec2{cx + side * (1.2f + o), cy - up * (1 - inset / 40)};
  };
  const auto wing = [&](const auto& outline, float side, float inset, Rgb colour) {
    std::vector<Vec2> pts;
    for (const auto& p : outline) {
      const float shrink = inset > 0 ? 1 - inset / std::max(1.0f, std::hypot(p[0], p[1])) : 1;
      pts.push_back(place(p[0] * shrink, p[1] * shrink, side, 0));
    }
    canvas.FillPolygon(pts, colour);
  };
  for (float side : {-1.0f, 1.0f}) {
    // Black border, then the orange inner wing, then white spots near the tips.
    wing(hind, side, 0, Rgb8(30, 20, 16));
    wing(hind, side, 2.6f, Rgb8(250, 176, 36));
    wing(fore, side, 0, Rgb8(30, 20, 16));
    wing(fore, side, 3.0f, Rgb8(246, 128, 22));
    if (open > 0.35f) {
      canvas.FillDisc(place(15.5f, 10.5f, side, 0), 1.3f, Rgb8(250, 250, 240));
      canvas.FillDisc(place(11.5f, 10.8f, side, 0), 1.1f, Rgb8(250, 250, 240));
    }
  }
  const Vec2 body[] = {{cx - 1.6f, cy - 8}, {cx + 1.6f, cy - 8}, {cx + 1.3f, cy + 9}, {cx - 1.3f, cy + 9}};
  canvas.FillPolygon(body, Rgb8(40, 30, 24));
  canvas.FillDisc({cx, cy - 9}, 2.0f, Rgb8(40, 30, 24));
  return canvas.Resolve();
}

}  // namespace

RgbImage ButterflySheet() {
  RgbImage sheet(kButterflyW, kButterflyH * kButterflyFrames);
  for (int k = 0; k < kButterflyFrames; ++k) {
    // A full beat per sheet: open, folded up at frame 8, open again; frame 15 leads into 0.
    const float fold = 0.5f - 0.5f * std::cos(2 * kPi * k / kButterflyFrames);
    PasteFrame(DrawButterfly(std::cos(fold * 1.35f)), sheet, k);
  }
  return sheet;
}

}  // namespace art
