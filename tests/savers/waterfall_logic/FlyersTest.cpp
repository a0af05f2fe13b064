// Checks the flyers' spline walk, laps, heading bins, wing beats and start-up draws against the
// cubic B-spline formula and replayed random draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <thread>
#include <vector>

#include "savers/waterfall/Flyers.h"

namespace {

// The uniform cubic B-spline through four control values at t in [0, 1].
double BSpline(double p0, double p1, double p2, double p3, double t) {
  const double u = 1.0 - t;
  return (u * u * u * p0 + (3 * t * t * t - 6 * t * t + 4) * p1 +
          (-3 * t * t * t + 3 * t * t + 3 * t + 1) * p2 + t * t * t * p3) /
         6.0;
}

std::vector<int> Draws(unsigned seed, int count) {
  srand(seed);
  std::vector<int> out;
  for (int i = 0; i < count; ++i) out.push_back(rand());
  return out;
}

std::unique_ptr<TEagle> OneEagle() {
  TEagleTable table;
  EXPECT_EQ(InitEagles(table, 1), 1);
  return std::move(table[0]);
}

TEST(SetSegment, CoefficientsOfTheSecondEagleSegment) {
  // Points 0..3 of the eagle path: x 66, 209, 222, 111 and y 73, 39, 106, 123.
  TEagle eagle;
  std::copy(EaglePath.begin(), EaglePath.end(), eagle.Points.begin());
  eagle.PointCount = 51;
  SetSegment(eagle, 1);
  EXPECT_FLOAT_EQ(eagle.CoefX[0], 1124.0f / 6.0f);
  EXPECT_FLOAT_EQ(eagle.CoefX[1], 78.0f);
  EXPECT_FLOAT_EQ(eagle.CoefX[2], -65.0f);
  EXPECT_FLOAT_EQ(eagle.CoefX[3], 1.0f);
  EXPECT_FLOAT_EQ(eagle.CoefY[0], 335.0f / 6.0f);
  EXPECT_FLOAT_EQ(eagle.CoefY[1], 16.5f);
  EXPECT_FLOAT_EQ(eagle.CoefY[2], 50.5f);
  EXPECT_FLOAT_EQ(eagle.CoefY[3], -151.0f / 6.0f);
}

struct SegmentCase {
  int Segment;
  int Before, At, After, AfterNext;  // the four path points the segment uses
};

class EagleSegment : public testing::TestWithParam<SegmentCase> {};

// Positions at t = 0, 1/2 and 1 follow the B-spline formula over the points the segment uses,
// the closed loop wrapping at both ends.
TEST_P(EagleSegment, FollowsTheSplineOverItsFourPoints) {
  const SegmentCase c = GetParam();
  TEagle eagle;
  std::copy(EaglePath.begin(), EaglePath.end(), eagle.Points.begin());
  eagle.PointCount = 51;
  SetSegment(eagle, c.Segment);
  const auto& p = EaglePath;
  for (int step : {0, 25, 50}) {
    PlaceFlyer(eagle, step, 50);
    const double t = step / 50.0;
    EXPECT_NEAR(eagle.X, BSpline(p[c.Before].x, p[c.At].x, p[c.After].x, p[c.AfterNext].x, t),
                1e-3);
    EXPECT_NEAR(eagle.Y, BSpline(p[c.Before].y, p[c.At].y, p[c.After].y, p[c.AfterNext].y, t),
                1e-3);
  }
}

INSTANTIATE_TEST_SUITE_P(Wrap, EagleSegment,
                         testing::Values(SegmentCase{0, 50, 0, 1, 2}, SegmentCase{1, 0, 1, 2, 3},
                                         SegmentCase{25, 24, 25, 26, 27},
                                         SegmentCase{49, 48, 49, 50, 0},
                                         SegmentCase{50, 49, 50, 0, 1}));

// The end of every segment is the start of the next, all round both loops.
template <std::size_t N>
void ExpectClosedLoop(const std::array<TPathPoint, N>& path) {
  TButterfly a, b;
  std::copy(path.begin(), path.end(), a.Points.begin());
  std::copy(path.begin(), path.end(), b.Points.begin());
  a.PointCount = b.PointCount = static_cast<int>(N);
  for (int i = 0; i < static_cast<int>(N); ++i) {
    SetSegment(a, i);
    SetSegment(b, (i + 1) % static_cast<int>(N));
    PlaceFlyer(a, 1, 1);
    PlaceFlyer(b, 0, 1);
    EXPECT_NEAR(a.X, b.X, 1e-3) << "segment " << i;
    EXPECT_NEAR(a.Y, b.Y, 1e-3) << "segment " << i;
  }
}

TEST(SetSegment, SegmentsJoinAroundBothLoops) {
  ExpectClosedLoop(EaglePath);
  ExpectClosedLoop(ButterflyPath);
}

TEST(StepEagle, FirstStepIsOneStepIntoTheStartSegmentAndHeadsAwayFromTheOrigin) {
  auto eagle = OneEagle();
  const TEagle& e = *eagle;
  // Before any step the eagle already sits at its segment's start.
  EXPECT_FLOAT_EQ(e.X, e.CoefX[0]);
  EXPECT_FLOAT_EQ(e.Y, e.CoefY[0]);
  StepEagle(*eagle);
  EXPECT_EQ(e.Segment, EagleStartSegments[0]);
  EXPECT_EQ(e.Step, 1);
  const float t = 1.0f / 50.0f;
  EXPECT_FLOAT_EQ(e.X, ((e.CoefX[3] * t + e.CoefX[2]) * t + e.CoefX[1]) * t + e.CoefX[0]);
  const float x = e.X, y = e.Y;
  EXPECT_EQ(e.Heading, HeadingBin(x / std::sqrt(x * x + y * y)));
  EXPECT_EQ(e.PrevX, x);
  EXPECT_EQ(e.PrevY, y);
}

TEST(StepEagle, LastSegmentWrapsToTheFirst) {
  auto eagle = OneEagle();
  eagle->Segment = 50;
  SetSegment(*eagle, 50);
  eagle->Step = 50;
  StepEagle(*eagle);
  EXPECT_EQ(eagle->Segment, 0);
  EXPECT_EQ(eagle->Step, 1);
  TEagle fresh;
  fresh.Points = eagle->Points;
  fresh.PointCount = 51;
  SetSegment(fresh, 0);
  EXPECT_EQ(eagle->CoefX, fresh.CoefX);
  EXPECT_EQ(eagle->CoefY, fresh.CoefY);
}

// Steps until the flyer is back on the segment and step of its first move; along the way no two
// consecutive positions coincide (the heading divides by their distance).
template <typename Flyer, typename StepFn>
int LapLength(Flyer& f, StepFn step) {
  step(f);
  const int segment = f.Segment, firstStep = f.Step;
  const float x = f.X, y = f.Y;
  float px = x, py = y;
  for (int n = 1; n < 10000; ++n) {
    step(f);
    EXPECT_FALSE(f.X == px && f.Y == py) << "step " << n;
    px = f.X;
    py = f.Y;
    if (f.Segment == segment && f.Step == firstStep) {
      EXPECT_EQ(f.X, x);
      EXPECT_EQ(f.Y, y);
      return n;
    }
  }
  return -1;
}

TEST(StepEagle, LapTakesFiftyOneTimesFiftySteps) {
  TEagleTable table;
  ASSERT_EQ(InitEagles(table, 5), 5);
  for (auto& eagle : table) {
    if (!eagle) continue;
    EXPECT_EQ(LapLength(*eagle, StepEagle), 51 * 50);
    EXPECT_GE(eagle->Heading, 0);
    EXPECT_LE(eagle->Heading, 23);
  }
}

TEST(StepButterfly, LapTakesSeventyFourTimesThirtySteps) {
  TButterflyTable table;
  ASSERT_EQ(InitButterflies(table), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(LapLength(*table[i], StepButterfly), 74 * 30);
}

struct HeadingCase {
  float Cosine;
  int Bin;
};

class Heading : public testing::TestWithParam<HeadingCase> {};

TEST_P(Heading, FallsIntoTheBinAboveEachBound) {
  EXPECT_EQ(HeadingBin(GetParam().Cosine), GetParam().Bin);
}

INSTANTIATE_TEST_SUITE_P(Bounds, Heading,
                         testing::Values(HeadingCase{-1.0f, 0}, HeadingCase{-0.96f, 0},
                                         HeadingCase{-0.95f, 1}, HeadingCase{-0.5001f, 5},
                                         HeadingCase{-0.5f, 6}, HeadingCase{-0.0001f, 11},
                                         HeadingCase{0.0f, 12}, HeadingCase{-0.0f, 12},
                                         HeadingCase{0.0001f, 12}, HeadingCase{0.4999f, 17},
                                         HeadingCase{0.5f, 18}, HeadingCase{0.9499f, 22},
                                         HeadingCase{0.95f, 23}, HeadingCase{1.0f, 23}));

TEST(PlaceEagle, OutermostBinsToggleTheHalfOnEveryStep) {
  auto eagle = OneEagle();
  // A straight course to the right: the cosine is 1 on every step.
  eagle->CoefX = {100.0f, 50.0f, 0.0f, 0.0f};
  eagle->CoefY = {100.0f, 0.0f, 0.0f, 0.0f};
  eagle->PrevX = 90.0f;
  eagle->PrevY = 100.0f;
  const int flip = eagle->Flip;
  for (int step = 1; step <= 4; ++step) {
    PlaceEagle(*eagle, step, 50);
    EXPECT_EQ(eagle->Heading, 23);
    EXPECT_EQ(eagle->Flip, (flip + step) % 2);
  }
  // Straight down: bin 12 keeps the half.
  eagle->CoefX = {100.0f, 0.0f, 0.0f, 0.0f};
  eagle->CoefY = {100.0f, 50.0f, 0.0f, 0.0f};
  eagle->PrevX = 100.0f;
  eagle->PrevY = 0.0f;
  const int kept = eagle->Flip;
  PlaceEagle(*eagle, 1, 50);
  EXPECT_EQ(eagle->Heading, 12);
  EXPECT_EQ(eagle->Flip, kept);
}

TEST(EagleFrame, HeadingPlusTwentyFourPerHalfPlusFortyEightPerWingPosition) {
  struct Case {
    int Heading, Flip, FlapFrame, Frame;
  };
  TEagle eagle;
  for (const Case c : {Case{0, 0, 0, 0}, Case{23, 0, 0, 23}, Case{0, 1, 0, 24}, Case{5, 1, 1, 77},
                       Case{12, 0, 2, 108}, Case{23, 1, 2, 143}}) {
    eagle.Heading = c.Heading;
    eagle.Flip = static_cast<std::uint8_t>(c.Flip);
    eagle.FlapFrame = c.FlapFrame;
    EXPECT_EQ(EagleFrame(eagle), c.Frame);
  }
}

TEST(Wings, TableFollowsTheBeat) {
  struct Range {
    int From, To, Frame;
  };
  for (const Range r : {Range{0, 0, 0}, Range{1, 5, 1}, Range{6, 9, 2}, Range{10, 13, 1},
                        Range{14, 15, 0}, Range{16, 17, 1}, Range{18, 19, 0}})
    for (int s = r.From; s <= r.To; ++s) EXPECT_EQ(WingFrames[s], r.Frame) << "step " << s;
}

TEST(Wings, GlideThenBeatThenRandomGlide) {
  auto eagle = OneEagle();
  eagle->Flapping = false;
  eagle->PauseLength = 3;
  eagle->PauseCount = 0;
  eagle->FlapFrame = 0;
  int step = 0;
  auto place = [&] { PlaceEagle(*eagle, ++step, 1000); };
  // Glides while the count has not passed the length, then starts beating without moving the
  // wings yet.
  for (int i = 1; i <= 3; ++i) {
    place();
    EXPECT_FALSE(eagle->Flapping);
    EXPECT_EQ(eagle->PauseCount, i);
  }
  place();
  EXPECT_TRUE(eagle->Flapping);
  EXPECT_EQ(eagle->FlapStep, 0);
  EXPECT_EQ(eagle->FlapFrame, 0);
  for (int s = 1; s <= 19; ++s) {
    place();
    EXPECT_TRUE(eagle->Flapping);
    EXPECT_EQ(eagle->FlapFrame, WingFrames[s]) << "beat step " << s;
  }
  // The twentieth beat step ends the beat with a glide of rand() mod 50 steps.
  const int draw = Draws(77, 1)[0];
  srand(77);
  eagle->FlapFrame = 2;
  place();
  EXPECT_FALSE(eagle->Flapping);
  EXPECT_EQ(eagle->PauseLength, draw % 50);
  EXPECT_EQ(eagle->PauseCount, 0);
  EXPECT_EQ(eagle->FlapFrame, 0);
}

TEST(InitEagles, DrawsGlideThenHalfForEachEagleInTurn) {
  const std::vector<int> draws = Draws(2003, 10);
  srand(2003);
  TEagleTable table;
  ASSERT_EQ(InitEagles(table, 5), 5);
  for (int i = 0; i < 5; ++i) {
    const TEagle& e = *table[i];
    EXPECT_EQ(e.PauseLength, draws[2 * i] % 300 + 50);
    EXPECT_EQ(e.Flip, draws[2 * i + 1] % 100 > 50 ? 1 : 0);
    EXPECT_EQ(e.Segment, EagleStartSegments[i]);
    EXPECT_EQ(e.PointCount, 51);
    EXPECT_EQ(e.Steps, 50);
    EXPECT_EQ(e.Step, 0);
    EXPECT_EQ(e.Heading, 0);
    EXPECT_FALSE(e.Flapping);
    EXPECT_EQ(e.PauseCount, 0);
    EXPECT_EQ(e.FlapStep, 0);
    EXPECT_EQ(e.FlapFrame, 0);
    EXPECT_EQ(e.PrevX, 0.0f);
    EXPECT_EQ(e.PrevY, 0.0f);
    EXPECT_TRUE(std::equal(EaglePath.begin(), EaglePath.end(), e.Points.begin(),
                           [](TPathPoint a, TPathPoint b) { return a.x == b.x && a.y == b.y; }));
  }
}

TEST(InitEagles, StoredCountIsKeptWithinTheDialogRange) {
  struct Case {
    int Stored, Created;
  };
  for (const Case c :
       {Case{-3, 0}, Case{0, 0}, Case{2, 2}, Case{5, 5}, Case{7, 5}, Case{1000, 5}}) {
    TEagleTable table;
    EXPECT_EQ(InitEagles(table, c.Stored), c.Created);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(table[i] != nullptr, i < c.Created) << c.Stored;
  }
}

TEST(InitButterflies, ThreeOnTheirStartSegmentsAtTheSegmentStart) {
  TButterflyTable table;
  ASSERT_EQ(InitButterflies(table), 3);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(table[i] != nullptr, i < 3);
  for (int i = 0; i < 3; ++i) {
    const TButterfly& b = *table[i];
    EXPECT_EQ(b.Segment, ButterflyStartSegments[i]);
    EXPECT_EQ(b.PointCount, 74);
    EXPECT_EQ(b.Steps, 30);
    EXPECT_EQ(b.Step, 0);
    const auto& p = ButterflyPath;
    const int s = b.Segment;
    EXPECT_NEAR(b.X, (p[s - 1].x + 4.0 * p[s].x + p[s + 1].x) / 6.0, 1e-3);
    EXPECT_NEAR(b.Y, (p[s - 1].y + 4.0 * p[s].y + p[s + 1].y) / 6.0, 1e-3);
  }
}

TEST(Butterflies, WingCounterRunsToFifteenAndShowsFrameZeroTwice) {
  const std::vector<int> frames = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0, 0, 1};
  int counter = 0;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(ButterflyFrame(counter), frames[i]) << "tick " << i;
    EXPECT_LE(counter, 15);
    counter = NextFlapCounter(counter);
  }
}

TEST(FlyerToScreen, TruncatesThenScalesFromTheReferenceScreen) {
  struct Case {
    float V;
    int Extent, Reference, Screen;
  };
  for (const Case c :
       {Case{400.9f, 1024, 800, 512}, Case{400.9f, 800, 800, 400}, Case{599.99f, 768, 600, 766},
        Case{-0.7f, 1024, 800, 0}, Case{-165.7f, 1024, 800, -211}, Case{855.0f, 1280, 800, 1368}})
    EXPECT_EQ(FlyerToScreen(c.V, c.Extent, c.Reference), c.Screen) << c.V;
}

// The timer thread steps the flyers while the frame loop reads what it draws.
TEST(Flyers, FrameLoopReadsWhileTheTimerSteps) {
  TEagleTable eagles;
  TButterflyTable butterflies;
  const int numEagles = InitEagles(eagles, 2);
  const int numButterflies = InitButterflies(butterflies);
  std::thread timer([&] {
    for (int tick = 0; tick < 3000; ++tick) {
      for (int i = 0; i < numEagles; ++i) StepEagle(*eagles[i]);
      for (int i = 0; i < numButterflies; ++i) StepButterfly(*butterflies[i]);
    }
  });
  for (int frame = 0; frame < 3000; ++frame) {
    for (int i = 0; i < numEagles; ++i) {
      const int f = EagleFrame(*eagles[i]);
      EXPECT_TRUE(f >= 0 && f <= 143);
      FlyerToScreen(eagles[i]->X, 1024, 800);
    }
    for (int i = 0; i < numButterflies; ++i) FlyerToScreen(butterflies[i]->Y, 768, 600);
  }
  timer.join();
}

}  // namespace
