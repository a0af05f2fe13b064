// The scene's set-up: the layers scaled to the display, the timer period, the sun-time and
// demo-time lines, the first daylight tint through the gamma ramp and the flyers' start.
#include <optional>

#include "platform/winmm/AudioSink.h"
#include "platform/winmm/SoundRecorder.h"

#include "tests/savers/waterfall/SceneFixture.h"

namespace waterfall_test {
namespace {

struct Geometry {
  const char* Name;
  int Width, Height, X, Y;
};

void ExpectLayers(TForm1* Form, const std::vector<Geometry>& Expected) {
  for (const Geometry& g : Expected) {
    SCOPED_TRACE(g.Name);
    auto* sprite = dynamic_cast<TDDsprite*>([&]() -> TComponent* {
      for (int i = 0; i < Form->GetComponentCount(); ++i)
        if (Form->GetComponents(i)->GetName() == g.Name) return Form->GetComponents(i);
      return nullptr;
    }());
    ASSERT_NE(sprite, nullptr);
    EXPECT_TRUE(sprite->GetStretching());
    EXPECT_EQ(sprite->GetStretchWidth(), g.Width);
    EXPECT_EQ(sprite->GetStretchHeight(), g.Height);
    EXPECT_EQ(sprite->GetShowX(), g.X);
    EXPECT_EQ(sprite->GetShowY(), g.Y);
  }
}

struct LayerCase {
  int Width, Height;
  std::vector<Geometry> Layers;
};

TEST_F(SceneTest, LayersAreScaledFromTheReferenceScreen) {
  const std::vector<LayerCase> cases = {
      {800, 600,  // every layer at its native size
       {{"DDbmp1ground", 800, 418, 0, 0},
        {"DDani1Waterfall", 202, 101, 290, 280},
        {"DDbmp1maskstone", 202, 101, 290, 280},
        {"DDani1hightwater", 654, 38, 40, 375},
        {"DDani1lowwater", 800, 187, 0, 413},
        {"DDbmp1mask1", 268, 281, 0, 0},
        {"DDbmp1mask2", 193, 281, 607, 0},
        {"DDbmp1mask3", 121, 305, 0, 295},
        {"DDbmp1mask4", 88, 113, 712, 487}}},
      {1024, 768,
       {{"DDbmp1ground", 1024, 535, 0, 0},
        {"DDani1Waterfall", 258, 129, 371, 358},
        {"DDbmp1maskstone", 258, 129, 371, 358},
        {"DDani1hightwater", 837, 48, 51, 480},
        {"DDani1lowwater", 1024, 239, 0, 528},
        {"DDbmp1mask1", 343, 359, 0, 0},
        {"DDbmp1mask2", 247, 359, 776, 0},
        {"DDbmp1mask3", 154, 390, 0, 377},
        {"DDbmp1mask4", 112, 144, 911, 623}}},
  };
  for (const LayerCase& c : cases) {
    SCOPED_TRACE(c.Width);
    gdi::SetDesktopMode({c.Width, c.Height, 32});
    TForm1* form = CreateScene();
    ASSERT_EQ(form->DDmain1->GetWidth(), c.Width);
    ExpectLayers(form, c.Layers);
    // The flyer sheets keep their size on every screen.
    EXPECT_EQ(form->DDani1Eagles->GetStretchWidth(), 18);
    EXPECT_EQ(form->DDani1Eagles->GetStretchHeight(), 9);
    EXPECT_EQ(form->DDani1Butterflys->GetStretchWidth(), 15);
    EXPECT_EQ(form->DDani1Butterflys->GetStretchHeight(), 15);
    EXPECT_EQ(form->DDani1Waterfall->GetFrameCount(), 32);
    EXPECT_EQ(form->DDani1hightwater->GetFrameCount(), 32);
    EXPECT_EQ(form->DDani1lowwater->GetFrameCount(), 32);
    EXPECT_EQ(form->DDani1Eagles->GetFrameCount(), 144);
    EXPECT_EQ(form->DDani1Butterflys->GetFrameCount(), 16);
    ResetApplicationForTest();
  }
}

TEST_F(SceneTest, SpeedSelectsTheTimerPeriod) {
  for (auto [speed, interval] : {std::pair{0, 60}, {1, 50}, {2, 40}, {7, 50}}) {
    SCOPED_TRACE(speed);
    EXPECT_EQ(SceneWith([&](TWaterfallSettings& s) { s.SetSpeed = speed; })->DDtimer1->GetInterval(), interval);
    ResetApplicationForTest();
  }
}

TEST_F(SceneTest, SetUpOpensTheDisplayAndStartsTheRun) {
  Store(Plain());
  TForm1* form = CreateScene(false);
  EXPECT_TRUE(form->DDmain1->GetEnabled());
  EXPECT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{1024, 768, 32}));
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 1);  // cleared and flipped once
  EXPECT_TRUE(form->DDtimer1->GetEnabled());
  EXPECT_TRUE(user::ScreenSaverRunning());
  EXPECT_EQ(user::CursorCounter(), -1);
  EXPECT_FALSE(form->GetVisible());
  EXPECT_EQ(form->DXClock1->GetXcenter(), 934);
  EXPECT_EQ(form->DXClock1->GetYcenter(), 90);
  EXPECT_EQ(form->DXClock1->GetRadius(), 70);
  EXPECT_EQ(form->DXClock1->GetColor(), 0xFFFFFF);
}

TEST_F(SceneTest, SunTimeLinesCarryTheDaylightSavingHour) {
  for (bool saving : {false, true}) {
    SCOPED_TRACE(saving);
    TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.FlagDaylightSavingTime = saving; });
    EXPECT_TRUE(form->DDmain1->GetShowTestString2());
    EXPECT_TRUE(form->DDmain1->GetShowTestString3());
    EXPECT_EQ(form->DDmain1->GetTestString2(), saving ? "Sunrise at: 5:21AM" : "Sunrise at: 4:21AM");
    EXPECT_EQ(form->DDmain1->GetTestString3(), saving ? "Sunset at: 9:52PM" : "Sunset at: 8:52PM");
    EXPECT_EQ(form->Daylight.TimePoint1, form->Daylight.SunriseSec - 2700);
    EXPECT_EQ(form->Daylight.SunriseSec, static_cast<int>(form->Daylight.Sunrise * 3600.0));
    ResetApplicationForTest();
  }
}

TEST_F(SceneTest, SoundLoopsOnlyWhenItsSettingIsOn) {
  for (bool sound : {true, false}) {
    SCOPED_TRACE(sound);
    const auto recorder = winmm::InstallSoundRecorder();
    TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.flag_PlaySound = sound; });
    EXPECT_EQ(recorder->Starts(), sound ? 1 : 0);
    EXPECT_EQ(recorder->Playing(), sound);
    form->EndSaver();
    EXPECT_FALSE(recorder->Playing());
    ResetApplicationForTest();
  }
  winmm::SetAudioSinkFactory(nullptr);
}

TEST_F(SceneTest, WithoutSunTimeLinesOnlyTheFrameRateLineFollowsItsSetting) {
  TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.ShowRisSet = false; s.flag_fps = false; });
  EXPECT_FALSE(form->DDmain1->GetShowTestString2());
  EXPECT_FALSE(form->DDmain1->GetShowTestString3());
  EXPECT_FALSE(form->DDmain1->GetShowFPS());
}

// Entry 255 of each channel of the ramp in force on the primary surface.
std::array<int, 3> TopOfRamp(TForm1* Form) {
  IDirectDrawGammaControl* control = nullptr;
  Form->DDmain1->FpDDSPrimary->QueryInterface(IID_IDirectDrawGammaControl, reinterpret_cast<LPVOID*>(&control));
  DDGAMMARAMP ramp{};
  if (control) {
    control->GetGammaRamp(0, &ramp);
    control->Release();
  }
  return {ramp.red[255], ramp.green[255], ramp.blue[255]};
}

TEST_F(SceneTest, DemoDayStartsAtNoonWithItsTimeLineAndDaylight) {
  TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.FlagDemoDaytime = true; });
  EXPECT_EQ(form->TimeOfDay, 43200);
  EXPECT_TRUE(form->DDmain1->GetShowTestString());
  EXPECT_EQ(form->DDmain1->GetTestString(), "Demo Time: 12:0AM");
  EXPECT_EQ(TopOfRamp(form), (std::array<int, 3>{255 * 255, 255 * 255, 255 * 255}));
}

TEST_F(SceneTest, DaylightSetsOneLevelPerChannel) {
  TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.FlagDemoDaytime = true; });
  form->TimeOfDay = 46800;
  form->ApplyDaylight();
  EXPECT_EQ(form->DDmain1->GetTestString(), "Demo Time: 1:0PM");
  form->TimeOfDay = 0;  // night
  form->ApplyDaylight();
  EXPECT_EQ(TopOfRamp(form), (std::array<int, 3>{60 * 255, 70 * 255, 90 * 255}));
  EXPECT_EQ(form->ColorNow[0], 60);
  EXPECT_EQ(form->ColorNow[2], 90);
  EXPECT_TRUE(form->DDgamma1->GetEnabled());  // left enabled for the next step
}

TEST_F(SceneTest, RealTimeOfDayFollowsTheLocalClock) {
  TForm1* form = SceneWith([](TWaterfallSettings& s) {
    s.FlagDaytime = true;
    s.FlagDemoDaytime = true;  // the local clock wins
  });
  EXPECT_EQ(form->TimeOfDay, 10 * 3600);
  EXPECT_EQ(form->DDmain1->GetTestString(), "Demo Time: 10:0AM");
  EXPECT_EQ(TopOfRamp(form), (std::array<int, 3>{255 * 255, 255 * 255, 255 * 255}));
}

TEST_F(SceneTest, WithoutGammaNothingIsTintedAndNoDemoLineShows) {
  ddraw::SetGammaCapability(false);
  TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.FlagDemoDaytime = true; });
  EXPECT_FALSE(form->DDgamma1->GetEnabled());
  EXPECT_FALSE(form->DDmain1->GetShowTestString());
}

TEST_F(SceneTest, StoredGammaLevelIsSetAndTheControlReleased) {
  TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.Gamma = 128; });
  EXPECT_EQ(form->DDgamma1->GetRGB(), 128);
  EXPECT_FALSE(form->DDgamma1->GetEnabled());
  EXPECT_EQ(TopOfRamp(form), (std::array<int, 3>{32640, 32640, 32640}));
}

TEST_F(SceneTest, StoredEagleCountIsKeptWithinTheDialogsRange) {
  for (auto [stored, flown] : {std::pair{9, 5}, {-3, 0}, {0, 0}, {3, 3}}) {
    SCOPED_TRACE(stored);
    TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.NumEagles = stored; });
    EXPECT_EQ(form->NumEagles, flown);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(form->Eagles[static_cast<std::size_t>(i)] != nullptr, i < flown);
    EXPECT_EQ(form->ButterflyCount, 3);
    ResetApplicationForTest();
  }
}

TEST_F(SceneTest, NewFlyersStartOnTheirPathNotAtTheOrigin) {
  TForm1* form = CreateScene();
  const TEagle& eagle = *form->Eagles[0];
  EXPECT_EQ(eagle.Segment, 1);
  if (eagle.Step == 0) {  // unless a tick came first
    EXPECT_FLOAT_EQ(eagle.X, eagle.CoefX[0]);
  }
  EXPECT_GT(eagle.X, 0.0f);
  EXPECT_GT(eagle.Y, 0.0f);
  const TButterfly& butterfly = *form->Butterflies[0];
  EXPECT_GT(butterfly.Y, 300.0f);
}

}  // namespace
}  // namespace waterfall_test
