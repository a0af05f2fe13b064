// The layout of the fountain scene on the 800 x 600 reference screen: eye level and sun, the
// house front on the left, the balustrade over the sea, the basin with its column and bowl,
// and where the two jets rise. Every drawing unit places things by these.
#pragma once

namespace art::plan {

inline constexpr float kHorizon = 334;            // the sea's horizon, at eye level
inline constexpr float kSunX = 742, kSunY = 312;  // the setting sun, low over the sea
inline constexpr float kSunRadius = 15;

inline constexpr float kHouseRight = 292;  // the house front covers x < kHouseRight
inline constexpr float kEave = 40;         // its cornice
inline constexpr float kSkirting = 456;    // its stone base begins
inline constexpr float kFloor = 479;       // where house and balustrade meet the terrace

// The balustrade's long edges lie on rows where a scaled display draws the main jet's sheet
// and the background alike, so they run on straight behind the jet's borders.
inline constexpr float kRailTop = 408, kRailFront = 411, kRailBottom = 424;
inline constexpr float kPlinthTop = 466;
// Balusters stand kBalusterStep apart; the gaps between them fall on the main jet's edges.
inline constexpr float kBalusterStep = 22.5f, kBalusterFirst = 403.25f;

// The basin: its rim's outer and inner edge and the water, ellipses seen from above.
struct Ellipse {
  float cx, cy, rx, ry;
  // Below 1 inside, 1 on the edge.
  float Measure(float x, float y) const {
    const float dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy;
  }
};
inline constexpr Ellipse kRimOuter{356, 556, 180, 43};
inline constexpr Ellipse kRimInner{356, 555, 167, 37};
inline constexpr Ellipse kPool{356, 558, 163, 34};
inline constexpr float kBasinWall = 28;  // height of the basin's outer wall on screen

// The column standing in the water and the bowl on top of it.
inline constexpr float kColumnX = 370, kColumnFoot = 546;
inline constexpr Ellipse kBowlRim{370, 376, 18, 4};
inline constexpr float kBowlBottom = 388;

// Where the jets leave the water, and the heights they reach over one loop.
inline constexpr float kJetX = 414, kJetBase = 550;
inline constexpr float kJet2X = 370, kJet2Base = 376;

// The main jet's shadow on the house front: its foot there and how it is scaled.
inline constexpr float kShadowX = 241.5f, kShadowFoot = 462;
inline constexpr float kShadowScaleX = 0.8f, kShadowScaleY = 0.62f;

}  // namespace art::plan
