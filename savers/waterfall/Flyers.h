// Eagles and butterflies of the waterfall scene: their records, closed paths smoothed as cubic
// B-splines, one timer step each, heading and wing frames, and what the frame loop draws.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

// One authored path point in the 800 x 600 reference space.
struct TPathPoint {
  std::int32_t x;
  std::int32_t y;
};

// What both flyer kinds share: the path, the walk along it and the current position.
// X and Y are written by the timer thread and read by the frame loop.
struct TFlyer {
  std::array<TPathPoint, 256> Points{};
  std::int32_t PointCount = 0;
  std::int32_t Segment = 0;
  std::int32_t Steps = 0;
  std::int32_t Step = 0;
  std::array<float, 4> CoefX{};  // a0, a1, a2, a3
  std::array<float, 4> CoefY{};
  std::atomic<float> X{0.0f};
  std::atomic<float> Y{0.0f};
};

struct TButterfly : TFlyer {};

// Heading, Flip and FlapFrame pick the sprite frame; the frame loop reads them while the timer
// thread writes them.
struct TEagle : TFlyer {
  float PrevX = 0.0f;
  float PrevY = 0.0f;
  std::atomic<std::int32_t> Heading{0};
  std::atomic<std::uint8_t> Flip{0};
  bool Flapping = false;
  std::int32_t PauseLength = 0;
  std::int32_t PauseCount = 0;
  std::int32_t FlapStep = 0;
  std::atomic<std::int32_t> FlapFrame{0};
};

// The scene's slots; the flyers are owned here from set-up to teardown.
using TEagleTable = std::array<std::unique_ptr<TEagle>, 10>;
using TButterflyTable = std::array<std::unique_ptr<TButterfly>, 10>;

// The setup dialog offers at most this many eagles; a stored count is kept within it.
inline constexpr int MaxEagles = 5;
inline constexpr int NumButterflies = 3;

extern const std::array<TPathPoint, 51> EaglePath;
extern const std::array<TPathPoint, 74> ButterflyPath;
extern const std::array<int, 7> EagleStartSegments;
extern const std::array<int, 6> ButterflyStartSegments;
// Wing position (0, 1, 2) at each step of a wing beat.
extern const std::array<std::int32_t, 20> WingFrames;
// Upper bounds of the heading bins 0..22 for the cosine of the direction; above them is bin 23.
extern const std::array<float, 23> HeadingBounds;

// Creates eagles 0..count-1 on their start segments with random glide lengths and halves, the
// count first kept within 0..MaxEagles; returns the count created, which the scene steps and draws.
[[nodiscard]] int InitEagles(TEagleTable& Eagles, int NumEagles);
// Creates the three butterflies; returns their count.
[[nodiscard]] int InitButterflies(TButterflyTable& Butterflies);

// Loads the spline coefficients of segment i (0..PointCount-1) of the closed path.
void SetSegment(TFlyer& Flyer, int i);
// One timer step along the path, moving to the next segment after the last step of one.
void StepEagle(TEagle& Eagle);
void StepButterfly(TButterfly& Butterfly);
// Position at t = step / steps of the current segment; the eagle also turns and beats its wings.
void PlaceFlyer(TFlyer& Flyer, int step, int steps);
void PlaceEagle(TEagle& Eagle, int step, int steps);
inline void PlaceButterfly(TButterfly& Butterfly, int step, int steps) {
  PlaceFlyer(Butterfly, step, steps);
}

// Heading bin 0..23 of the cosine of the direction of motion.
int HeadingBin(float c);
// Sprite-sheet frame 0..143 of an eagle: heading, flipped half, wing position.
int EagleFrame(const TEagle& Eagle);
// Butterfly wing counter after one tick (0..15) and the frame it shows.
int NextFlapCounter(int FlapCounter);
int ButterflyFrame(int FlapCounter);
// A flyer coordinate of the reference space (extent 800 or 600) on a screen of the given extent.
int FlyerToScreen(float v, int ScreenExtent, int ReferenceExtent);
