// The display owner on the headless display: the open sequence and its failures, clear and flip
// with lost and busy surfaces, the restore texts, the frame-rate figure and the text lines.
#include <gtest/gtest.h>

#include <optional>

#include "components/DDmain.h"
#include "platform/user/UserPeer.h"
#include "platform/win32/Kernel32.h"
#include "platform/winmm/MMSystem.h"
#include "tests/components/PaletteCheck.h"
#include "tests/components/SpriteFixture.h"

namespace {

using sprite_test::kH;
using sprite_test::kW;

class DDmainTest : public sprite_test::DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    DDmain->SetWidth(kW);
    DDmain->SetHeight(kH);
    DDmain->SetColorDepth(32);
    DDmain->OnError = [this](TObject* Sender) {
      EXPECT_EQ(Sender, DDmain);
      Errors.push_back(DDmain->GetErrorResult());
    };
  }
  void TearDown() override {
    DisplayTest::TearDown();
    user::SetMonitorCount(std::nullopt);
    winmm::ResetTimeSource();
  }

  bool Closed() const { return !DDmain->FpDD && !DDmain->FpDD7 && !DDmain->FpDDSPrimary && !DDmain->FpDDSBack; }
  bool Opened() const { return DDmain->FpDD && DDmain->FpDD7 && DDmain->FpDDSPrimary && DDmain->FpDDSBack; }

  // Fills the back surface, so a clear shows.
  void Paint(DWORD value) { ASSERT_EQ(ddraw_test::Fill(DDmain->FpDDSBack, value), DD_OK); }

};

TEST_F(DDmainTest, OpensTheChosenModeWithAPrimaryAndItsBackBuffer) {
  DDmain->SetEnabled(true);
  EXPECT_TRUE(Errors.empty());
  EXPECT_TRUE(Opened());
  EXPECT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{kW, kH, 32}));
  DDmain->SetEnabled(false);
  EXPECT_TRUE(Closed());
  EXPECT_FALSE(ddraw::HeadlessMode());
}

struct OpenFailure {
  ddraw::Op Op;
  const char* Text;
};

class DDmainOpenFailure : public DDmainTest, public ::testing::WithParamInterface<OpenFailure> {};

TEST_P(DDmainOpenFailure, ReportsOnceClosesAndStaysEnabled) {
  ddraw::FailCall(GetParam().Op, 1, DDERR_GENERIC);
  DDmain->SetEnabled(true);
  EXPECT_EQ(Errors, std::vector<std::string>{GetParam().Text});
  EXPECT_TRUE(Closed());
  EXPECT_TRUE(DDmain->GetEnabled());
  EXPECT_FALSE(ddraw::HeadlessMode());
  DDmain->SetEnabled(true);  // already enabled: no second try
  EXPECT_EQ(Errors.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EachStep, DDmainOpenFailure,
                         ::testing::Values(OpenFailure{ddraw::Op::DirectDrawCreate, "Error DirectDrawCreate"},
                                           OpenFailure{ddraw::Op::QueryInterface, "Error DirectDrawCreate7"},
                                           OpenFailure{ddraw::Op::SetCooperativeLevel, "Error SetCooperativeLevel"},
                                           OpenFailure{ddraw::Op::SetDisplayMode, "Error SetDisplayMode"},
                                           OpenFailure{ddraw::Op::CreateSurface, "Error CreatePrimarySurface"},
                                           OpenFailure{ddraw::Op::GetAttachedSurface, "Error CreateBackSurface"}));

TEST_F(DDmainTest, ARefusedModeClosesAgainAndReportsOnce) {
  DDmain->SetWidth(1000);
  DDmain->SetEnabled(true);
  EXPECT_EQ(Errors, std::vector<std::string>{"Error SetDisplayMode"});
  EXPECT_TRUE(Closed());
  EXPECT_FALSE(ddraw::HeadlessMode());
}

TEST_F(DDmainTest, AnExplicitFormIsUsedOnlyWithDefineFormHandle) {
  TForm other(nullptr);
  DDmain->SetParentForm(&other);
  DDmain->SetEnabled(true);
  EXPECT_EQ(DDmain->GetDDForm(), Form.get());  // replaced by the owner form
  DDmain->SetEnabled(false);
  DDmain->SetParentForm(&other);
  DDmain->SetFormHandle(true);
  DDmain->SetEnabled(true);
  EXPECT_EQ(DDmain->GetDDForm(), &other);
  EXPECT_TRUE(Opened());
  DDmain->SetEnabled(false);
}

TEST_F(DDmainTest, DualMonitorOnOneMonitorCreatesNothing) {
  user::SetMonitorCount(1);
  DDmain->SetDualMonitor(true);
  DDmain->SetEnabled(true);
  EXPECT_EQ(Errors, std::vector<std::string>{"This program work only in dual monitor system!"});
  EXPECT_TRUE(DDmain->GetEnabled());
  EXPECT_TRUE(Closed());
  EXPECT_FALSE(ddraw::HeadlessMode());
}

TEST_F(DDmainTest, DualMonitorOpensOnTheSecondMonitorOrTheDefaultDriver) {
  user::SetMonitorCount(2);
  DDmain->SetDualMonitor(true);
  for (int monitors : {1, 2}) {  // two devices reported: the default driver; three: the second monitor
    SCOPED_TRACE(monitors);
    ddraw::SetMonitorCount(monitors);
    DDmain->SetEnabled(true);
    EXPECT_TRUE(Errors.empty());
    EXPECT_TRUE(Opened());
    EXPECT_EQ(ddraw::HeadlessMonitor(), monitors == 2 ? 2 : 0);  // the device of the GUID chosen
    DDmain->SetEnabled(false);
  }
}

// A stand-in enumeration that reports three devices, the third with a GUID no driver knows.
HRESULT ReportUnknownThird(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD) {
  GUID first{1, 0, 0, {}};
  GUID unknown{0xBAD, 0, 0, {}};
  callback(nullptr, nullptr, nullptr, context, nullptr);
  callback(&first, nullptr, nullptr, context, nullptr);
  callback(&unknown, nullptr, nullptr, context, nullptr);
  return DD_OK;
}

TEST_F(DDmainTest, DualMonitorCreatesWithTheThirdDevicesGuid) {
  win32::RegisterModule("ddraw.dll", {{"DirectDrawEnumerateExA", reinterpret_cast<FARPROC>(&ReportUnknownThird)}});
  user::SetMonitorCount(2);
  DDmain->SetDualMonitor(true);
  DDmain->SetEnabled(true);
  EXPECT_EQ(Errors, std::vector<std::string>{"Error DirectDrawCreate on secondary monitor"});
  EXPECT_TRUE(Closed());
}

TEST_F(DDmainTest, AFailedEnumerationIsReportedAndTheDefaultDriverOpens) {
  user::SetMonitorCount(2);
  DDmain->SetDualMonitor(true);
  for (bool moduleKnown : {false, true}) {  // no "ddraw.dll", then one without the export
    SCOPED_TRACE(moduleKnown);
    Errors.clear();
    if (moduleKnown) {
      win32::RegisterModule("ddraw.dll", {});
    } else {
      win32::UnregisterModule("ddraw.dll");
    }
    DDmain->SetEnabled(true);
    EXPECT_EQ(Errors, std::vector<std::string>{"ERROR EnumerateScreens"});
    EXPECT_TRUE(Opened());
    DDmain->SetEnabled(false);
  }
}

TEST_F(DDmainTest, ADisplayClosedByTheEnumerationErrorHandlerStaysClosed) {
  win32::UnregisterModule("ddraw.dll");
  user::SetMonitorCount(2);
  DDmain->SetDualMonitor(true);
  DDmain->OnError = [this](TObject*) { DDmain->SetEnabled(false); };
  DDmain->SetEnabled(true);
  EXPECT_FALSE(DDmain->GetEnabled());
  EXPECT_TRUE(Closed());
}

TEST_F(DDmainTest, FrameOperationsBeforeOpeningReportAndDrawNothing) {
  DDmain->FlipSurfaces();
  DDmain->ClearBackSurface();
  DDmain->FuncShowFPS();
  EXPECT_FALSE(DDmain->MakeRestSurface());
  EXPECT_EQ(Errors, (std::vector<std::string>{"Error FpDD==NULL", "Error FpDD==NULL", "Error FpDD==NULL",
                                              "Error FpDD==NULL (MakeRestSurface)"}));
  DDmain->FuncShowTST("text", 20, 20);  // no display, nothing to draw on: no error either
  EXPECT_EQ(Errors.size(), 4u);
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);
}

TEST_F(DDmainTest, AFlipStillDrawingIsRetriedUntilItShows) {
  DDmain->SetEnabled(true);
  for (int nth = 1; nth <= 3; ++nth) ddraw::FailCall(ddraw::Op::Flip, nth, DDERR_WASSTILLDRAWING);
  DDmain->FlipSurfaces();
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 1);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(DDmainTest, AFlipOnLostSurfacesRestoresAndShowsNothingNew) {
  DDmain->SetEnabled(true);
  DDmain->SetshowFPS(true);
  DDmain->SetShowTestString(true);
  DDmain->SetTestString("lost");
  ddraw::LoseAllSurfaces();
  DDmain->FlipSurfaces();
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);
  EXPECT_EQ(DDmain->FpDDSBack->IsLost(), DD_OK);
  EXPECT_EQ(DDmain->FpDDSPrimary->IsLost(), DD_OK);
  EXPECT_TRUE(Errors.empty());
  DDmain->FlipSurfaces();
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 1);
}

TEST_F(DDmainTest, AnotherFlipFailureEndsTheFrameSilently) {
  DDmain->SetEnabled(true);
  ddraw::FailCall(ddraw::Op::Flip, 1, DDERR_GENERIC);
  DDmain->FlipSurfaces();
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);
  EXPECT_TRUE(Errors.empty());
  EXPECT_TRUE(Opened());
}

TEST_F(DDmainTest, ClearBlackensTheBackSurface) {
  DDmain->SetEnabled(true);
  Paint(0xFFFFFF);
  DDmain->ClearBackSurface();
  EXPECT_EQ(Back(0, 0), 0u);
  EXPECT_EQ(Back(kW - 1, kH - 1), 0u);
}

TEST_F(DDmainTest, ClearOnLostSurfacesRestoresThenClears) {
  DDmain->SetEnabled(true);
  Paint(0xFFFFFF);
  ddraw::LoseAllSurfaces();
  DDmain->ClearBackSurface();
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(DDmain->FpDDSBack->IsLost(), DD_OK);
  EXPECT_EQ(Back(5, 5), 0u);
}

TEST_F(DDmainTest, AFailedRestoreInClearRaisesOnErrorTwiceAndKeepsTheDisplay) {
  DDmain->SetEnabled(true);
  ddraw::LoseAllSurfaces();
  ddraw::FailCall(ddraw::Op::RestoreAllSurfaces, 1, DDERR_GENERIC);
  ddraw::FailCall(ddraw::Op::Restore, 1, DDERR_GENERIC);
  DDmain->ClearBackSurface();
  EXPECT_EQ(Errors,
            (std::vector<std::string>{"Error Primary DDERR_GENERIC (MakeRestSurface)", "Cannot RestoreAllSurfaces"}));
  EXPECT_TRUE(Opened());
}

TEST_F(DDmainTest, ClearWithAnUnexpectedLostStateReports) {
  DDmain->SetEnabled(true);
  ddraw::FailCall(ddraw::Op::IsLost, 1, DDERR_GENERIC);
  DDmain->ClearBackSurface();
  EXPECT_EQ(Errors, std::vector<std::string>{"Unrecognized ERROR ClearBackSurface"});
  EXPECT_TRUE(Opened());
}

TEST_F(DDmainTest, TheEighteenRestoreTexts) {
  struct Code {
    HRESULT Result;
    const char* Name;
  };
  const Code codes[] = {
      {DDERR_UNSUPPORTED, "DDERR_UNSUPPORTED"},
      {DDERR_GENERIC, "DDERR_GENERIC"},
      {DDERR_OUTOFMEMORY, "DDERR_OUTOFMEMORY"},
      {DDERR_INVALIDPARAMS, "DDERR_INVALIDPARAMS"},
      {DDERR_INCOMPATIBLEPRIMARY, "DDERR_INCOMPATIBLEPRIMARY"},
      {DDERR_INVALIDOBJECT, "DDERR_INVALIDOBJECT"},
      {DDERR_NOEXCLUSIVEMODE, "DDERR_NOEXCLUSIVEMODE"},
      {DDERR_WRONGMODE, "DDERR_WRONGMODE"},
      {DDERR_IMPLICITLYCREATED, "DDERR_IMPLICITLYCREATED"},
  };
  DDmain->SetEnabled(true);
  for (const Code& code : codes) {
    for (int nth : {1, 2}) {  // Restore of the primary, then of the back surface
      SCOPED_TRACE(std::string(code.Name) + (nth == 1 ? " primary" : " back"));
      Errors.clear();
      ddraw::FailCall(ddraw::Op::RestoreAllSurfaces, 1, DDERR_GENERIC);
      ddraw::FailCall(ddraw::Op::Restore, nth, code.Result);
      EXPECT_FALSE(DDmain->MakeRestSurface());
      const std::string surface = nth == 1 ? "Error Primary " : "Error FpDDSBack ";
      EXPECT_EQ(Errors, std::vector<std::string>{surface + code.Name + " (MakeRestSurface)"});
    }
  }
  EXPECT_TRUE(Opened());
}

TEST_F(DDmainTest, RestoreGoesOnWhenTheResultIsNotOneOfTheNine) {
  DDmain->SetEnabled(true);
  ddraw::FailCall(ddraw::Op::RestoreAllSurfaces, 1, DDERR_GENERIC);
  ddraw::FailCall(ddraw::Op::Restore, 1, DDERR_SURFACELOST);
  ddraw::FailCall(ddraw::Op::Restore, 2, DDERR_SURFACEBUSY);
  EXPECT_TRUE(DDmain->MakeRestSurface());
  EXPECT_TRUE(Errors.empty());
}

// Flips with the frame-rate line on, the clock reading `now` at each frame.
class FrameRateTest : public DDmainTest {
 protected:
  void SetUp() override {
    DDmainTest::SetUp();
    winmm::SetTimeSource([this] { return Now; });
    DDmain->SetshowFPS(true);
    DDmain->SetEnabled(true);
  }
  DWORD Now = 0;
};

TEST_F(FrameRateTest, TheFigureIsZeroUntilTheTwentiethFrameThenTheLastTenFramesRate) {
  const DWORD start = 100000;  // ten seconds and more after the system started
  for (int frame = 1; frame <= 30; ++frame) {
    Now = start + static_cast<DWORD>(frame) * 25;  // 40 frames per second
    DDmain->FlipSurfaces();
    SCOPED_TRACE(frame);
    EXPECT_EQ(DDmain->GetFrameRate(), frame < 20 ? 0 : 40);
  }
  Now += 500;  // the next ten frames within half a second
  for (int frame = 31; frame <= 40; ++frame) DDmain->FlipSurfaces();
  EXPECT_EQ(DDmain->GetFrameRate(), 20);
  EXPECT_TRUE(Errors.empty());
  EXPECT_TRUE(sprite_test::LitIn(20, kH - 30, kW, kH));  // the line is drawn every frame
}

TEST_F(FrameRateTest, TenFramesWithinOneMillisecondCountAsOne) {
  Now = 5000;
  for (int frame = 1; frame <= 20; ++frame) DDmain->FlipSurfaces();
  EXPECT_EQ(DDmain->GetFrameRate(), 10000);
  EXPECT_TRUE(Errors.empty());
}

TEST_F(FrameRateTest, TheClockWrappingAroundStillGivesTheRate) {
  Now = 0xFFFFFF00u;
  for (int frame = 1; frame <= 10; ++frame) DDmain->FlipSurfaces();
  Now += 500;  // past 2^32
  for (int frame = 11; frame <= 20; ++frame) DDmain->FlipSurfaces();
  EXPECT_EQ(DDmain->GetFrameRate(), 20);
}

TEST_F(DDmainTest, TheFirstTextLineIsDrawnAtTwentyTwenty) {
  DDmain->SetEnabled(true);
  DDmain->SetShowTestString(true);
  DDmain->SetTestString("Demo Time: 7:5AM");
  DDmain->FlipSurfaces();
  EXPECT_TRUE(Errors.empty());
  EXPECT_TRUE(sprite_test::LitIn(20, 20, kW, 38));
  EXPECT_FALSE(sprite_test::LitIn(0, 0, kW, 20));
  EXPECT_FALSE(sprite_test::LitIn(0, 0, 20, kH));
}

TEST_F(DDmainTest, AnEmptyShownLineDrawsNothing) {
  DDmain->SetEnabled(true);
  DDmain->SetShowTestString2(true);
  DDmain->FlipSurfaces();
  EXPECT_TRUE(Errors.empty());
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 1);
  EXPECT_FALSE(sprite_test::LitIn(0, 0, kW, kH));
}

TEST_F(DDmainTest, AHiddenLineIsNotDrawn) {
  DDmain->SetEnabled(true);
  DDmain->SetTestString3("KU-KU!!");
  DDmain->FlipSurfaces();
  EXPECT_FALSE(sprite_test::LitIn(0, 0, kW, kH));
  EXPECT_EQ(DDmain->GetTestString3(), "KU-KU!!");
  EXPECT_FALSE(DDmain->GetShowTestString3());
}

struct TextFailure {
  bool ShowFPS;
  const char* Text;
};

class DDmainTextFailure : public DDmainTest, public ::testing::WithParamInterface<TextFailure> {};

TEST_P(DDmainTextFailure, NoDeviceContextClosesTheDisplayAndEndsTheFrame) {
  DDmain->SetEnabled(true);
  DDmain->SetshowFPS(GetParam().ShowFPS);
  DDmain->SetShowTestString(true);
  DDmain->SetShowTestString2(true);
  DDmain->SetTestString("one");
  DDmain->SetTestString2("two");
  ddraw::FailCall(ddraw::Op::GetDC, 1, DDERR_GENERIC);
  DDmain->FlipSurfaces();
  EXPECT_EQ(Errors, std::vector<std::string>{GetParam().Text});
  EXPECT_TRUE(Closed());
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);
}

INSTANTIATE_TEST_SUITE_P(FrameRateAndTextLine, DDmainTextFailure,
                         ::testing::Values(TextFailure{true, "Error FpDDSBack->GetDC (show FPS)"},
                                           TextFailure{false, "Error FpDDSBack->GetDC (show TST)"}));

TEST_F(DDmainTest, DestroyingAnOpenDisplayGivesTheDesktopBack) {
  auto owner = std::make_unique<TForm>(nullptr);
  auto* display = new TDDmain(owner.get());
  display->SetWidth(kW);
  display->SetHeight(kH);
  display->SetColorDepth(16);
  display->SetEnabled(true);
  ASSERT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{kW, kH, 16}));
  owner.reset();
  EXPECT_FALSE(ddraw::HeadlessMode());
  DDmain->SetEnabled(true);  // exclusive mode is free again
  EXPECT_TRUE(Opened());
}

TEST(DDmainRegister, PutsTheClassOnThePalettePage) {
  DDmain::Register();
  palette_test::ExpectOnPalettePage<TDDmain>("TDDmain", "roVivavaV");
}

}  // namespace
