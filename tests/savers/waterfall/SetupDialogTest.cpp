// The waterfall's setup dialog driven through its controls: what each shows of the stored
// settings, the clock edits' corrections, the mode radios with the mouse and the keyboard, the
// driver's answers, the colour and the links, and what "OK", "Cancel" and "Default Setting"
// leave in the settings file.
#include <sys/stat.h>

#include <functional>
#include <map>
#include <memory>

#include "platform/registry/HiveFile.h"
#include "platform/registry/Registry.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Clipbrd.h"
#include "savers/waterfall/WinMain.h"
#include "tests/savers/waterfall/DialogFixture.h"
#include "tests/support/FileSizeCap.h"

namespace waterfall_test {
namespace {

// --- What the dialog shows of stored settings ---

struct StoredCase {
  const char* Name;
  std::function<void(TWaterfallSettings&)> Edit;
  std::function<void(TForm2&)> Expect;
};

class StoredValues : public DialogTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(StoredValues, ShowTheirControlsAndTheFieldsFollowThem) {
  TForm2* dialog = OpenWith(GetParam().Edit);
  GetParam().Expect(*dialog);
  EXPECT_TRUE(Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, StoredValues,
    ::testing::Values(
        StoredCase{"SpeedSevenShowsNormal", [](TWaterfallSettings& s) { s.SetSpeed = 7; },
                   [](TForm2& d) {
                     EXPECT_TRUE(d.RadioButton2Normal->GetChecked());
                     EXPECT_EQ(d.SetSpeed, 1);
                   }},
        StoredCase{"AWidthNotOfferedIsTheDesktops",
                   [](TWaterfallSettings& s) {
                     s.flag_defres = false;
                     s.ResHor = 1600;
                     s.ResVert = 1200;
                     s.ColorDepth = 16;
                   },
                   [](TForm2& d) {
                     EXPECT_TRUE(d.RadioButton13desktop->GetChecked());
                     EXPECT_TRUE(d.flag_defres);
                     EXPECT_EQ(d.ResHor, 1024);
                     EXPECT_EQ(d.ResVert, 768);
                     EXPECT_EQ(d.ColorDepth, 32);
                     EXPECT_FALSE(d.RadioButton10_16->GetEnabled());
                   }},
        StoredCase{"EightBitsCheckNoDepth",
                   [](TWaterfallSettings& s) {
                     s.flag_defres = false;
                     s.ResHor = 800;
                     s.ResVert = 600;
                     s.ColorDepth = 8;
                   },
                   [](TForm2& d) {
                     EXPECT_TRUE(d.RadioButton6800x600->GetChecked());
                     for (TRadioButton* r : {d.RadioButton10_16, d.RadioButton11_24, d.RadioButton12_32}) {
                       EXPECT_FALSE(r->GetChecked());
                       EXPECT_TRUE(r->GetEnabled());
                     }
                     EXPECT_EQ(d.ColorDepth, 8);
                     DialogTest::Click(d.RadioButton11_24);
                     EXPECT_EQ(d.ColorDepth, 24);
                   }},
        StoredCase{"BothTimesOfDayShowTheRealOne",
                   [](TWaterfallSettings& s) { s.FlagDaytime = s.FlagDemoDaytime = true; },
                   [](TForm2& d) {
                     EXPECT_TRUE(d.RadioButton3->GetChecked());
                     EXPECT_FALSE(d.RadioButton2->GetChecked());
                     EXPECT_TRUE(d.FlagDaytime);
                     EXPECT_FALSE(d.FlagDemoDaytime);
                   }},
        StoredCase{"NineEaglesShowFive", [](TWaterfallSettings& s) { s.NumEagles = 9; },
                   [](TForm2& d) {
                     EXPECT_EQ(d.QmSpinEdit1->GetText(), "5");
                     EXPECT_EQ(d.NumEagles, 5);
                   }},
        // The clock controls follow "Show clock" from the start.
        StoredCase{"NoClockDisablesItsControls", [](TWaterfallSettings& s) { s.flag_clock = false; },
                   [](TForm2& d) {
                     EXPECT_FALSE(d.CheckBox3Showclock->GetChecked());
                     for (TControl* c : std::initializer_list<TControl*>{d.Label10, d.Edit1X, d.Label11, d.EditY,
                                                                         d.PanelColor, d.Button1, d.Label13, d.Edit3R})
                       EXPECT_FALSE(c->GetEnabled()) << c->GetName();
                     EXPECT_EQ(d.PanelColor->GetColor(), clMenu);
                   }}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DialogTest, ShowsEveryStoredValueInItsControl) {
  TForm2* d = OpenWith([](TWaterfallSettings& s) {
    s.flag_fps = false;
    s.TermMouse = false;
    s.Gamma = 100;
    s.flag_defres = false;
    s.ResHor = 1152;
    s.ResVert = 864;
    s.ColorDepth = 24;
    s.clockX = 500;
    s.clockY = 300;
    s.clockRad = 120;
    s.ColorClock = 0x0080FF;
    s.SetSpeed = 0;
    s.NumEagles = 4;
    s.FlagShowButterfly = false;
    s.FlagShowSimulateTime = false;
    s.ShowRisSet = false;
    s.IndexCity = 2015;
    s.RegLat = CityTable[2015].Lat;
    s.RegLng = CityTable[2015].Lng;
    s.RegOfUTC = CityTable[2015].OfUTC;
  });
  EXPECT_FALSE(d->CheckBox1PlaySound->GetChecked());
  EXPECT_FALSE(d->CheckBox2ShowFPS->GetChecked());
  EXPECT_TRUE(d->RadioButton4Key->GetChecked());
  EXPECT_TRUE(d->RadioButton1Slow->GetChecked());
  EXPECT_EQ(d->QmSpinEdit1->GetText(), "4");
  EXPECT_TRUE(d->CheckBox1->GetChecked());
  EXPECT_FALSE(d->CheckBox2->GetChecked());
  EXPECT_TRUE(d->RadioButton81152x864->GetChecked());
  EXPECT_TRUE(d->RadioButton11_24->GetChecked());
  EXPECT_EQ(d->TrackBar1->GetPosition(), 100);
  EXPECT_TRUE(d->CheckBox3Showclock->GetChecked());
  EXPECT_EQ(d->Edit1X->GetText(), "500");
  EXPECT_EQ(d->EditY->GetText(), "300");
  EXPECT_EQ(d->Edit3R->GetText(), "120");
  EXPECT_EQ(d->PanelColor->GetColor(), static_cast<TColor>(0x0080FF));
  EXPECT_TRUE(d->RadioButton1->GetChecked());
  EXPECT_FALSE(d->CheckBox3->GetChecked());
  EXPECT_FALSE(d->CheckBox5->GetChecked());
  EXPECT_EQ(d->ComboBox1->GetText(), "LONDON GB");
  EXPECT_EQ(d->GetCaption(), "Lumivelle Waterfall  Setup");
  EXPECT_EQ(d->GetClientWidth(), 457);
  EXPECT_EQ(d->GetClientHeight(), 381);
}

// --- The clock edits ---

struct ClampCase {
  const char* Name;
  int ModeWidth;  // the resolution radio clicked first (the clock moves to its corner)
  TEdit* TForm2::*Edit;
  const char* Typed;  // "" deletes the text
  int X, Y, Radius;
};

class ClockEdits : public DialogTest, public ::testing::WithParamInterface<ClampCase> {};

TEST_P(ClockEdits, KeepTheClockOnTheScreenWhenLeft) {
  const ClampCase& c = GetParam();
  TForm2* d = Open();
  Click(c.ModeWidth == 800 ? d->RadioButton6800x600 : d->RadioButton71024x768);
  TEdit* edit = d->*c.Edit;
  Type(edit, c.Typed);
  if (!*c.Typed) Key(edit, VK_DELETE);
  Leave(edit);
  EXPECT_EQ(d->clockX, c.X);
  EXPECT_EQ(d->clockY, c.Y);
  EXPECT_EQ(d->clockRad, c.Radius);
  EXPECT_EQ(d->Edit1X->GetText(), IntToStr(c.X));
  EXPECT_EQ(d->EditY->GetText(), IntToStr(c.Y));
  EXPECT_EQ(d->Edit3R->GetText(), IntToStr(c.Radius));
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, ClockEdits,
    ::testing::Values(ClampCase{"EmptyXIsTheLeftLimit", 1024, &TForm2::Edit1X, "", 90, 90, 70},
                      ClampCase{"XBeyondTheWidth", 1024, &TForm2::Edit1X, "5000", 934, 90, 70},
                      ClampCase{"YBeyondTheHeight", 800, &TForm2::EditY, "999999999999", 710, 510, 70},
                      ClampCase{"ARadiusTooSmall", 1024, &TForm2::Edit3R, "10", 934, 90, 70},
                      // The radius is kept within half the height, then the centre within the rest.
                      ClampCase{"ARadiusTooLargeMovesTheCentre", 800, &TForm2::Edit3R, "1000", 520, 280, 260}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DialogTest, ClockEditsTakeDigitsOnlyAndReadPastedTextAsANumber) {
  TForm2* d = Open();
  Type(d->Edit1X, "a-");
  EXPECT_EQ(d->Edit1X->GetText(), "934");
  d->Edit1X->SetSelStart(3);
  Type(d->Edit1X, "\b");
  EXPECT_EQ(d->Edit1X->GetText(), "934");
  Leave(d->Edit1X);
  Type(d->Edit1X, "512");
  EXPECT_EQ(d->Edit1X->GetText(), "512");
  Clipboard()->SetAsText("  -3x7");
  d->EditY->SetFocus();
  user::PostInput(d->EditY->GetHandle(), WM_KEYDOWN, VK_INSERT, 0, {.shift = true});
  Application->ProcessMessages();
  EXPECT_EQ(d->EditY->GetText(), "  -3x7");
  Leave(d->EditY);
  EXPECT_EQ(d->clockY, 90);
  EXPECT_EQ(d->EditY->GetText(), "90");
}

// --- The mode radios ---

TEST_F(DialogTest, AModeChosenWithTheMouseMovesTheClockToItsCorner) {
  TForm2* d = OpenWith([](TWaterfallSettings& s) {
    s.clockX = 300;
    s.clockY = 200;
    s.clockRad = 100;
  });
  Click(d->RadioButton6800x600);
  EXPECT_EQ(d->ResHor, 800);
  EXPECT_FALSE(d->flag_defres);
  EXPECT_EQ((std::array{d->clockX, d->clockY, d->clockRad}), (std::array{710, 90, 70}));
  EXPECT_EQ(d->Edit1X->GetText(), "710");

  // With the keyboard the clock stays.
  d->clockX = 300;
  d->RadioButton6800x600->SetFocus();
  Key(d->RadioButton6800x600, VK_DOWN);
  EXPECT_TRUE(d->RadioButton71024x768->GetChecked());
  EXPECT_EQ(d->ResHor, 1024);
  EXPECT_EQ(d->clockX, 300);
  Key(d->RadioButton71024x768, VK_SPACE);
  EXPECT_EQ(d->clockX, 300);

  // Releasing the mouse over the mode already checked moves it too.
  Click(d->RadioButton71024x768);
  EXPECT_EQ(d->clockX, 934);
  Click(d->RadioButton13desktop);
  EXPECT_TRUE(d->flag_defres);
  EXPECT_EQ(d->clockX, 934);
}

TEST_F(DialogTest, ADisabledModeRadioTakesNoClick) {
  ddraw::SetModes({{800, 600, 16}, {800, 600, 32}, {1024, 768, 24}, {1024, 768, 32}});
  TForm2* d = OpenWith([](TWaterfallSettings& s) { s.clockX = 300; });
  ASSERT_FALSE(d->RadioButton71024x768->GetEnabled());
  Click(d->RadioButton71024x768);
  EXPECT_FALSE(d->RadioButton71024x768->GetChecked());
  EXPECT_EQ(d->ResHor, 1024);
  EXPECT_TRUE(d->flag_defres);
  EXPECT_EQ(d->clockX, 300);
}

// --- The display driver's answers ---

struct DriverCase {
  const char* Name;
  std::vector<ddraw::DisplayMode> Modes;
  std::array<bool, 4> Resolutions;  // 800x600, 1024x768, 1152x864, 1280x1024 enabled
  std::array<bool, 3> Depths;       // 16, 24, 32 enabled, with 800x600 chosen
};

class DriverModes : public DialogTest, public ::testing::WithParamInterface<DriverCase> {};

TEST_P(DriverModes, EnableTheRadiosOfTheModesListed) {
  if (!GetParam().Modes.empty()) ddraw::SetModes(GetParam().Modes);
  TForm2* d = Open();
  const std::array resolutions = {d->RadioButton6800x600, d->RadioButton71024x768, d->RadioButton81152x864,
                                  d->RadioButton91280x1024};
  const std::array depths = {d->RadioButton10_16, d->RadioButton11_24, d->RadioButton12_32};
  for (TRadioButton* r : depths) EXPECT_FALSE(r->GetEnabled()) << "the desktop's mode takes no depth";
  EXPECT_TRUE(d->RadioButton13desktop->GetEnabled());
  Click(d->RadioButton6800x600);
  for (std::size_t i = 0; i < resolutions.size(); ++i)
    EXPECT_EQ(resolutions[i]->GetEnabled(), GetParam().Resolutions[i]) << resolutions[i]->GetCaption();
  for (std::size_t i = 0; i < depths.size(); ++i)
    EXPECT_EQ(depths[i]->GetEnabled(), GetParam().Depths[i]) << depths[i]->GetCaption();
  Click(d->RadioButton13desktop);
  for (TRadioButton* r : depths) EXPECT_FALSE(r->GetEnabled());
  EXPECT_TRUE(Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, DriverModes,
    ::testing::Values(
        DriverCase{"EveryMode", {}, {true, true, true, true}, {true, true, true}},
        DriverCase{"ResolutionWithout16Bits",
                   {{800, 600, 16}, {800, 600, 24}, {800, 600, 32}, {1024, 768, 24}, {1024, 768, 32}},
                   {true, false, false, false},
                   {true, true, true}},
        DriverCase{"DepthMissingAt800x600",
                   {{800, 600, 16}, {800, 600, 32}, {1280, 1024, 16}, {1280, 1024, 24}},
                   {true, false, false, true},
                   {true, false, true}}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DialogTest, AStoredModeWhoseRadioIsDisabledIsStillShownChecked) {
  ddraw::SetModes({{800, 600, 16}, {800, 600, 32}});
  TForm2* d = OpenWith([](TWaterfallSettings& s) {
    s.flag_defres = false;
    s.ResHor = 1280;
    s.ResVert = 1024;
    s.ColorDepth = 32;
  });
  EXPECT_TRUE(d->RadioButton91280x1024->GetChecked());
  EXPECT_FALSE(d->RadioButton91280x1024->GetEnabled());
  EXPECT_TRUE(d->RadioButton12_32->GetChecked());
  EXPECT_EQ(d->ResHor, 1280);
}

TEST_F(DialogTest, WithoutDirectDrawBothProbesSaySoAndOnlyTheDesktopModeIsLeft) {
  ddraw::FailCall(ddraw::Op::DirectDrawCreate, 1, DDERR_GENERIC);
  ddraw::FailCall(ddraw::Op::DirectDrawCreate, 2, DDERR_GENERIC);
  TForm2* d = Open();
  ASSERT_EQ(Shown().size(), 2u);
  for (const auto& box : Shown()) {
    EXPECT_EQ(box.text, "DirectDraw Init FAILED");
    EXPECT_EQ(box.caption, "Screen saver");
    EXPECT_EQ(box.owner, d->GetHandle());
  }
  for (TRadioButton* r : {d->RadioButton6800x600, d->RadioButton71024x768, d->RadioButton81152x864,
                          d->RadioButton91280x1024, d->RadioButton10_16, d->RadioButton11_24, d->RadioButton12_32})
    EXPECT_FALSE(r->GetEnabled()) << r->GetCaption();
  EXPECT_TRUE(d->RadioButton13desktop->GetEnabled());
  EXPECT_TRUE(d->RadioButton13desktop->GetChecked());
  EXPECT_FALSE(d->TrackBar1->GetEnabled());
}

TEST_F(DialogTest, WithoutAGammaRampTheBarIsGreyAndOKKeepsTheStoredGamma) {
  ddraw::SetGammaCapability(false);
  TForm2* d = OpenWith([](TWaterfallSettings& s) { s.Gamma = 100; });
  EXPECT_FALSE(d->TrackBar1->GetEnabled());
  EXPECT_EQ(d->TrackBar1->GetPosition(), 256);
  for (TControl* c : std::initializer_list<TControl*>{d->Label8, d->Label9, d->Memo2})
    EXPECT_EQ(c->GetFont()->GetColor(), clInactiveCaption) << c->GetName();
  Click(d->Button1OK);
  EXPECT_EQ(StoredSettings().Gamma, 100);
}

TEST_F(DialogTest, TheGammaBarsKeysSetTheGamma) {
  TForm2* d = Open();
  ShowPageOf(d->TrackBar1);
  d->TrackBar1->SetFocus();
  Key(d->TrackBar1, VK_LEFT);
  Key(d->TrackBar1, VK_LEFT);
  EXPECT_EQ(d->Gamma, 254);
}

// --- Colour, clock switch and links ---

TEST_F(DialogTest, TheColourDialogOpensOnItsOwnLastColour) {
  TForm2* d = OpenWith([](TWaterfallSettings& s) { s.ColorClock = 0x123456; });
  {
    user::ScopedColorDialogAnswer answer(RGB(255, 128, 0));
    Click(d->Button1);
    Click(d->PanelColor);
    EXPECT_EQ(answer.OpenedOn(), (std::vector<COLORREF>{0, RGB(255, 128, 0)}));
  }
  EXPECT_EQ(d->ColorClock, static_cast<int>(RGB(255, 128, 0)));
  EXPECT_EQ(d->PanelColor->GetColor(), static_cast<TColor>(RGB(255, 128, 0)));
  user::ScopedColorDialogAnswer cancelled(std::nullopt);
  Click(d->Button1);
  EXPECT_EQ(d->ColorClock, static_cast<int>(RGB(255, 128, 0)));
}

TEST_F(DialogTest, ShowClockSwitchesTheClockControls) {
  TForm2* d = OpenWith([](TWaterfallSettings& s) { s.ColorClock = 0x123456; });
  Click(d->CheckBox3Showclock);
  EXPECT_FALSE(d->flag_clock);
  EXPECT_FALSE(d->Edit3R->GetEnabled());
  EXPECT_EQ(d->PanelColor->GetColor(), clMenu);
  Click(d->CheckBox3Showclock);
  EXPECT_TRUE(d->flag_clock);
  EXPECT_TRUE(d->Edit3R->GetEnabled());
  EXPECT_EQ(d->PanelColor->GetColor(), static_cast<TColor>(0x123456));
}

TEST_F(DialogTest, TheAboutLinksOpenTheWebPageAndTheMail) {
  TForm2* d = Open();
  Click(d->Label3);
  Click(d->Label5);
  ASSERT_EQ(Links->Calls().size(), 2u);
  EXPECT_EQ(Links->Calls()[0].verb, "open");
  EXPECT_EQ(Links->Calls()[0].file, "http://www.quillmont.test");
  EXPECT_EQ(Links->Calls()[1].file, "mailto:info@quillmont.test");
  for (const auto& call : Links->Calls()) {
    EXPECT_EQ(call.parameters, "");
    EXPECT_EQ(call.show, SW_SHOW);
  }
}

// Tab selects a field's text, not a note's: a selected note would scroll to its last line.
TEST_F(DialogTest, TabbingOverANoteKeepsItsFirstLineInView) {
  TForm2* d = Open();
  d->CheckBox1PlaySound->SetFocus();
  Leave(d->CheckBox1PlaySound);
  ASSERT_EQ(d->GetActiveControl(), d->Memo1);
  EXPECT_EQ(d->Memo1->GetSelStart(), 0);
  EXPECT_EQ(d->Memo1->GetSelLength(), 0);
  Leave(d->Memo1);
  EXPECT_EQ(d->GetActiveControl(), d->CheckBox2ShowFPS) << "Tab goes on; a note does not keep it";
}

// --- OK, Cancel, Default Setting ---

TEST_F(DialogTest, OKWritesEveryValueAsTheControlsLeftThem) {
  TForm2* d = Open();  // a first run writes the defaults
  Click(d->CheckBox1PlaySound);
  Click(d->RadioButton5Fast);
  Click(d->CheckBox2);
  Click(d->RadioButton6800x600);
  Click(d->RadioButton10_16);
  Click(d->RadioButton3);
  Type(d->Edit3R, "100");
  Leave(d->Edit3R);
  Click(d->Button1OK);
  EXPECT_TRUE(Application->GetTerminated());
  TWaterfallSettings expected = FirstRunSettings({1024, 768, 32});
  expected.flag_PlaySound = false;
  expected.SetSpeed = 2;
  expected.FlagShowButterfly = false;
  expected.flag_defres = false;
  expected.ResHor = 800;
  expected.ResVert = 600;
  expected.ColorDepth = 16;
  expected.clockX = 680;  // 710 kept 120 from the right edge
  expected.clockY = 120;
  expected.clockRad = 100;
  expected.FlagDaytime = true;
  expected.FlagDemoDaytime = false;
  ExpectSameSettings(StoredSettings(), expected);
}

TEST_F(DialogTest, CancelAndTheCloseBoxWriteNothing) {
  Store(Plain());
  const std::string before = FileBytes();
  for (int run = 0; run < 3; ++run) {
    TForm2* d = Open();
    Click(d->CheckBox2ShowFPS);
    Click(d->RadioButton91280x1024);
    Type(d->Edit1X, "40");
    Leave(d->Edit1X);
    Click(d->RadioButton1);
    d->ComboBox1->Perform(CB_SETCURSEL, 347, 0);
    if (run == 2) Click(d->Button1Default);
    if (run == 1)
      user::PostInput(d->GetHandle(), WM_CLOSE, 0, 0);
    else
      ClickControl(d->Button1Cancel);
    Application->ProcessMessages();
    EXPECT_TRUE(Application->GetTerminated()) << run;
    EXPECT_EQ(FileBytes(), before) << run;
    ResetApplicationForTest();
  }
}

// The defaults come back, the desktop's mode taken anew; the place and the sun lines switch
// are not reset, and the list selects its first city, whose place the settings then take.
TEST_F(DialogTest, DefaultSettingShowsTheDefaultsAndWritesNothing) {
  TForm2* d = OpenWith([](TWaterfallSettings& s) {
    s.flag_fps = false;
    s.Gamma = 12;
    s.flag_defres = false;
    s.ResHor = 800;
    s.ResVert = 600;
    s.ColorDepth = 16;
    s.NumEagles = 5;
    s.ShowRisSet = false;
    s.IndexCity = 2359;
    s.RegLat = CityTable[2359].Lat;
    s.RegLng = CityTable[2359].Lng;
    s.RegOfUTC = CityTable[2359].OfUTC;
  });
  const std::string before = FileBytes();
  gdi::SetDesktopMode({1280, 1024, 24});
  Messages->Calls.clear();
  Click(d->Button1Default);
  EXPECT_EQ(FileBytes(), before);
  EXPECT_TRUE(d->flag_fps);
  EXPECT_TRUE(d->CheckBox2ShowFPS->GetChecked());
  EXPECT_EQ(d->TrackBar1->GetPosition(), 256);
  EXPECT_TRUE(d->RadioButton13desktop->GetChecked());
  EXPECT_EQ((std::array{d->ResHor, d->ResVert, d->ColorDepth, d->clockX}), (std::array{1280, 1024, 24, 1190}));
  EXPECT_EQ(d->QmSpinEdit1->GetText(), "2");
  EXPECT_FALSE(d->ShowRisSet);
  EXPECT_EQ(d->ComboBox1->GetItemIndex(), 0);
  EXPECT_EQ(d->IndexCity, 0);
  EXPECT_FLOAT_EQ(d->RegLat, 50.783333f);
  EXPECT_FLOAT_EQ(d->RegLng, 6.1f);
  EXPECT_EQ(d->RegOfUTC, 1);
  EXPECT_EQ(d->LabelSunrise->GetCaption(), "4:21AM");
  EXPECT_TRUE(MessageTexts().empty());
}

// --- A damaged settings file, a value that cannot be read ---

TEST_F(DialogTest, ADamagedFileIsNamedAtOpenAndOKKeepsItBesideTheNewOne) {
  const std::filesystem::path folder = Config / "quillmont";
  std::filesystem::create_directories(folder);
  const std::string damaged = "QUILLMONT REGISTRY 1\n\n[SOFTWARE]\nthis is no value\n";
  std::ofstream(folder / "registry.txt", std::ios::binary) << damaged;
  TForm2* d = Open();
  ASSERT_EQ(Shown().size(), 1u);
  std::string described = registry::DescribeDamage({folder / "registry.txt", 4});
  described[0] = 'T';  // the box's text starts with a capital
  EXPECT_TRUE(Shown()[0].text.starts_with(described + ".")) << Shown()[0].text;
  EXPECT_EQ(Shown()[0].caption, "Screen saver");
  EXPECT_EQ(FileBytes(), damaged);  // the first run's writes leave it alone
  Click(d->RadioButton5Fast);
  Click(d->Button1OK);
  EXPECT_EQ(StoredSettings().SetSpeed, 2);
  std::vector<std::string> kept;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.path().filename().string().starts_with("registry.txt.damaged-")) {
      std::ifstream in(entry.path(), std::ios::binary);
      kept.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
  EXPECT_EQ(kept, std::vector<std::string>{damaged});
}

// A file that lacks values (a run killed while it wrote them one by one, a hand edit) or holds
// one in another type: the box names the first, the dialog opens with the values it read and
// the others at their first-run values, "Cancel" leaves the file as it is and "OK" stores a
// complete set.
struct UnreadableCase {
  const char* Name;
  std::vector<std::string> Values;  // in table order
  bool AsText;                      // stored as a text instead of being missing
  const char* Box;
};

class UnreadableValues : public DialogTest, public ::testing::WithParamInterface<UnreadableCase> {
 protected:
  // Stored values that differ from the first run's, so each can be told apart.
  static TWaterfallSettings Before() {
    TWaterfallSettings s = Plain();
    s.flag_fps = false;
    s.Gamma = 100;
    s.SetSpeed = 2;
    s.NumEagles = 4;
    s.FlagShowEagles = false;
    TakeCity(s, 347);
    return s;
  }
  static void TakeCity(TWaterfallSettings& s, int Index) {
    s.IndexCity = Index;
    s.RegLat = CityTable[Index].Lat;
    s.RegLng = CityTable[Index].Lng;
    s.RegOfUTC = CityTable[Index].OfUTC;
  }
  // Before() with the unreadable values at their first run's.
  static TWaterfallSettings Expected() {
    TWaterfallSettings s = Before();
    const TWaterfallSettings firstRun = FirstRunSettings({1024, 768, 32});
    for (const auto& value : WaterfallSettingValues)
      if (std::ranges::find(GetParam().Values, value.Name) != GetParam().Values.end())
        std::visit([&](auto Field) { s.*Field = firstRun.*Field; }, value.Field);
    TakeCity(s, s.IndexCity);  // the list shows the city of the index, and the place follows it
    return s;
  }
  static void StoreDamaged() {
    Store(Before());
    TRegistry key;
    ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Rillmoor", false));
    for (const std::string& name : GetParam().Values)
      if (GetParam().AsText) key.WriteString(name, "7");
      else key.DeleteValue(name);
  }
};

TEST_P(UnreadableValues, AreNamedAndTheDialogOpensWithTheirFirstRunValues) {
  StoreDamaged();
  const std::string before = FileBytes();
  testing::internal::CaptureStderr();
  TForm2* d = Open();
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, GetParam().Box);
  EXPECT_EQ(Shown()[0].caption, Application->GetTitle());
  EXPECT_EQ(said, std::string(program_invocation_short_name) + ": " + GetParam().Box + " in the settings file " +
                      (Config / "quillmont" / "registry.txt").string() + "\n");
  EXPECT_FALSE(Application->GetTerminated());
  ExpectSameSettings(*d, Expected());
  EXPECT_EQ(d->ComboBox1->GetItemIndex(), Expected().IndexCity);
  ClickControl(d->Button1Cancel);
  Application->ProcessMessages();
  EXPECT_TRUE(Application->GetTerminated());
  EXPECT_EQ(FileBytes(), before);

  ResetApplicationForTest();
  Click(Open()->Button1OK);
  EXPECT_TRUE(Application->GetTerminated());
  ExpectSameSettings(StoredSettings(), Expected());
  ResetApplicationForTest();
  const std::size_t shown = Shown().size();
  Open();
  EXPECT_EQ(Shown().size(), shown);
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, UnreadableValues,
    ::testing::Values(
        UnreadableCase{"AllButTheFirstFive",
                       {"flag_defres", "ResHor", "ResVert", "ColorDepth", "clockX", "clockY", "clockRad", "ColorClock",
                        "SetSpeed", "NumEagles", "FlagShowEagles", "FlagShowButterfly", "FlagDaytime", "FlagDemoDaytime",
                        "FlagShowSimulateTime", "FlagDaylightSavingTime", "RegLat", "RegLng", "RegOfUTC", "ShowRisSet",
                        "IndexCity"},
                       false, "Failed to get data for 'flag_defres'"},
        UnreadableCase{"TheFirst", {"flag_clock"}, false, "Failed to get data for 'flag_clock'"},
        UnreadableCase{"TheCityIndex", {"IndexCity"}, false, "Failed to get data for 'IndexCity'"},
        UnreadableCase{"NumbersStoredAsTexts", {"SetSpeed", "NumEagles"}, true, "Invalid data type for 'SetSpeed'"}),
    [](const auto& info) { return std::string(info.param.Name); });

// "OK" where the settings cannot be written: the box says so, the dialog stays open, and what
// was in the settings folder is still there as it was.
struct UnwritableCase {
  const char* Name;
  // Breaks the settings folder of a dialog opened on a sound file; the guard keeps it broken.
  std::function<std::shared_ptr<void>(const std::filesystem::path& Folder)> Break;
};

class UnwritableSettings : public DialogTest, public ::testing::WithParamInterface<UnwritableCase> {
 protected:
  // What the config folder holds: each entry's kind, and a regular file's size and bytes.
  std::map<std::string, std::string> Snapshot() const {
    std::map<std::string, std::string> entries;
    AddEntries(Config, entries);
    return entries;
  }
  void AddEntries(const std::filesystem::path& Folder, std::map<std::string, std::string>& Entries) const {
    namespace fs = std::filesystem;
    for (const auto& entry : fs::directory_iterator(Folder)) {
      const fs::file_type type = fs::symlink_status(entry.path()).type();  // a link is not followed
      std::string& held = Entries[entry.path().lexically_relative(Config).string()];
      held = std::to_string(static_cast<int>(type));
      if (type == fs::file_type::directory) AddEntries(entry.path(), Entries);
      if (type != fs::file_type::regular) continue;
      const auto size = fs::file_size(entry.path());
      held += ":" + std::to_string(size);
      if (size < 65536) {
        std::ifstream in(entry.path(), std::ios::binary);
        held += ":" + std::string(std::istreambuf_iterator<char>(in), {});
      }
    }
  }
};

TEST_P(UnwritableSettings, OKSaysSoKeepsTheDialogOpenAndLeavesTheFolderAsItWas) {
  Store(Plain());
  TForm2* d = Open();
  Click(d->RadioButton5Fast);
  const std::filesystem::path folder = Config / "quillmont";
  testing::internal::CaptureStderr();
  {
    const auto broken = GetParam().Break(folder);
    const auto before = Snapshot();
    Click(d->Button1OK);
    EXPECT_EQ(Snapshot(), before);
  }
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Failed to set data for 'flag_clock'");
  EXPECT_EQ(Shown()[0].caption, Application->GetTitle());
  EXPECT_FALSE(Application->GetTerminated());
  EXPECT_EQ(d->SetSpeed, 2);
}

void Replace(const std::filesystem::path& File, const std::function<void()>& Make) {
  std::filesystem::remove(File);
  Make();
}

INSTANTIATE_TEST_SUITE_P(
    Dialog, UnwritableSettings,
    ::testing::Values(
        UnwritableCase{"ConfigHomeIsAFile",
                       [](const std::filesystem::path& Folder) -> std::shared_ptr<void> {
                         const std::filesystem::path file = Folder.parent_path() / "a file";
                         std::ofstream(file) << "not a folder";
                         ::setenv("XDG_CONFIG_HOME", file.c_str(), 1);
                         return nullptr;
                       }},
        UnwritableCase{"SettingsFolderIsAFile",
                       [](const std::filesystem::path& Folder) -> std::shared_ptr<void> {
                         std::filesystem::remove_all(Folder);
                         std::ofstream(Folder) << "not a folder";
                         return nullptr;
                       }},
        UnwritableCase{"FileIsAFolder",
                       [](const std::filesystem::path& Folder) -> std::shared_ptr<void> {
                         Replace(Folder / "registry.txt", [&] { std::filesystem::create_directory(Folder / "registry.txt"); });
                         return nullptr;
                       }},
        UnwritableCase{"FileIsANamedPipe",
                       [](const std::filesystem::path& Folder) -> std::shared_ptr<void> {
                         Replace(Folder / "registry.txt", [&] { ::mkfifo((Folder / "registry.txt").c_str(), 0600); });
                         return nullptr;
                       }},
        UnwritableCase{"FileIsALinkLoop",
                       [](const std::filesystem::path& Folder) -> std::shared_ptr<void> {
                         Replace(Folder / "registry.txt",
                                 [&] { std::filesystem::create_symlink("registry.txt", Folder / "registry.txt"); });
                         return nullptr;
                       }},
        UnwritableCase{"FileIsLargerThanTheLimit",
                       [](const std::filesystem::path& Folder) -> std::shared_ptr<void> {
                         std::filesystem::resize_file(Folder / "registry.txt", registry::kMaxHiveFileSize + 1);
                         return nullptr;
                       }},
        UnwritableCase{"DiskIsFull",
                       [](const std::filesystem::path&) -> std::shared_ptr<void> {
                         return std::make_shared<FileSizeCap>(16);
                       }},
        UnwritableCase{"DiskIsFullAndTheFileIsDamaged",
                       [](const std::filesystem::path& Folder) -> std::shared_ptr<void> {
                         std::ofstream(Folder / "registry.txt", std::ios::binary) << "QUILLMONT REGISTRY 1\ngarbage\n";
                         return std::make_shared<FileSizeCap>(16);
                       }}),
    [](const auto& info) { return std::string(info.param.Name); });

// The dialog keeps the user's changes through a failed "OK": once there is room, "OK" stores them.
TEST_F(DialogTest, AfterAFailedOKTheNextOneStoresTheChanges) {
  Store(Plain());
  TForm2* d = Open();
  Click(d->RadioButton5Fast);
  {
    const FileSizeCap full(16);
    Click(d->Button1OK);
  }
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(StoredSettings().SetSpeed, 1);
  Click(d->Button1OK);
  EXPECT_TRUE(Application->GetTerminated());
  EXPECT_EQ(StoredSettings().SetSpeed, 2);
}

}  // namespace
}  // namespace waterfall_test
