// The shared dialog's form, the parts both programs lay out alike, the handlers of the sound,
// frame-rate, end-of-run, speed, gamma and clock controls, the about links and the damaged
// settings file's box.
#include "savers/common/SetupDialog.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "platform/user/ShellApi.h"
#include "platform/user/WinUser.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"
#include "savers/common/ScreenSaver.h"

const std::array<const char*, 3> SoundNote = {
    "If you don't hear the sound, download and ",
    "install Windows Media Player",
    "",
};

const std::array<const char*, 8> GammaNote = {
    "You may setting Gamma level when screensaver ",
    "is running. ",
    "\"+\" key - make lighten",
    "\"-\" key - make darken",
    "",
    "note: this option available only if you choose ",
    "\"Keyboard only (ESC key)\"  terminate ",
    "screensaver mode (see Setting tab).",
};

const std::array<const char*, 4> ClockNote = {
    "Use cursor key to set position clock when screensaver is running. ",
    "note: this option available only if you choose \"Keyboard only (ESC key)\"  terminate ",
    "screensaver mode (see Setting tab).",
    "",
};

namespace {

constexpr int DefaultClockRadius = 70;
constexpr int ClockMargin = 20;  // between the clock's rim and the screen's edge

// Optional blanks and a sign, then digits up to the first other character; no digits read as 0,
// too many digits as the nearest value that fits.
long long ReadInteger(const AnsiString& Text) {
  std::size_t i = 0;
  while (i < Text.size() && Text[i] == ' ') ++i;
  bool negative = false;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) negative = Text[i++] == '-';
  long long value = 0;
  for (; i < Text.size() && std::isdigit(static_cast<unsigned char>(Text[i])); ++i)
    value = std::min<long long>(value * 10 + (Text[i] - '0'), std::numeric_limits<int>::max() + 1LL);
  return negative ? -value : value;
}

// How far the clock's centre stays from the screen's edges.
long long Margin(int Radius) { return Radius + static_cast<long long>(ClockMargin); }

int ToInt(long long Value) {
  return static_cast<int>(std::clamp<long long>(Value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// A centre kept Margin from both ends of Extent: the low end first, as a clock too large for
// the screen then stays at its top left. In 64 bits: stored radii and sizes are unbounded.
int KeepInside(long long Centre, long long Margin, long long Extent) {
  if (Centre < Margin) return ToInt(Margin);
  if (Centre > Extent - Margin) return ToInt(Extent - Margin);
  return ToInt(Centre);
}

}  // namespace

TSetupDialog::TSetupDialog(TComponent* AOwner, TSaverSettings& Settings, const char* Caption,
                           const char* ProductName)
    : TForm(AOwner), FSettings(Settings) {
  SetBorderStyle(bsDialog);
  SetCaption(Caption);
  SetClientWidth(457);
  SetClientHeight(381);
  SetPosition(poScreenCenter);
  SetColor(clBtnFace);
  TFont font;
  font.SetName("MS Sans Serif");
  font.SetHeight(-11);
  SetFont(&font);

  SetReg1 = new TSetReg(this);
  SetReg1->SetName("SetReg1");
  SetReg1->SetCompanyName("Quillmont");
  SetReg1->SetProductName(ProductName);
  ColorDialog1 = new TColorDialog(this);
  ColorDialog1->SetName("ColorDialog1");
  ColorDialog1->SetCtl3D(true);
}

TTabSheet* TSetupDialog::AddSheet(const char* Name, const char* Caption) {
  auto* sheet = new TTabSheet(this);
  sheet->SetName(Name);
  sheet->SetPageControl(PageControl1);
  sheet->SetCaption(Caption);
  return sheet;
}

void TSetupDialog::ShowNote(TMemo* Memo, TColor Color, const char* const* Lines, std::size_t Count) {
  Memo->SetBorderStyle(bsNone);
  Memo->SetColor(Color);
  Memo->SetReadOnly(true);
  TStringList* lines = Memo->GetLines();
  lines->BeginUpdate();
  lines->Clear();
  for (std::size_t i = 0; i < Count; ++i) lines->Add(Lines[i]);
  lines->EndUpdate();
}

void TSetupDialog::BuildAboutArea(const char* Version) {
  Image1 = Add<TImage>(this, "Image1", {6, 7, 156, 117});
  TResourceStream picture(GetModuleHandleA(nullptr), "ABOUT", RT_RCDATA);
  TBitmap about;
  about.LoadFromStream(&picture);
  Image1->GetPicture()->SetGraphic(&about);
  Label2 = Add<TLabel>(this, "Label2", {176, 40, 34, 13}, "version");
  Label3version = Add<TLabel>(this, "Label3version", {216, 40, 15, 13}, Version);
  Label3 = Add<TLabel>(this, "Label3", {176, 56, 112, 13}, MakerWebPage);
  Label4 = Add<TLabel>(this, "Label4", {312, 56, 30, 13}, "e-mail:");
  Label5 = Add<TLabel>(this, "Label5", {352, 56, 98, 13}, MakerMail);
  for (TLabel* link : {Label3, Label5}) {
    link->GetFont()->SetColor(clNavy);
    link->GetFont()->SetStyle({fsUnderline});
    link->SetCursor(crHandPoint);
  }
}

void TSetupDialog::BuildButtons() {
  Button1Default = Add<TButton>(this, "Button1Default", {8, 352, 89, 25, 0}, "Default Setting");
  Button1OK = Add<TButton>(this, "Button1OK", {296, 352, 75, 25, 1}, "OK");
  Button1Cancel = Add<TButton>(this, "Button1Cancel", {376, 352, 75, 25, 2}, "Cancel");
  for (TButton* button : {Button1Default, Button1OK, Button1Cancel}) button->SetCursor(crHandPoint);
  PageControl1 = Add<TPageControl>(this, "PageControl1", {8, 128, 441, 217, 3});
}

void TSetupDialog::BuildClockSheet(TTabSheet* Sheet) {
  GroupBox4 = Add<TGroupBox>(Sheet, "GroupBox4", {8, 8, 185, 57, 0}, "Clock settings");
  CheckBox3Showclock = Add<TCheckBox>(GroupBox4, "CheckBox3Showclock", {56, 24, 97, 17, 0}, "Show clock");
  GroupBox7 = Add<TGroupBox>(Sheet, "GroupBox7", {200, 8, 225, 57, 1}, "Color clock");
  Button1 = Add<TButton>(GroupBox7, "Button1", {88, 24, 75, 25, 0}, "Set color");
  PanelColor = Add<TPanel>(GroupBox7, "PanelColor", {40, 24, 33, 25, 1});
  PanelColor->SetColor(clGray);
  for (TControl* control : {static_cast<TControl*>(Button1), static_cast<TControl*>(PanelColor)})
    control->SetCursor(crHandPoint);
  GroupBox6 = Add<TGroupBox>(Sheet, "GroupBox6", {8, 64, 185, 57, 2}, "Screen position");
  Label10 = Add<TLabel>(GroupBox6, "Label10", {8, 32, 40, 13}, "X center");
  Label11 = Add<TLabel>(GroupBox6, "Label11", {96, 32, 37, 13}, "Ycenter");
  Edit1X = Add<TEdit>(GroupBox6, "Edit1X", {56, 24, 33, 21, 0});
  EditY = Add<TEdit>(GroupBox6, "EditY", {144, 24, 33, 21, 1});
  GroupBox8 = Add<TGroupBox>(Sheet, "GroupBox8", {200, 64, 225, 57, 3}, "Size");
  Label13 = Add<TLabel>(GroupBox8, "Label13", {8, 32, 77, 13}, "Radius of clock:");
  Edit3R = Add<TEdit>(GroupBox8, "Edit3R", {96, 24, 65, 21, 0});
  Memo3 = AddNote(Sheet, "Memo3", {8, 128, 417, 57, 4}, clMenu, ClockNote);
}

void TSetupDialog::BindSharedEvents() {
  CheckBox1PlaySound->OnClick = Handler(this, &TSetupDialog::CheckBox1PlaySoundClick);
  CheckBox2ShowFPS->OnClick = Handler(this, &TSetupDialog::CheckBox2ShowFPSClick);
  RadioButton3KeyMouse->OnClick = Handler(this, &TSetupDialog::RadioButton3KeyMouseClick);
  RadioButton4Key->OnClick = Handler(this, &TSetupDialog::RadioButton4KeyClick);
  RadioButton1Slow->OnClick = Handler(this, &TSetupDialog::RadioButton1SlowClick);
  RadioButton2Normal->OnClick = Handler(this, &TSetupDialog::RadioButton2NormalClick);
  RadioButton5Fast->OnClick = Handler(this, &TSetupDialog::RadioButton5FastClick);
  RadioButton6800x600->OnClick = Handler(this, &TSetupDialog::RadioButton6800x600Click);
  RadioButton71024x768->OnClick = Handler(this, &TSetupDialog::RadioButton71024x768Click);
  RadioButton81152x864->OnClick = Handler(this, &TSetupDialog::RadioButton81152x864Click);
  RadioButton91280x1024->OnClick = Handler(this, &TSetupDialog::RadioButton91280x1024Click);
  RadioButton13desktop->OnClick = Handler(this, &TSetupDialog::RadioButton13desktopClick);
  RadioButton6800x600->OnMouseUp = Handler(this, &TSetupDialog::RadioButton6800x600MouseUp);
  RadioButton71024x768->OnMouseUp = Handler(this, &TSetupDialog::RadioButton71024x768MouseUp);
  RadioButton81152x864->OnMouseUp = Handler(this, &TSetupDialog::RadioButton81152x864MouseUp);
  RadioButton91280x1024->OnMouseUp = Handler(this, &TSetupDialog::RadioButton91280x1024MouseUp);
  RadioButton13desktop->OnMouseUp = Handler(this, &TSetupDialog::RadioButton13desktopMouseUp);
  RadioButton10_16->OnClick = Handler(this, &TSetupDialog::RadioButton10_16Click);
  RadioButton11_24->OnClick = Handler(this, &TSetupDialog::RadioButton11_24Click);
  RadioButton12_32->OnClick = Handler(this, &TSetupDialog::RadioButton12_32Click);
  TrackBar1->OnChange = Handler(this, &TSetupDialog::TrackBar1Change);
  CheckBox3Showclock->OnClick = Handler(this, &TSetupDialog::CheckBox3ShowclockClick);
  Button1->OnClick = Handler(this, &TSetupDialog::Button1Click);
  PanelColor->OnClick = Handler(this, &TSetupDialog::Button1Click);
  for (TEdit* edit : {Edit1X, EditY, Edit3R}) edit->OnKeyPress = Handler(this, &TSetupDialog::Edit1XKeyPress);
  Edit1X->OnExit = Handler(this, &TSetupDialog::Edit1XExit);
  EditY->OnExit = Handler(this, &TSetupDialog::EditYExit);
  Edit3R->OnExit = Handler(this, &TSetupDialog::Edit3RExit);
  Label3->OnClick = Handler(this, &TSetupDialog::Label3Click);
  Label5->OnClick = Handler(this, &TSetupDialog::Label5Click);
  Button1Cancel->OnClick = Handler(this, &TSetupDialog::Button1CancelClick);
}

void TSetupDialog::ReportDamagedSettings() {
  const auto damage = registry::FindHiveDamage();
  if (!damage) return;
  AnsiString text = registry::DescribeDamage(*damage) +
                    ".\r\nThe dialog shows the first-run settings; \"OK\" keeps the damaged file beside the new one.";
  text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
  MessageBoxA(GetHandle(), text.c_str(), "Screen saver", MB_OK | MB_ICONWARNING);
}

void TSetupDialog::LoadAndShowSettings() {
  ReportDamagedSettings();
  try {
    LoadSettings();
  } catch (Exception& E) {
    // The values it could not read have their first-run values.
    Application->ShowException(&E);
  }
  ShowSettings();
}

bool TSetupDialog::StoreSettings() {
  try {
    // The damaged file the box named at open gives way to the new one and is kept beside it.
    WriteSettings(registry::Damaged::KeepAside);
    return true;
  } catch (Exception& E) {
    Application->ShowException(&E);
    MarkErrorEnd();
    return false;
  }
}

void TSetupDialog::CheckBox1PlaySoundClick(TObject*) { FSettings.flag_PlaySound = CheckBox1PlaySound->GetChecked(); }

void TSetupDialog::CheckBox2ShowFPSClick(TObject*) { FSettings.flag_fps = CheckBox2ShowFPS->GetChecked(); }

void TSetupDialog::RadioButton3KeyMouseClick(TObject*) { FSettings.TermMouse = RadioButton3KeyMouse->GetChecked(); }

void TSetupDialog::RadioButton4KeyClick(TObject*) { FSettings.TermMouse = RadioButton3KeyMouse->GetChecked(); }

void TSetupDialog::RadioButton1SlowClick(TObject*) {
  if (RadioButton1Slow->GetChecked()) FSettings.SetSpeed = 0;
}

void TSetupDialog::RadioButton2NormalClick(TObject*) {
  if (RadioButton2Normal->GetChecked()) FSettings.SetSpeed = 1;
}

void TSetupDialog::RadioButton5FastClick(TObject*) {
  if (RadioButton5Fast->GetChecked()) FSettings.SetSpeed = 2;
}

void TSetupDialog::TrackBar1Change(TObject*) { FSettings.Gamma = TrackBar1->GetPosition(); }

void TSetupDialog::SetClockEdits() {
  Edit1X->SetText(IntToStr(FSettings.clockX));
  EditY->SetText(IntToStr(FSettings.clockY));
  Edit3R->SetText(IntToStr(FSettings.clockRad));
}

void TSetupDialog::ResetClock(TObject* Sender, int X, int Y) {
  const auto* radio = static_cast<TRadioButton*>(Sender);
  if (!radio->GetEnabled() || X < 0 || Y < 0 || X >= radio->GetWidth() || Y >= radio->GetHeight()) return;
  FSettings.clockRad = DefaultClockRadius;
  FSettings.clockX = FSettings.ResHor - DefaultClockRadius - ClockMargin;  // a mode's width, or the desktop's
  FSettings.clockY = DefaultClockRadius + ClockMargin;
  SetClockEdits();
}

void TSetupDialog::RadioButton6800x600MouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
  ResetClock(Sender, X, Y);
}

void TSetupDialog::RadioButton71024x768MouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
  ResetClock(Sender, X, Y);
}

void TSetupDialog::RadioButton81152x864MouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
  ResetClock(Sender, X, Y);
}

void TSetupDialog::RadioButton91280x1024MouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
  ResetClock(Sender, X, Y);
}

void TSetupDialog::RadioButton13desktopMouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y) {
  ResetClock(Sender, X, Y);
}

void TSetupDialog::EnableClockControls() {
  const bool on = CheckBox3Showclock->GetChecked();
  for (TControl* control : std::initializer_list<TControl*>{Label10, Edit1X, Label11, EditY, PanelColor, Button1,
                                                              Label13, Edit3R})
    control->SetEnabled(on);
  PanelColor->SetColor(on ? static_cast<TColor>(FSettings.ColorClock) : clMenu);
}

void TSetupDialog::CheckBox3ShowclockClick(TObject*) {
  FSettings.flag_clock = CheckBox3Showclock->GetChecked();
  EnableClockControls();
}

void TSetupDialog::Button1Click(TObject*) {
  if (!ColorDialog1->Execute()) return;
  FSettings.ColorClock = static_cast<int>(ColorDialog1->GetColor());
  PanelColor->SetColor(ColorDialog1->GetColor());
}

void TSetupDialog::Edit1XKeyPress(TObject*, char& Key) {
  if (Key < '0' || Key > '9') Key = '\0';
}

void TSetupDialog::Edit1XExit(TObject*) {
  FSettings.clockX = KeepInside(ReadInteger(Edit1X->GetText()), Margin(FSettings.clockRad), FSettings.ResHor);
  Edit1X->SetText(IntToStr(FSettings.clockX));
}

void TSetupDialog::EditYExit(TObject*) {
  FSettings.clockY = KeepInside(ReadInteger(EditY->GetText()), Margin(FSettings.clockRad), FSettings.ResVert);
  EditY->SetText(IntToStr(FSettings.clockY));
}

void TSetupDialog::Edit3RExit(TObject*) {
  const long long radius = ReadInteger(Edit3R->GetText());
  const long long largest = FSettings.ResVert / 2 - 40LL;
  FSettings.clockRad = ToInt(radius < DefaultClockRadius ? DefaultClockRadius : std::min(radius, largest));
  Edit3R->SetText(IntToStr(FSettings.clockRad));
  const long long margin = Margin(FSettings.clockRad);
  FSettings.clockX = KeepInside(FSettings.clockX, margin, FSettings.ResHor);
  FSettings.clockY = KeepInside(FSettings.clockY, margin, FSettings.ResVert);
  Edit1X->SetText(IntToStr(FSettings.clockX));
  EditY->SetText(IntToStr(FSettings.clockY));
}

void TSetupDialog::Label3Click(TObject*) {
  const AnsiString page = AnsiString("http://") + MakerWebPage;
  ShellExecuteA(GetHandle(), "open", page.c_str(), "", "", SW_SHOW);
}

void TSetupDialog::Label5Click(TObject*) {
  const AnsiString mail = AnsiString("mailto:") + MakerMail;
  ShellExecuteA(GetHandle(), "open", mail.c_str(), "", "", SW_SHOW);
}

void TSetupDialog::Button1CancelClick(TObject*) { Close(); }

void TSetupDialog::ShowGeneralSettings() {
  CheckBox1PlaySound->SetChecked(FSettings.flag_PlaySound);
  CheckBox2ShowFPS->SetChecked(FSettings.flag_fps);
  (FSettings.TermMouse ? RadioButton3KeyMouse : RadioButton4Key)->SetChecked(true);
  // Any other stored speed shows as Normal, whose handler makes it 1.
  (FSettings.SetSpeed == 0 ? RadioButton1Slow : FSettings.SetSpeed == 2 ? RadioButton5Fast : RadioButton2Normal)
      ->SetChecked(true);
}

void TSetupDialog::ShowClockSettings() {
  CheckBox3Showclock->SetChecked(FSettings.flag_clock);
  SetClockEdits();
  PanelColor->SetColor(static_cast<TColor>(FSettings.ColorClock));
  // Also when the box kept its state and so ran no handler: the controls follow it from the start.
  EnableClockControls();
}
