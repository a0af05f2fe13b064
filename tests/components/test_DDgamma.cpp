// The gamma ramp control on the headless display: acquiring it, the ramps of each level, its
// error texts, and the timer thread setting gamma and the text line while the main thread flips.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <utility>

#include "components/DDgamma.h"
#include "components/DDtimer.h"
#include "tests/components/PaletteCheck.h"
#include "tests/components/SpriteFixture.h"
#include "tests/Watchdog.h"

namespace {

using sprite_test::kH;
using sprite_test::kW;

class DDgammaTest : public sprite_test::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    Gamma = new TDDgamma(Form.get());
    Gamma->DDmainModule = DDmain;
    Gamma->OnError = [this](TObject* Sender) {
      EXPECT_EQ(Sender, Gamma);
      Errors.push_back(Gamma->GetErrorResult());
    };
  }
  void TearDown() override {
    Gamma->SetEnabled(false);
    DisplayTest::TearDown();
  }

  // The primary surface's ramp as the display applies it.
  DDGAMMARAMP Ramp() {
    DDGAMMARAMP ramp{};
    IDirectDrawGammaControl* control = nullptr;
    EXPECT_EQ(DDmain->FpDDSPrimary->QueryInterface(IID_IDirectDrawGammaControl, reinterpret_cast<LPVOID*>(&control)),
              DD_OK);
    if (control) {
      EXPECT_EQ(control->GetGammaRamp(0, &ramp), DD_OK);
      control->Release();
    }
    return ramp;
  }

  TDDgamma* Gamma = nullptr;  // owned by Form
};

TEST_F(DDgammaTest, ConstructedDisabledAtLevel256) {
  EXPECT_FALSE(Gamma->GetEnabled());
  EXPECT_EQ(Gamma->GetRGB(), 256);
}

TEST_F(DDgammaTest, EnablingWithoutAnOpenDisplayReports) {
  Gamma->SetEnabled(true);
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FpDD==NULL"});
  EXPECT_FALSE(Gamma->GetEnabled());
  Gamma->DDmainModule = nullptr;
  Gamma->SetEnabled(true);
  EXPECT_EQ(Errors.back(), "Error connect to DDMAIN");
  EXPECT_FALSE(Gamma->GetEnabled());
}

TEST_F(DDgammaTest, EnablingWithoutAPrimarySurfaceReports) {
  Open();
  IDirectDrawSurface7* primary = std::exchange(DDmain->FpDDSPrimary, nullptr);
  Gamma->SetEnabled(true);
  DDmain->FpDDSPrimary = primary;
  EXPECT_EQ(Errors, std::vector<std::string>{"Error FpDDSPrimary==NULL"});
  EXPECT_FALSE(Gamma->GetEnabled());
}

TEST_F(DDgammaTest, WithoutPrimaryGammaItStaysDisabledSilentlyAndOnlyStoresTheLevel) {
  ddraw::SetGammaCapability(false);
  Open();
  Gamma->SetEnabled(true);
  EXPECT_FALSE(Gamma->GetEnabled());
  Gamma->SetRGB(128);
  EXPECT_EQ(Gamma->GetRGB(), 128);
  EXPECT_TRUE(Errors.empty());
}

struct Level {
  int RGB;
  WORD Entry1;
  WORD Entry255;
};

class DDgammaLevel : public DDgammaTest, public ::testing::WithParamInterface<Level> {};

TEST_P(DDgammaLevel, SetsTheSameLinearRampOnEveryChannel) {
  Open();
  Gamma->SetEnabled(true);
  ASSERT_TRUE(Gamma->GetEnabled());
  Gamma->SetRGB(GetParam().RGB);
  const DDGAMMARAMP ramp = Ramp();
  for (const WORD* channel : {ramp.red, ramp.green, ramp.blue}) {
    EXPECT_EQ(channel[0], 0);
    EXPECT_EQ(channel[1], GetParam().Entry1);
    EXPECT_EQ(channel[255], GetParam().Entry255);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(channel[i], static_cast<WORD>(i * GetParam().RGB)) << i;
  }
  EXPECT_EQ(Gamma->GetRGB(), GetParam().RGB);
  EXPECT_TRUE(Errors.empty());
}

INSTANTIATE_TEST_SUITE_P(Levels, DDgammaLevel,
                         ::testing::Values(Level{256, 256, 65280}, Level{0, 0, 0}, Level{128, 128, 32640},
                                           Level{257, 257, 65535}, Level{300, 300, 10964}));

TEST_F(DDgammaTest, PerChannelLevelsLeaveRGBAlone) {
  Open();
  Gamma->SetEnabled(true);
  Gamma->SetLinearRGB(256, 200, 100);
  const DDGAMMARAMP ramp = Ramp();
  EXPECT_EQ(ramp.red[255], 65280);
  EXPECT_EQ(ramp.green[255], 51000);
  EXPECT_EQ(ramp.blue[255], 25500);
  EXPECT_EQ(ramp.green[1], 200);
  EXPECT_EQ(Gamma->GetRGB(), 256);
}

TEST_F(DDgammaTest, DisablingKeepsTheRampAndLevelsWhileDisabledAreNotApplied) {
  Open();
  Gamma->SetEnabled(true);
  Gamma->SetRGB(128);
  Gamma->SetEnabled(false);
  EXPECT_EQ(Ramp().red[255], 32640);
  Gamma->SetRGB(256);
  Gamma->SetLinearRGB(10, 10, 10);
  EXPECT_EQ(Gamma->GetRGB(), 256);
  Gamma->SetEnabled(true);  // the stored level is not applied on enabling
  EXPECT_EQ(Ramp().red[255], 32640);
}

TEST_F(DDgammaTest, TheShownFrameHasTheRampApplied) {
  Open();
  Gamma->SetEnabled(true);
  Gamma->SetRGB(128);
  ASSERT_EQ(ddraw_test::Fill(DDmain->FpDDSBack, 0xFFFFFF), DD_OK);
  DDmain->FlipSurfaces();
  EXPECT_EQ(ddraw::HeadlessLastFrame().At(1, 1), 0x7F7F7Fu);
}

TEST_F(DDgammaTest, AnUnreadableRampIsReportedAndTheLevelStillSet) {
  Open();
  Gamma->SetEnabled(true);
  ddraw::FailCall(ddraw::Op::GetGammaRamp, 1, DDERR_GENERIC);
  Gamma->SetRGB(128);
  EXPECT_EQ(Errors, std::vector<std::string>{"Cannot GetGammaRamp"});
  EXPECT_EQ(Ramp().red[255], 32640);
}

TEST_F(DDgammaTest, ARefusedRampIsReported) {
  Open();
  Gamma->SetEnabled(true);
  ddraw::FailCall(ddraw::Op::SetGammaRamp, 1, DDERR_GENERIC);
  Gamma->SetLinearRGB(0, 0, 0);
  EXPECT_EQ(Errors, std::vector<std::string>{"Cannot SetGammaRamp"});
  EXPECT_EQ(Ramp().red[255], 65535);  // the display's neutral ramp stays
}

TEST_F(DDgammaTest, AnErrorHandlerMayReleaseTheControl) {
  Open();
  Gamma->SetEnabled(true);
  Gamma->OnError = [this](TObject*) { Gamma->SetEnabled(false); };
  ddraw::FailCall(ddraw::Op::GetGammaRamp, 1, DDERR_GENERIC);
  Gamma->SetRGB(128);
  EXPECT_FALSE(Gamma->GetEnabled());
  EXPECT_EQ(Ramp().red[255], 65535);
}

// A handler that ends the run stops the timer, whose kill waits for the tick in progress; that
// tick must not be waiting for the gamma control meanwhile.
TEST_F(DDgammaTest, AnErrorHandlerMayStopTheTimerWhileTicksSetGamma) {
  Open();
  Gamma->SetEnabled(true);
  TDDtimer timer(nullptr);
  timer.SetInterval(1);
  timer.OnTimer = [&](TObject*) { Gamma->SetLinearRGB(256, 200, 100); };
  const std::thread::id mainThread = std::this_thread::get_id();
  std::atomic<bool> stopped{false};
  Gamma->OnError = [&](TObject*) {
    if (std::this_thread::get_id() != mainThread) return;  // the failure went to a tick
    std::this_thread::sleep_for(std::chrono::milliseconds(5));  // a tick comes meanwhile
    timer.SetEnabled(false);
    stopped = true;
  };
  {
    const Watchdog watchdog(std::chrono::seconds(30), "the timer's kill waits for a tick that waits for gamma");
    timer.SetEnabled(true);
    for (int i = 0; i < 1000 && !stopped; ++i) {
      ddraw::FailCall(ddraw::Op::GetGammaRamp, 1, DDERR_GENERIC);
      Gamma->SetRGB(128);
    }
  }
  EXPECT_TRUE(stopped);
  EXPECT_FALSE(timer.GetEnabled());
}

// The waterfall's pattern: the tick replaces the demo-time line and sets the daylight gamma
// while the frame loop flips with the line shown and the "+" key steps the level.
TEST_F(DDgammaTest, TheTimerThreadSetsTheTextLineAndGammaWhileTheMainThreadFlips) {
  Open();
  DDmain->SetShowTestString(true);
  std::atomic<int> ticks{0};
  TDDtimer timer(nullptr);
  timer.SetInterval(1);
  timer.OnTimer = [&](TObject*) {
    const int tick = ticks.fetch_add(1) + 1;
    DDmain->SetShowTestString(true);
    DDmain->SetTestString("Demo Time: " + std::to_string(tick % 12) + ":" + std::to_string(tick % 60) + "AM" +
                          std::string(static_cast<std::size_t>(tick % 40), '.'));
    Gamma->SetEnabled(true);
    if (Gamma->GetEnabled()) Gamma->SetLinearRGB(256, 128 + tick % 128, 64);
    Gamma->SetEnabled(false);
  };
  timer.SetEnabled(true);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  int frames = 0;
  while ((ticks.load() < 200 || frames < 200) && std::chrono::steady_clock::now() < deadline) {
    DDmain->ClearBackSurface();
    DDmain->FlipSurfaces();
    if (++frames % 8 == 0) {  // "+"
      Gamma->SetEnabled(true);
      if (Gamma->GetEnabled()) Gamma->SetRGB(Gamma->GetRGB() < 256 ? Gamma->GetRGB() + 1 : 200);
      Gamma->SetEnabled(false);
    }
  }
  timer.SetEnabled(false);
  EXPECT_GE(ticks.load(), 200);
  EXPECT_TRUE(Errors.empty());
  EXPECT_TRUE(DDmain->GetErrorResult().empty());
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), frames);
}

TEST(DDgammaRegister, PutsTheClassOnThePalettePage) {
  DDgamma::Register();
  palette_test::ExpectOnPalettePage<TDDgamma>("TDDgamma", "roVivavaV");
}

}  // namespace
