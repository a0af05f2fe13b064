// What a frame costs the heap once it is warmed up: clear, a still sprite, a colour-keyed
// animation, the frame-rate line with three text lines and the flip allocate nothing; nor does the clock.
#include <gtest/gtest.h>

#include "components/DDani.h"
#include "components/DDbmp.h"
#include "components/DXClock.h"
#include "platform/win32/Kernel32.h"
#include "tests/components/SpriteFixture.h"

namespace {

using namespace sprite_test;

constexpr int kWidth = 200;
constexpr int kHeight = 150;
constexpr int kFrames = 12;  // more than the ten frames after which the frame-rate figure changes

class FrameAllocations : public DisplayTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    const int depth = GetParam();
    ddraw::SetModes({{kWidth, kHeight, depth}});
    Open(depth, kWidth, kHeight);
    DDmain->OnError = [this](TObject*) { Errors.push_back(DDmain->GetErrorResult()); };
    Still = Sprite<TDDbmp>();
    Still->SetBitmap(Picture(30, 20, Coordinates).get());
    Still->CreateSurface();
    Still->SetShowX(-5);  // clipped on the left
    Still->SetShowY(90);
    Walker = Sprite<TDDani>();
    Walker->SetBitmap(Picture(16, 4 * 10, [](int x, int y) { return x == y % 10 ? TColor(0) : Coordinates(x, y); }).get());
    Walker->SetYOffsetFrame(10);
    Walker->CreateSurface();
    Walker->SetTransparency(true);
    Walker->SetShowX(150);
    Walker->SetShowY(95);
    Dial = new TDXClock(Form.get());
    Dial->DDmainModule = DDmain;
    Dial->SetXcenter(100);
    Dial->SetYcenter(60);
    Dial->SetRadius(50);
    DDmain->SetshowFPS(true);
    DDmain->SetTestString("Water level 17");
    DDmain->SetShowTestString(true);
    DDmain->SetTestString2("A text line long enough to need more than the short-string room");
    DDmain->SetShowTestString2(true);
    DDmain->SetTestString3("3");
    DDmain->SetShowTestString3(true);
    ASSERT_TRUE(Errors.empty()) << Errors.front();
  }
  void TearDown() override {
    win32::ResetLocalTimeSource();
    DisplayTest::TearDown();
  }

  void Frame(int i) {
    DDmain->ClearBackSurface();
    Still->DrawImage();
    Walker->SetNumberFrame(i % 4);
    Walker->DrawAni();
    DDmain->FlipSurfaces();
  }

  TDDbmp* Still = nullptr;   // owned by Form
  TDDani* Walker = nullptr;  // owned by Form
  TDXClock* Dial = nullptr;  // owned by Form
};

TEST_P(FrameAllocations, AFrameWithItsTextLinesAllocatesNothing) {
  Frame(0);
  const long before = AllocationCount();
  for (int i = 1; i <= kFrames; ++i) Frame(i);
  EXPECT_EQ(AllocationCount() - before, 0);
  EXPECT_TRUE(Errors.empty());
  // The frame was really drawn: sprite, animation, the three text lines and the frame-rate line.
  EXPECT_TRUE(sprite_test::LitIn(0, 90, 25, 110));
  EXPECT_TRUE(sprite_test::LitIn(150, 95, 166, 105));
  for (const int y : {20, 40, 60}) EXPECT_TRUE(sprite_test::LitIn(20, y, kWidth, y + 20)) << y;
  EXPECT_TRUE(sprite_test::LitIn(20, kHeight - 30, kWidth, kHeight));
}

TEST_P(FrameAllocations, TheClockAllocatesNothing) {
  win32::SetLocalTimeSource(SYSTEMTIME{2024, 6, 1, 1, 10, 42, 7, 0});
  DDmain->ClearBackSurface();
  Dial->ShowClock();
  const long before = AllocationCount();
  for (int i = 0; i < kFrames; ++i) Dial->ShowClock();
  EXPECT_EQ(AllocationCount() - before, 0);
  DDmain->FlipSurfaces();
  EXPECT_TRUE(sprite_test::LitIn(95, 55, 105, 65));  // the centre disc
}

INSTANTIATE_TEST_SUITE_P(Depths, FrameAllocations, ::testing::Values(8, 16, 24, 32),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Bits" + std::to_string(info.param);
                         });

}  // namespace
