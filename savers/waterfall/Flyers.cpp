// Eagles and butterflies of the waterfall scene: set-up, the walk along their spline paths, the
// eagle's heading and wing beats, and the frame numbers the frame loop draws.
#include "savers/waterfall/Flyers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

const std::array<TPathPoint, 51> EaglePath = {{
    {66, 73},   {209, 39},  {222, 106}, {111, 123}, {156, 66},  {295, 120}, {177, 151}, {208, 65},
    {305, 38},  {401, 95},  {333, 136}, {307, 88},  {464, 46},  {543, 96},  {436, 144}, {397, 58},
    {538, 43},  {601, 68},  {558, 119}, {553, 149}, {639, 136}, {719, 106}, {763, 69},  {690, 62},
    {622, 84},  {585, 119}, {535, 147}, {465, 183}, {388, 142}, {446, 115}, {521, 168}, {396, 173},
    {320, 112}, {262, 144}, {328, 174}, {383, 125}, {282, 99},  {235, 131}, {280, 164}, {350, 123},
    {285, 76},  {227, 87},  {174, 125}, {145, 169}, {213, 171}, {166, 110}, {93, 153},  {29, 108},
    {110, 71},  {88, 25},   {18, 42},
}};

// Parts of this loop lie outside the screen: the butterflies leave at the sides and the bottom.
const std::array<TPathPoint, 74> ButterflyPath = {{
    {1, 315},   {82, 393},  {47, 416},   {1, 356},    {1, 371},    {33, 375},  {94, 452},
    {165, 396}, {171, 385}, {72, 352},   {19, 425},   {46, 490},   {127, 505}, {118, 479},
    {54, 517},  {95, 528},  {87, 498},   {130, 458},  {147, 437},  {88, 419},  {5, 486},
    {0, 361},   {49, 337},  {92, 321},   {81, 370},   {102, 367},  {16, 344},  {-156, 355},
    {-65, 653}, {259, 654}, {573, 654},  {735, 653},  {835, 651},  {839, 456}, {766, 381},
    {687, 403}, {665, 488}, {744, 500},  {732, 417},  {688, 456},  {696, 474}, {705, 516},
    {676, 526}, {658, 513}, {730, 483},  {729, 472},  {712, 458},  {767, 544}, {701, 558},
    {654, 489}, {678, 433}, {692, 430},  {832, 439},  {830, 351},  {755, 456}, {720, 535},
    {670, 461}, {772, 490}, {854, 453},  {855, 655},  {855, 654},  {621, 655}, {389, 653},
    {173, 653}, {-77, 656}, {-109, 655}, {-165, 340}, {-146, 320}, {16, 324},  {102, 337},
    {161, 333}, {125, 310}, {63, 373},   {2, 337},
}};

const std::array<int, 7> EagleStartSegments = {1, 28, 44, 12, 32, 21, 12};
const std::array<int, 6> ButterflyStartSegments = {20, 28, 60, 21, 40, 56};

const std::array<std::int32_t, 20> WingFrames = {0, 1, 1, 1, 1, 1, 2, 2, 2, 2,
                                                 1, 1, 1, 1, 0, 0, 1, 1, 0, 0};

const std::array<float, 23> HeadingBounds = {
    -0.95f, -0.9f, -0.8f, -0.7f, -0.6f, -0.5f, -0.4f, -0.3f, -0.2f, -0.1f, -0.05f, 0.0f,
    0.05f,  0.1f,  0.2f,  0.3f,  0.4f,  0.5f,  0.6f,  0.7f,  0.8f,  0.9f,  0.95f};

namespace {

constexpr int EagleSteps = 50;
constexpr int ButterflySteps = 30;

// Copies a path into a new flyer, enters its first segment and puts it at that segment's start,
// so a frame drawn before the first tick already shows it on its path.
template <std::size_t N>
void StartOnPath(TFlyer& Flyer, const std::array<TPathPoint, N>& Path, int Segment, int Steps) {
  Flyer.PointCount = static_cast<std::int32_t>(N);
  std::copy(Path.begin(), Path.end(), Flyer.Points.begin());
  Flyer.Segment = Segment;
  Flyer.Steps = Steps;
  SetSegment(Flyer, Segment);
  PlaceFlyer(Flyer, 0, Steps);
}

float SplineValue(const std::array<float, 4>& a, float t) {
  return ((a[3] * t + a[2]) * t + a[1]) * t + a[0];
}

std::array<float, 4> SplineCoefficients(float p0, float p1, float p2, float p3) {
  return {(p0 + 4.0f * p1 + p2) / 6.0f, (p2 - p0) / 2.0f, (p0 - 2.0f * p1 + p2) / 2.0f,
          (3.0f * (p1 - p2) - p0 + p3) / 6.0f};
}

// Counts the step and enters the next segment of the closed loop after the last one.
void AdvanceStep(TFlyer& Flyer) {
  ++Flyer.Step;
  if (Flyer.Step > Flyer.Steps) {
    ++Flyer.Segment;
    if (Flyer.Segment >= Flyer.PointCount) Flyer.Segment = 0;
    SetSegment(Flyer, Flyer.Segment);
    Flyer.Step = 1;
  }
}

void ToggleFlip(TEagle& Eagle) {
  Eagle.Flip.store(Eagle.Flip.load(std::memory_order_relaxed) ^ 1, std::memory_order_relaxed);
}

// Glides and wing beats alternate: a beat runs through the wing table, a glide lasts a random
// number of steps.
void BeatWings(TEagle& Eagle) {
  if (Eagle.Flapping) {
    ++Eagle.FlapStep;
    if (Eagle.FlapStep >= static_cast<std::int32_t>(WingFrames.size())) {
      Eagle.Flapping = false;
      Eagle.PauseLength = rand() % 50;
      Eagle.PauseCount = 0;
      Eagle.FlapFrame.store(0, std::memory_order_relaxed);
    } else {
      Eagle.FlapFrame.store(WingFrames[static_cast<std::size_t>(Eagle.FlapStep)],
                            std::memory_order_relaxed);
    }
  } else {
    ++Eagle.PauseCount;
    if (Eagle.PauseCount > Eagle.PauseLength) {
      Eagle.Flapping = true;
      Eagle.FlapStep = 0;
    }
  }
}

}  // namespace

int InitEagles(TEagleTable& Eagles, int NumEagles) {
  const int count = std::clamp(NumEagles, 0, MaxEagles);
  for (int i = 0; i < count; ++i) {
    auto eagle = std::make_unique<TEagle>();
    // Two draws per eagle, in this order: the first glide, then the half of the sheet.
    eagle->PauseLength = rand() % 300 + 50;
    StartOnPath(*eagle, EaglePath, EagleStartSegments[static_cast<std::size_t>(i)], EagleSteps);
    if (rand() % 100 > 50) eagle->Flip.store(1, std::memory_order_relaxed);
    Eagles[static_cast<std::size_t>(i)] = std::move(eagle);
  }
  return count;
}

int InitButterflies(TButterflyTable& Butterflies) {
  for (int i = 0; i < NumButterflies; ++i) {
    auto butterfly = std::make_unique<TButterfly>();
    StartOnPath(*butterfly, ButterflyPath, ButterflyStartSegments[static_cast<std::size_t>(i)],
                ButterflySteps);
    Butterflies[static_cast<std::size_t>(i)] = std::move(butterfly);
  }
  return NumButterflies;
}

void SetSegment(TFlyer& Flyer, int i) {
  const int n = Flyer.PointCount;
  const auto& p0 = Flyer.Points[static_cast<std::size_t>(i == 0 ? n - 1 : i - 1)];
  const auto& p1 = Flyer.Points[static_cast<std::size_t>(i)];
  const auto& p2 = Flyer.Points[static_cast<std::size_t>((i + 1) % n)];
  const auto& p3 = Flyer.Points[static_cast<std::size_t>((i + 2) % n)];
  Flyer.CoefX = SplineCoefficients(static_cast<float>(p0.x), static_cast<float>(p1.x),
                                   static_cast<float>(p2.x), static_cast<float>(p3.x));
  Flyer.CoefY = SplineCoefficients(static_cast<float>(p0.y), static_cast<float>(p1.y),
                                   static_cast<float>(p2.y), static_cast<float>(p3.y));
}

void StepEagle(TEagle& Eagle) {
  AdvanceStep(Eagle);
  PlaceEagle(Eagle, Eagle.Step, Eagle.Steps);
}

void StepButterfly(TButterfly& Butterfly) {
  AdvanceStep(Butterfly);
  PlaceButterfly(Butterfly, Butterfly.Step, Butterfly.Steps);
}

void PlaceFlyer(TFlyer& Flyer, int step, int steps) {
  const float t = static_cast<float>(step) / static_cast<float>(steps);
  Flyer.X.store(SplineValue(Flyer.CoefX, t), std::memory_order_relaxed);
  Flyer.Y.store(SplineValue(Flyer.CoefY, t), std::memory_order_relaxed);
}

void PlaceEagle(TEagle& Eagle, int step, int steps) {
  PlaceFlyer(Eagle, step, steps);
  const float x = Eagle.X.load(std::memory_order_relaxed);
  const float y = Eagle.Y.load(std::memory_order_relaxed);
  const float dx = x - Eagle.PrevX;
  const float dy = y - Eagle.PrevY;
  const float c = dx / std::sqrt(dx * dx + dy * dy);
  const int heading = HeadingBin(c);
  Eagle.Heading.store(heading, std::memory_order_relaxed);
  // On a nearly horizontal course the half swaps on every step, not only on entering the bin.
  if (heading == 0 || heading == 23) ToggleFlip(Eagle);
  BeatWings(Eagle);
  Eagle.PrevX = x;
  Eagle.PrevY = y;
}

int HeadingBin(float c) {
  const auto bound = std::upper_bound(HeadingBounds.begin(), HeadingBounds.end(), c);
  return static_cast<int>(bound - HeadingBounds.begin());
}

int EagleFrame(const TEagle& Eagle) {
  return Eagle.Heading.load(std::memory_order_relaxed) +
         24 * Eagle.Flip.load(std::memory_order_relaxed) +
         48 * Eagle.FlapFrame.load(std::memory_order_relaxed);
}

int NextFlapCounter(int FlapCounter) { return FlapCounter + 1 > 15 ? 0 : FlapCounter + 1; }

// The counter runs to 15 but the sheet is shown modulo 15, so frame 0 shows twice per cycle.
int ButterflyFrame(int FlapCounter) { return FlapCounter % 15; }

int FlyerToScreen(float v, int ScreenExtent, int ReferenceExtent) {
  return ScreenExtent * static_cast<int>(v) / ReferenceExtent;
}
