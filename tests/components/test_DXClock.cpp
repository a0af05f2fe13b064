// The analog clock: sizes derived from the radius, the hour index, and one clock drawn for a
// fixed local time, checked pixel by pixel against its parts.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <utility>

#include "components/DXClock.h"
#include "platform/win32/Kernel32.h"
#include "tests/components/PaletteCheck.h"
#include "tests/components/SpriteFixture.h"

namespace {

using namespace sprite_test;

struct SizeCase {
  int radius;
  TClockSizes expected;
};

TClockSizes Sizes(int disc, int minuteDot, int fiveDot, int square, int lh, int wh, int lm, int wm, int tip,
                  int tail) {
  TClockSizes s;
  s.DiscRadius = disc;
  s.MinuteDotRadius = minuteDot;
  s.FiveMinuteDotRadius = fiveDot;
  s.QuarterHalfSide = square;
  s.HourLength = lh;
  s.HourHalfWidth = wh;
  s.MinuteLength = lm;
  s.MinuteHalfWidth = wm;
  s.HourShape = {TPoint(0, -lh), TPoint(wh, 0), TPoint(0, wh / 2), TPoint(-wh, 0)};
  s.MinuteShape = {TPoint(0, -lm), TPoint(wm, 0), TPoint(0, wm), TPoint(-wm, 0)};
  s.SecondShape = {TPoint(0, -tip), TPoint(0, tail)};
  return s;
}

bool Same(const TPoint& a, const TPoint& b) { return a.x == b.x && a.y == b.y; }

void ExpectSizes(const TClockSizes& a, const TClockSizes& b) {
  EXPECT_EQ(a.DiscRadius, b.DiscRadius);
  EXPECT_EQ(a.MinuteDotRadius, b.MinuteDotRadius);
  EXPECT_EQ(a.FiveMinuteDotRadius, b.FiveMinuteDotRadius);
  EXPECT_EQ(a.QuarterHalfSide, b.QuarterHalfSide);
  EXPECT_EQ(a.HourLength, b.HourLength);
  EXPECT_EQ(a.HourHalfWidth, b.HourHalfWidth);
  EXPECT_EQ(a.MinuteLength, b.MinuteLength);
  EXPECT_EQ(a.MinuteHalfWidth, b.MinuteHalfWidth);
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Same(a.HourShape[i], b.HourShape[i])) << "hour point " << i;
    EXPECT_TRUE(Same(a.MinuteShape[i], b.MinuteShape[i])) << "minute point " << i;
  }
  EXPECT_TRUE(Same(a.SecondShape[0], b.SecondShape[0]));
  EXPECT_TRUE(Same(a.SecondShape[1], b.SecondShape[1]));
}

TEST(DXClockSizes, DerivedFromTheRadius) {
  const SizeCase cases[] = {
      {60, Sizes(1, 1, 2, 2, 40, 3, 54, 2, 57, 10)},
      {79, Sizes(1, 1, 2, 2, 53, 3, 72, 2, 76, 13)},
      {80, Sizes(2, 1, 2, 2, 54, 4, 72, 2, 76, 13)},
      {140, Sizes(3, 2, 3, 4, 94, 7, 126, 4, 133, 23)},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.radius);
    TDXClock clock(nullptr);
    clock.SetRadius(c.radius);
    EXPECT_EQ(clock.GetRadius(), c.radius);
    ExpectSizes(clock.GetSizes(), c.expected);
  }
}

TEST(DXClockSizes, NeverSetRadiusLeavesEverySizeZero) {
  TDXClock clock(nullptr);
  EXPECT_EQ(clock.GetRadius(), 60);
  EXPECT_EQ(clock.GetXcenter(), 200);
  EXPECT_EQ(clock.GetYcenter(), 200);
  EXPECT_EQ(clock.GetColor(), clWhite);
  ExpectSizes(clock.GetSizes(), TClockSizes{});
}

TEST(DXClockHourIndex, FiveStepsAnHourOneMoreEveryTwelveMinutes) {
  const struct {
    int hour, minute, index;
  } cases[] = {{0, 0, 0}, {12, 0, 0}, {23, 59, 59}, {12, 59, 4}, {11, 59, 59}, {3, 11, 15}, {3, 12, 16}, {15, 48, 19}};
  for (const auto& c : cases) EXPECT_EQ(TDXClock::HourIndex(c.hour, c.minute), c.index) << c.hour << ":" << c.minute;
}

class DXClockTest : public DisplayTest {
 protected:
  static constexpr int kSide = 200;
  static constexpr int kCentre = 100;
  static constexpr TColor kColour = 0x336699;      // 0x00BBGGRR
  static constexpr DWORD kPixel = 0x00996633;      // the same at 32 bits: blue in the low byte

  void SetUp() override {
    DisplayTest::SetUp();
    ddraw::SetModes({{kSide, kSide, 32}});
    win32::SetLocalTimeSource(SYSTEMTIME{2024, 6, 1, 1, 3, 0, 30, 0});  // 03:00:30
  }
  void TearDown() override {
    win32::ResetLocalTimeSource();
    DisplayTest::TearDown();
  }

  TDXClock* Clock() {
    auto* clock = new TDXClock(Form.get());
    clock->DDmainModule = DDmain;
    clock->SetXcenter(kCentre);
    clock->SetYcenter(kCentre);
    clock->SetRadius(60);
    clock->SetColor(kColour);
    return clock;
  }
  bool Lit(int x, int y) { return Back(x, y) == kPixel; }
  int LitCount() {
    int lit = 0;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) lit += Lit(x, y);
    return lit;
  }
};

TEST_F(DXClockTest, DrawsTheDialAndTheHandsForTheLocalTime) {
  Open(32, kSide, kSide);
  Clock()->ShowClock();

  // Only the clock colour and the cleared background, and nothing beyond the dial.
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const DWORD pixel = Back(x, y);
      ASSERT_TRUE(pixel == 0 || pixel == kPixel) << x << "," << y;
      const int dx = x - kCentre, dy = y - kCentre;
      if (dx * dx + dy * dy > 63 * 63) {
        ASSERT_EQ(pixel, 0u) << x << "," << y;
      }
    }
  }
  EXPECT_TRUE(Lit(kCentre, kCentre));  // disc and hands

  // Quarter squares of half side 2 below, left, above and right of the centre; a point may
  // land one pixel up or left of its exact place, so the squares' common core is checked.
  for (const auto& [nx, ny] : {std::pair{100, 160}, {40, 100}, {100, 40}, {160, 100}}) {
    SCOPED_TRACE(::testing::Message() << nx << "," << ny);
    for (int y = ny - 2; y <= ny; ++y)
      for (int x = nx - 2; x <= nx; ++x) EXPECT_TRUE(Lit(x, y)) << x << "," << y;
    EXPECT_FALSE(Lit(nx + 3, ny));
    EXPECT_FALSE(Lit(nx, ny + 3));
  }
  // Dial points 5 (a five-minute dot) and 7 (a minute dot), below left of the centre.
  EXPECT_TRUE(Lit(70, 151) || Lit(69, 150));
  EXPECT_TRUE(Lit(58, 143) || Lit(59, 143) || Lit(58, 144) || Lit(59, 144));

  // Hour hand at 3 o'clock: 40 long to the right, narrow (filled without regard to which
  // pixel of a column the outline and the fill each take).
  for (int x = 110; x <= 130; ++x) EXPECT_TRUE(Lit(x, 99) || Lit(x, 100) || Lit(x, 101)) << x;
  EXPECT_FALSE(Lit(120, 95));
  EXPECT_FALSE(Lit(120, 105));
  EXPECT_FALSE(Lit(60, kCentre + 1));  // nothing to the left

  // Minute hand at 12: 54 long, upwards.
  for (int y = 60; y <= 90; ++y) EXPECT_TRUE(Lit(99, y) || Lit(100, y) || Lit(101, y)) << y;
  EXPECT_FALSE(Lit(95, 70));
  EXPECT_FALSE(Lit(105, 70));

  // Second hand at 30 seconds: a one-pixel line downwards to 57 below the centre.
  for (int y = 110; y <= 150; ++y) {
    int lit = 0;
    for (int x = 90; x <= 110; ++x) lit += Lit(x, y);
    EXPECT_EQ(lit, 1) << y;
    EXPECT_TRUE(Lit(99, y) || Lit(100, y)) << y;
  }

  // Between the hands and the dial: background.
  for (const auto& [x, y] : {std::pair{130, 130}, {70, 130}, {70, 70}, {130, 70}}) EXPECT_FALSE(Lit(x, y));
}

TEST_F(DXClockTest, MovingTheCentreMovesTheWholeClock) {
  Open(32, kSide, kSide);
  TDXClock* clock = Clock();
  clock->ShowClock();
  const int before = LitCount();
  DDmain->ClearBackSurface();
  clock->SetXcenter(kCentre - 10);
  clock->ShowClock();
  EXPECT_EQ(LitCount(), before);
  EXPECT_TRUE(Lit(kCentre - 10 + 20, kCentre));  // the hour hand moved along
  EXPECT_FALSE(Lit(160, 100));                  // the 3 o'clock square with it
  EXPECT_TRUE(Lit(150, 100));
}

TEST_F(DXClockTest, WithoutABackSurfaceTheFrameHasNoClock) {
  TDXClock* clock = Clock();
  clock->ShowClock();  // display never opened
  clock->DDmainModule = nullptr;
  clock->ShowClock();
  clock->DDmainModule = DDmain;
  Open(32, kSide, kSide);
  ddraw::FailCall(ddraw::Op::GetDC, 1, DDERR_SURFACELOST);
  clock->ShowClock();
  EXPECT_EQ(LitCount(), 0);
  clock->ShowClock();  // the device context was not left taken
  EXPECT_GT(LitCount(), 0);
}

// Stored settings are not bounded: a clock no screen can show draws nothing and computes
// nothing that overflows (the sanitizer build stops at any signed overflow).
TEST_F(DXClockTest, ExtremeGeometryDrawsNothingAndNeverOverflows) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  struct Geometry {
    int x, y, radius;
    bool drawn;
  };
  const Geometry cases[] = {
      {kMax, kCentre, 60, false}, {kCentre, kMax, 60, false}, {kMin, kMin, 60, false},
      {kCentre, kCentre, kMax, false}, {kCentre, kCentre, kMin, false}, {kMax, kMax, kMax, false},
      {kCentre, kCentre, 1 << 23, false}, {kCentre, kCentre, 1 << 15, false},
      {-40, kCentre, 60, true},  // partly off the screen
      {kCentre, kCentre, -60, true},
  };
  Open(32, kSide, kSide);
  for (const Geometry& g : cases) {
    SCOPED_TRACE(::testing::Message() << g.x << "," << g.y << " radius " << g.radius);
    TDXClock* clock = Clock();
    clock->SetXcenter(g.x);
    clock->SetYcenter(g.y);
    clock->SetRadius(g.radius);
    DDmain->ClearBackSurface();
    clock->ShowClock();
    EXPECT_EQ(LitCount() > 0, g.drawn);
  }
}

TEST(DXClockRegister, PutsTheClassOnThePalettePage) {
  DXClock::Register();
  palette_test::ExpectOnPalettePage<TDXClock>("TDXClock", "roVivavaV");
}

}  // namespace
