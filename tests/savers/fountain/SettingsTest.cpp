// The fountain's settings: the shared table's order, the first run writing its 14 values in one
// replace of the file, the desktop's mode without a depth probe, and a value missing from the key.
#include "platform/registry/Registry.h"
#include "tests/savers/common/SettingsReplaces.h"
#include "tests/savers/fountain/FountainFixture.h"

namespace fountain_test {
namespace {

TEST(FountainSettingValues, StorageOrderIsTheTables) {
  const std::vector<std::string> expected = {"flag_clock", "flag_PlaySound", "flag_fps", "TermMouse", "Gamma",
                                             "flag_defres", "ResHor", "ResVert", "ColorDepth", "clockX",
                                             "clockY", "clockRad", "ColorClock", "SetSpeed"};
  std::vector<std::string> names;
  for (const auto& value : SaverSettingValues) names.push_back(value.Name);
  EXPECT_EQ(names, expected);
}

class SettingsTest : public FountainTest {};

TEST_F(SettingsTest, FirstRunWritesItsFourteenValues) {
  for (const bool dialog : {false, true}) {  // a first start in either mode creates the key
    SCOPED_TRACE(dialog);
    std::filesystem::remove_all(Config / "quillmont");
    saver_test::SettingsReplaces replaces(Config / "quillmont");
    if (dialog) OpenDialog();
    else CreateScene();
    EXPECT_EQ(replaces.Count(), 1);  // a run killed meanwhile leaves all of them or none
    TRegistry key;
    ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Sorrelin", false));
    EXPECT_FALSE(key.ValueExists("NumEagles"));  // none of the waterfall's own
    struct Expect {
      const char* Name;
      int Value;
    };
    for (const Expect& e : {Expect{"flag_clock", 1}, {"flag_PlaySound", 1}, {"flag_fps", 1}, {"TermMouse", 1},
                            {"Gamma", 256}, {"flag_defres", 1}, {"ResHor", 1024}, {"ResVert", 768},
                            {"ColorDepth", 32}, {"clockX", 934}, {"clockY", 90}, {"clockRad", 70},
                            {"ColorClock", 33023}, {"SetSpeed", 1}})
      EXPECT_EQ(key.ReadInteger(e.Name), e.Value) << e.Name;
    ResetApplicationForTest();
  }
}

// The stored 800 stays in the key; the scene and the dialog use the desktop's mode.
TEST_F(SettingsTest, DesktopModeReplacesTheStoredOne) {
  Store(PlainWith([](TSaverSettings& s) {
    s.ResHor = 800;
    s.ResVert = 600;
    s.ColorDepth = 24;
  }));
  TForm1* scene = CreateScene();
  EXPECT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{1024, 768, 32}));
  EXPECT_EQ(scene->ResHor, 1024);
  ResetApplicationForTest();
  TForm2* dialog = OpenDialog();
  EXPECT_EQ((std::array{dialog->ResHor, dialog->ResVert, dialog->ColorDepth}), (std::array{1024, 768, 32}));
  EXPECT_EQ(Stored().ResHor, 800);
}

// No depth is tried above the desktop's: the scene runs at 16 bits.
TEST_F(SettingsTest, SixteenBitDesktopRunsAtSixteenBits) {
  gdi::SetDesktopMode({1024, 768, 16});
  CreateScene();
  ResetApplicationForTest();
  TForm1* form = CreateScene();  // a second run, with the key present
  EXPECT_EQ(form->ColorDepth, 16);
  EXPECT_EQ(ddraw::HeadlessMode(), (ddraw::DisplayMode{1024, 768, 16}));
  EXPECT_TRUE(Shown().empty());
}

TEST_F(SettingsTest, MissingValueStopsTheSetUpWithTheStoresMessage) {
  Store(Plain());
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey("\\SOFTWARE\\Quillmont\\Sorrelin", false));
  registry.DeleteValue("clockRad");
  testing::internal::CaptureStderr();
  TForm1* form = CreateScene();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string(program_invocation_short_name) + ": Failed to get data for 'clockRad' in the settings file " +
                (Config / "quillmont" / "registry.txt").string() + "\n");
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Failed to get data for 'clockRad'");
  EXPECT_FALSE(form->DDmain1->GetEnabled());
  EXPECT_FALSE(form->DDtimer1->GetEnabled());
}

}  // namespace
}  // namespace fountain_test
