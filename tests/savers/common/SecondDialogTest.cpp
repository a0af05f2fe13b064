// The shared setup dialog under a second program's form: its own settings, its own Settings
// tab, the shared tabs and handlers working on its fields.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/ddraw/Driver.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/user/UserPeer.h"
#include "savers/common/SetupDialog.h"

namespace {

// A dialog with the controls both programs have and nothing else, as a second program makes it.
class TSecondDialog : public TSaverSettings, public TSetupDialog {
 public:
  explicit TSecondDialog(TComponent* AOwner) : TSetupDialog(AOwner, *this, "SecondSetup", "Second") {
    BuildAboutArea("2.0");
    BuildButtons();
    TabSheet1 = AddSheet("TabSheet1", "Settings");
    TabSheet2 = AddSheet("TabSheet2", "Display");
    TTabSheet* clock = AddSheet("TabSheet3", "Clock");
    GroupBox1 = Add<TGroupBox>(TabSheet1, "GroupBox1", {8, 8, 225, 73}, "Sound");
    CheckBox1PlaySound = Add<TCheckBox>(GroupBox1, "CheckBox1PlaySound", {8, 16, 97, 17}, "Play Sound");
    GroupBox2 = Add<TGroupBox>(TabSheet1, "GroupBox2", {8, 80, 225, 41}, "Frame rate");
    CheckBox2ShowFPS = Add<TCheckBox>(GroupBox2, "CheckBox2ShowFPS", {8, 16, 97, 17}, "Show FPS");
    RadioButton3KeyMouse = Add<TRadioButton>(TabSheet1, "RadioButton3KeyMouse", {256, 32, 113, 17}, "Keybord and Mouse");
    RadioButton4Key = Add<TRadioButton>(TabSheet1, "RadioButton4Key", {256, 48, 145, 17}, "Keybord only (ESC key)");
    GroupBox9 = Add<TGroupBox>(TabSheet1, "GroupBox9", {240, 80, 185, 97}, "Speed setting");
    RadioButton1Slow = Add<TRadioButton>(GroupBox9, "RadioButton1Slow", {16, 24, 113, 17}, "Slow");
    RadioButton2Normal = Add<TRadioButton>(GroupBox9, "RadioButton2Normal", {16, 40, 113, 17}, "Normal");
    RadioButton5Fast = Add<TRadioButton>(GroupBox9, "RadioButton5Fast", {16, 56, 113, 17}, "Fast");
    BuildDisplaySheet(TabSheet2);
    BuildClockSheet(clock);
    GroupBox6->SetTabOrder(1);
    BindSharedEvents();
    OnCreate = [this](TObject*) {
      ProbeDisplay();
      ShowGeneralSettings();
      ShowDisplaySettings();
      ShowClockSettings();
    };
  }
};

class SecondDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/second-dialog-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    Config = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    ResetApplicationForTest();
    ddraw::ResetDriver();
    gdi::SetDesktopMode({1024, 768, 32});
  }
  void TearDown() override {
    ResetApplicationForTest();
    ddraw::ResetDriver();
    gdi::SetDesktopMode({});
    std::filesystem::remove_all(Config);
  }
  static void Click(TWinControl* Control) {
    user::PostInput(Control->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3), {.left = true});
    user::PostInput(Control->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    Application->ProcessMessages();
  }
  std::filesystem::path Config;
};

TEST_F(SecondDialogTest, TheSharedHandlersWorkOnTheSecondProgramsFields) {
  ddraw::SetModes({{800, 600, 16}, {800, 600, 32}, {1024, 768, 16}});
  TSecondDialog* d = nullptr;
  Application->CreateForm(d);
  d->Show();
  EXPECT_TRUE(d->RadioButton2Normal->GetChecked());
  EXPECT_TRUE(d->RadioButton13desktop->GetChecked());
  EXPECT_FALSE(d->RadioButton81152x864->GetEnabled());

  d->PageControl1->SetActivePage(d->TabSheet2);
  Click(d->RadioButton6800x600);
  EXPECT_EQ((std::array{d->ResHor, d->ResVert, d->clockX, d->clockY}), (std::array{800, 600, 710, 90}));
  EXPECT_FALSE(d->flag_defres);
  EXPECT_FALSE(d->RadioButton11_24->GetEnabled());
  Click(d->RadioButton12_32);
  EXPECT_EQ(d->ColorDepth, 32);

  d->PageControl1->SetActivePageIndex(0);
  Click(d->RadioButton4Key);
  Click(d->CheckBox2ShowFPS);
  EXPECT_FALSE(d->TermMouse);
  EXPECT_FALSE(d->flag_fps);

  d->PageControl1->SetActivePageIndex(2);
  d->Edit3R->SetFocus();
  d->Edit3R->SetText("500");
  d->Edit1X->SetFocus();  // leaves the radius
  EXPECT_EQ((std::array{d->clockRad, d->clockX, d->clockY}), (std::array{260, 520, 280}));
  Click(d->CheckBox3Showclock);
  EXPECT_FALSE(d->flag_clock);
  EXPECT_FALSE(d->Edit1X->GetEnabled());
}

}  // namespace
