// The fountain's setup dialog: its form and tabs, the shared handlers on its fields, what it
// shows of stored values it has no control for, of values the file lacks, "OK" (also where it
// cannot write), "Default Setting" and "Cancel".
#include <fstream>
#include <iterator>

#include "platform/registry/Registry.h"
#include "tests/savers/common/DialogInput.h"
#include "tests/savers/fountain/FountainFixture.h"
#include "tests/support/FileSizeCap.h"

namespace fountain_test {
namespace {

class DialogTest : public FountainTest, public saver_test::DialogInput {
 protected:
  TForm2* OpenWith(const TSaverSettings& Settings) {
    Store(Settings);
    return OpenDialog();
  }
  std::string FileBytes() const {
    std::ifstream in(Config / "quillmont" / "registry.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(DialogTest, FormHasItsCaptionTabsAndOrder) {
  TForm2* d = OpenDialog();
  EXPECT_EQ(d->GetCaption(), "SorrelinSetup");
  EXPECT_EQ((std::array{d->GetClientWidth(), d->GetClientHeight()}), (std::array{457, 381}));
  ASSERT_EQ(d->PageControl1->GetPageCount(), 3);
  EXPECT_EQ(d->PageControl1->GetPages(0)->GetCaption(), "Settings");
  EXPECT_EQ(d->PageControl1->GetPages(1)->GetCaption(), "Display");
  EXPECT_EQ(d->PageControl1->GetPages(2)->GetCaption(), "Clock");
  EXPECT_EQ(d->PageControl1->GetActivePageIndex(), 0);
  EXPECT_EQ(d->Label1->GetCaption(), "Sorrelin Screensaver");
  EXPECT_EQ(d->Label1->GetFont()->GetHeight(), -16);
  EXPECT_EQ(d->Label3version->GetCaption(), "2.0");
  EXPECT_EQ(d->Image1->GetPicture()->GetWidth(), 156);
  EXPECT_EQ(d->Image1->GetPicture()->GetHeight(), 117);
  // "Speed setting" in the right column under "Terminate".
  EXPECT_EQ((std::array{d->GroupBox9->GetLeft(), d->GroupBox9->GetTop()}), (std::array{240, 80}));
  // The screen position comes before the colour in the clock tab's order.
  EXPECT_EQ((std::array{d->GroupBox4->GetTabOrder(), d->GroupBox6->GetTabOrder(), d->GroupBox7->GetTabOrder(),
                        d->GroupBox8->GetTabOrder()}),
            (std::array{0, 1, 2, 3}));
}

TEST_F(DialogTest, SharedHandlersWorkOnTheFountainsFields) {
  ddraw::SetModes({{800, 600, 16}, {800, 600, 32}, {1024, 768, 16}});
  TForm2* d = OpenDialog();
  EXPECT_TRUE(d->RadioButton2Normal->GetChecked());
  EXPECT_TRUE(d->RadioButton13desktop->GetChecked());
  EXPECT_FALSE(d->RadioButton81152x864->GetEnabled());

  Click(d->RadioButton6800x600);
  EXPECT_EQ((std::array{d->ResHor, d->ResVert, d->clockX, d->clockY}), (std::array{800, 600, 710, 90}));
  EXPECT_FALSE(d->flag_defres);
  EXPECT_FALSE(d->RadioButton11_24->GetEnabled());
  Click(d->RadioButton12_32);
  EXPECT_EQ(d->ColorDepth, 32);

  Click(d->RadioButton4Key);
  Click(d->CheckBox2ShowFPS);
  Click(d->RadioButton1Slow);
  EXPECT_FALSE(d->TermMouse);
  EXPECT_FALSE(d->flag_fps);
  EXPECT_EQ(d->SetSpeed, 0);

  Type(d->Edit3R, "500");
  Leave(d->Edit3R);
  EXPECT_EQ((std::array{d->clockRad, d->clockX, d->clockY}), (std::array{260, 520, 280}));
  Click(d->CheckBox3Showclock);
  EXPECT_FALSE(d->flag_clock);
  EXPECT_FALSE(d->Edit1X->GetEnabled());

  Click(d->Button1OK);
  EXPECT_TRUE(Application->GetTerminated());
  TSaverSettings expected = FountainFirstRunSettings({1024, 768, 32});
  expected.flag_defres = false;
  expected.ResHor = 800;
  expected.ResVert = 600;
  expected.ColorDepth = 32;
  expected.TermMouse = false;
  expected.flag_fps = false;
  expected.SetSpeed = 0;
  expected.clockRad = 260;
  expected.clockX = 520;
  expected.clockY = 280;
  expected.flag_clock = false;
  ExpectSameSettings(Stored(), expected);
}

// A speed of no radio shows as Normal, whose handler makes it 1; a depth of no radio checks
// none and stays until one is chosen.
TEST_F(DialogTest, ValuesWithoutARadioOfTheirOwn) {
  TForm2* d = OpenWith(PlainWith([](TSaverSettings& s) {
    s.SetSpeed = 7;
    s.flag_defres = false;
    s.ColorDepth = 8;
  }));
  EXPECT_TRUE(d->RadioButton2Normal->GetChecked());
  EXPECT_EQ(d->SetSpeed, 1);
  EXPECT_TRUE(d->RadioButton71024x768->GetChecked());
  for (TRadioButton* depth : {d->RadioButton10_16, d->RadioButton11_24, d->RadioButton12_32})
    EXPECT_FALSE(depth->GetChecked()) << depth->GetName();
  Click(d->Button1OK);
  const TSaverSettings stored = Stored();
  EXPECT_EQ(stored.SetSpeed, 1);
  EXPECT_EQ(stored.ColorDepth, 8);
}

TEST_F(DialogTest, WithoutAGammaRampTheBarIsGreyAndOKKeepsTheStoredGamma) {
  ddraw::SetGammaCapability(false);
  TForm2* d = OpenWith(PlainWith([](TSaverSettings& s) { s.Gamma = 100; }));
  EXPECT_FALSE(d->TrackBar1->GetEnabled());
  for (TControl* grey : std::initializer_list<TControl*>{d->Label8, d->Label9, d->Memo2})
    EXPECT_EQ(grey->GetFont()->GetColor(), clInactiveCaption) << grey->GetName();
  Click(d->Button1OK);
  EXPECT_EQ(Stored().Gamma, 100);
}

// The defaults come back, the desktop's mode taken anew, the clock orange; nothing is written
// until "OK", and "Cancel" then leaves the file as it was.
TEST_F(DialogTest, DefaultThenCancelLeavesTheFileAndDefaultThenOKWritesTheDefaults) {
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok);
    TForm2* d = OpenWith(PlainWith([](TSaverSettings& s) {
      s.flag_fps = false;
      s.Gamma = 12;
      s.flag_defres = false;
      s.ResHor = 800;
      s.ResVert = 600;
      s.ColorDepth = 16;
      s.ColorClock = 0x00FF00;
      s.clockRad = 100;
    }));
    const std::string before = FileBytes();
    gdi::SetDesktopMode({1280, 1024, 24});
    Click(d->Button1Default);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_TRUE(d->CheckBox2ShowFPS->GetChecked());
    EXPECT_EQ(d->TrackBar1->GetPosition(), 256);
    EXPECT_TRUE(d->RadioButton13desktop->GetChecked());
    EXPECT_EQ(d->PanelColor->GetColor(), static_cast<TColor>(33023));
    EXPECT_EQ(d->Edit1X->GetText(), "1190");
    Click(ok ? d->Button1OK : d->Button1Cancel);
    EXPECT_TRUE(Application->GetTerminated());
    if (ok) ExpectSameSettings(Stored(), FountainFirstRunSettings({1280, 1024, 24}));
    else EXPECT_EQ(FileBytes(), before);
    ResetApplicationForTest();
    gdi::SetDesktopMode({1024, 768, 32});
  }
}

// Values the file lacks: the box names the first, the dialog opens with them at their first-run
// values, "Cancel" leaves the file and "OK" stores a complete set.
TEST_F(DialogTest, MissingValuesAreNamedAndOKStoresACompleteSet) {
  TSaverSettings before = PlainWith([](TSaverSettings& s) {
    s.Gamma = 100;
    s.clockRad = 80;
    s.SetSpeed = 2;
  });
  Store(before);
  TRegistry key;
  ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Sorrelin", false));
  key.DeleteValue("clockRad");
  key.DeleteValue("SetSpeed");
  const std::string damaged = FileBytes();
  TSaverSettings expected = before;
  expected.clockRad = 70;
  expected.SetSpeed = 1;
  for (const bool ok : {false, true}) {
    SCOPED_TRACE(ok);
    testing::internal::CaptureStderr();
    TForm2* d = OpenDialog();
    testing::internal::GetCapturedStderr();
    ASSERT_EQ(Shown().size(), ok ? 2u : 1u);
    EXPECT_EQ(Shown().back().text, "Failed to get data for 'clockRad'");
    ExpectSameSettings(*d, expected);
    Click(ok ? d->Button1OK : d->Button1Cancel);
    EXPECT_TRUE(Application->GetTerminated());
    if (ok) ExpectSameSettings(Stored(), expected);
    else EXPECT_EQ(FileBytes(), damaged);
    ResetApplicationForTest();
  }
}

// A full disk: "OK" shows the box, the dialog stays open and the file stays as it was.
TEST_F(DialogTest, OKThatCannotWriteSaysSoAndStaysOpen) {
  TForm2* d = OpenWith(Plain());
  Click(d->RadioButton5Fast);
  const std::string before = FileBytes();
  {
    const FileSizeCap full(16);
    Click(d->Button1OK);
  }
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Failed to set data for 'flag_clock'");
  EXPECT_FALSE(Application->GetTerminated());
  EXPECT_EQ(FileBytes(), before);
}

}  // namespace
}  // namespace fountain_test
