// The scene's settings: the first run writing every value in one replace of the file, the value
// table's order, the desktop's mode with the 32-bit probe, and a value missing from the key.
#include "platform/registry/Registry.h"
#include "tests/savers/common/SettingsReplaces.h"
#include "tests/savers/waterfall/SceneFixture.h"

namespace waterfall_test {
namespace {

TEST(SettingValues, StorageOrderIsTheTables) {
  const std::vector<std::string> expected = {
      "flag_clock", "flag_PlaySound", "flag_fps", "TermMouse", "Gamma", "flag_defres", "ResHor",
      "ResVert", "ColorDepth", "clockX", "clockY", "clockRad", "ColorClock", "SetSpeed", "NumEagles",
      "FlagShowEagles", "FlagShowButterfly", "FlagDaytime", "FlagDemoDaytime", "FlagShowSimulateTime",
      "FlagDaylightSavingTime", "RegLat", "RegLng", "RegOfUTC", "ShowRisSet", "IndexCity"};
  std::vector<std::string> names;
  for (const auto& value : WaterfallSettingValues) names.push_back(value.Name);
  EXPECT_EQ(names, expected);
}

class SettingsTest : public SceneTest {
 protected:
  static void DeleteValue(const char* Name) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey("\\SOFTWARE\\Quillmont\\Rillmoor", false));
    registry.DeleteValue(Name);
  }
};

TEST_F(SettingsTest, FirstRunWritesEveryValueAtOnce) {
  gdi::SetDesktopMode({1024, 768, 16});
  saver_test::SettingsReplaces replaces(Config / "quillmont");
  TForm1* form = CreateScene();
  EXPECT_EQ(replaces.Count(), 1);  // a run killed meanwhile leaves all of them or none
  TRegistry key;
  ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Rillmoor", false));
  for (const auto& value : WaterfallSettingValues) EXPECT_TRUE(key.ValueExists(value.Name)) << value.Name;
  struct Expect {
    const char* Name;
    int Value;
  };
  for (const Expect& e : {Expect{"flag_clock", 1}, {"flag_PlaySound", 1}, {"flag_fps", 1}, {"TermMouse", 1},
                          {"Gamma", 256}, {"flag_defres", 1}, {"ResHor", 1024}, {"ResVert", 768},
                          {"ColorDepth", 16}, {"clockX", 934}, {"clockY", 90}, {"clockRad", 70},
                          {"ColorClock", 0xFFFFFF}, {"SetSpeed", 1}, {"NumEagles", 2}, {"FlagShowEagles", 1},
                          {"FlagShowButterfly", 1}, {"FlagDaytime", 0}, {"FlagDemoDaytime", 1},
                          {"FlagShowSimulateTime", 1}, {"FlagDaylightSavingTime", 0}, {"RegOfUTC", 1},
                          {"ShowRisSet", 1}, {"IndexCity", 0}})
    EXPECT_EQ(key.ReadInteger(e.Name), e.Value) << e.Name;
  EXPECT_FLOAT_EQ(static_cast<float>(key.ReadFloat("RegLat")), 50.783333f);
  EXPECT_FLOAT_EQ(static_cast<float>(key.ReadFloat("RegLng")), 6.1f);
  EXPECT_EQ(key.GetDataType("RegLat"), rdBinary);
  // No probe on a first run: the desktop's 16 bits stay.
  EXPECT_EQ(form->DDmain1->GetColorDepth(), 16);
  EXPECT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{1024, 768, 16}));
}

TEST_F(SettingsTest, LaterRunsOnA16BitDesktopUse32BitsWhenOffered) {
  gdi::SetDesktopMode({1024, 768, 16});
  CreateScene();
  ResetApplicationForTest();
  ddraw::SetModes({{640, 480, 16}, {640, 480, 32}, {1024, 768, 16}, {1024, 768, 32}});
  TForm1* form = CreateScene();
  EXPECT_EQ(form->ColorDepth, 32);
  EXPECT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{1024, 768, 32}));
  EXPECT_TRUE(Shown().empty());
}

// The mode a run stores, the probe's 32 bits included, opens again on the next run.
TEST_F(SettingsTest, FirstAndSecondRunsOpenOnWideDesktops) {
  for (const TDesktopMode desktop : {TDesktopMode{1920, 1080, 24}, TDesktopMode{2560, 1440, 32}}) {
    SCOPED_TRACE(desktop.Width);
    std::filesystem::remove_all(Config / "quillmont");
    gdi::SetDesktopMode({desktop.Width, desktop.Height, desktop.Depth});
    for (int depth : {desktop.Depth, 32}) {
      TForm1* form = CreateScene();
      EXPECT_TRUE(Shown().empty()) << Shown().front().text;
      EXPECT_TRUE(form->DDmain1->FpDDSBack);
      EXPECT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{desktop.Width, desktop.Height, depth}));
      ResetApplicationForTest();
    }
  }
}

TEST_F(SettingsTest, ProbeWithoutDirectDrawKeepsTheDesktopDepth) {
  gdi::SetDesktopMode({1024, 768, 16});
  CreateScene();
  ResetApplicationForTest();
  ddraw::FailCall(ddraw::Op::DirectDrawCreate, 1, DDERR_GENERIC);
  TForm1* form = CreateScene();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "DirectDraw Init FAILED");
  EXPECT_EQ(Shown()[0].caption, "Screen saver");
  EXPECT_EQ(form->ColorDepth, 16);
}

TEST_F(SettingsTest, DesktopModeReplacesTheStoredOneOnlyWhenAsked) {
  for (bool desktop : {true, false}) {
    SCOPED_TRACE(desktop);
    TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.flag_defres = desktop; s.ResHor = 800; s.ResVert = 600; s.ColorDepth = 24; });
    EXPECT_EQ(ddraw::HeadlessMode(), desktop ? (ddraw::DisplayMode{1024, 768, 32}) : (ddraw::DisplayMode{800, 600, 24}));
    EXPECT_EQ(form->ResHor, desktop ? 1024 : 800);
    ResetApplicationForTest();
  }
}

TEST_F(SettingsTest, MissingValueStopsTheSetUpWithTheStoresMessage) {
  Store(Plain());
  DeleteValue("SetSpeed");
  testing::internal::CaptureStderr();
  TForm1* form = CreateScene();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string(program_invocation_short_name) + ": Failed to get data for 'SetSpeed' in the settings file " +
                (Config / "quillmont" / "registry.txt").string() + "\n");
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Failed to get data for 'SetSpeed'");
  EXPECT_EQ(Shown()[0].caption, Application->GetTitle());
  EXPECT_FALSE(form->DDmain1->GetEnabled());
  EXPECT_FALSE(form->DDtimer1->GetEnabled());
}

TEST_F(SettingsTest, SceneDoesNotNeedTheCityIndex) {
  Store(Plain());
  DeleteValue("IndexCity");
  TForm1* form = CreateScene();
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(form->DDmain1->GetEnabled());
}

}  // namespace
}  // namespace waterfall_test
