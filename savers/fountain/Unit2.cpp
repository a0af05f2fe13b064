// The fountain setup dialog's form (its tabs, controls and events) and its own steps: the create
// handler, the settings load and show, "OK" and "Default Setting".
#include "savers/fountain/Unit2.h"

#include "savers/fountain/FountainSettings.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner) : TSetupDialog(AOwner, *this, "SorrelinSetup", "Sorrelin") {
  BuildAboutArea("2.0");
  Label1 = Add<TLabel>(this, "Label1", {176, 16, 202, 20}, "Sorrelin Screensaver");
  Label1->GetFont()->SetHeight(-16);
  Label1->GetFont()->SetStyle({fsBold});
  Label6 = Add<TLabel>(this, "Label6", {176, 80, 262, 13}, "Freeware: copy it and give it away as you like.");
  BuildButtons();
  TabSheet1 = AddSheet("TabSheet1", "Settings");
  TabSheet2 = AddSheet("TabSheet2", "Display");
  TabSheet3 = AddSheet("TabSheet3", "Clock");
  PageControl1->SetActivePageIndex(0);
  BuildSettingsSheet();
  BuildDisplaySheet(TabSheet2);
  BuildClockSheet(TabSheet3);
  GroupBox6->SetTabOrder(1);  // the screen position before the colour
  BindSharedEvents();
  OnCreate = Handler(this, &TForm2::FormCreate);
  Button1OK->OnClick = Handler(this, &TForm2::Button1OKClick);
  Button1Default->OnClick = Handler(this, &TForm2::Button1DefaultClick);
}

void TForm2::BuildSettingsSheet() {
  GroupBox1 = Add<TGroupBox>(TabSheet1, "GroupBox1", {8, 8, 225, 73, 0}, "Sound");
  CheckBox1PlaySound = Add<TCheckBox>(GroupBox1, "CheckBox1PlaySound", {8, 16, 97, 17, 0}, "Play Sound");
  Memo1 = AddNote(GroupBox1, "Memo1", {8, 32, 209, 33, 1}, clMenu, SoundNote);
  GroupBox2 = Add<TGroupBox>(TabSheet1, "GroupBox2", {8, 80, 225, 41, 1}, "Frame rate");
  CheckBox2ShowFPS = Add<TCheckBox>(GroupBox2, "CheckBox2ShowFPS", {8, 16, 97, 17, 0}, "Show FPS");
  RadioGroup1 = Add<TRadioGroup>(TabSheet1, "RadioGroup1", {240, 8, 185, 73, 2}, "Terminate");
  RadioButton3KeyMouse = Add<TRadioButton>(TabSheet1, "RadioButton3KeyMouse", {256, 32, 113, 17, 3}, "Keybord and Mouse");
  RadioButton4Key = Add<TRadioButton>(TabSheet1, "RadioButton4Key", {256, 48, 145, 17, 4}, "Keybord only (ESC key)");
  GroupBox9 = Add<TGroupBox>(TabSheet1, "GroupBox9", {240, 80, 185, 97, 5}, "Speed setting");
  RadioButton1Slow = Add<TRadioButton>(GroupBox9, "RadioButton1Slow", {16, 24, 113, 17, 0}, "Slow");
  RadioButton2Normal = Add<TRadioButton>(GroupBox9, "RadioButton2Normal", {16, 40, 113, 17, 1}, "Normal");
  RadioButton5Fast = Add<TRadioButton>(GroupBox9, "RadioButton5Fast", {16, 56, 113, 17, 2}, "Fast");
}

void TForm2::FormCreate(TObject*) {
  ProbeDisplay();
  LoadAndShowSettings();
}

void TForm2::LoadSettings() { LoadFountainSettings(*SetReg1, *this, true); }

void TForm2::WriteSettings(registry::Damaged WhenDamaged) { WriteFountainSettings(*SetReg1, *this, WhenDamaged); }

void TForm2::ShowSettings() {
  ShowGeneralSettings();
  ShowDisplaySettings();
  ShowClockSettings();
}

void TForm2::Button1OKClick(TObject*) {
  if (StoreSettings()) Close();
}

void TForm2::Button1DefaultClick(TObject*) {
  static_cast<TSaverSettings&>(*this) = FountainFirstRunSettings(DesktopMode());
  ShowSettings();
}
