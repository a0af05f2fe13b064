// The waterfall setup dialog's form (its tabs, controls and events) and its own steps: the
// create handler, the settings load and show, "OK", "Default Setting" and the handlers of the
// eagles, butterflies and time of day.
#include "savers/waterfall/Unit2.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(TComponent* AOwner)
    : TSetupDialog(AOwner, *this, "Lumivelle Waterfall  Setup", "Rillmoor") {
  BuildAboutArea("1.0");
  Label1 = Add<TLabel>(this, "Label1", {176, 8, 222, 16}, "Lumivelle Waterfall Screensaver");
  Label1->GetFont()->SetHeight(-13);
  Label1->GetFont()->SetStyle({fsBold});
  BuildButtons();
  TabSheet1 = AddSheet("TabSheet1", "Settings");
  TabSheet2 = AddSheet("TabSheet2", "Display");
  TabSheet3 = AddSheet("TabSheet3", "Time of Day");
  TabSheet4 = AddSheet("TabSheet4", "Clock");
  PageControl1->SetActivePageIndex(0);
  BuildSettingsSheet();
  BuildDisplaySheet(TabSheet2);
  BuildTimeOfDaySheet();
  BuildClockSheet(TabSheet4);
  BindSharedEvents();
  BindEvents();
}

void TForm2::BuildSettingsSheet() {
  GroupBox1 = Add<TGroupBox>(TabSheet1, "GroupBox1", {8, 8, 225, 65, 0}, "Sound");
  CheckBox1PlaySound = Add<TCheckBox>(GroupBox1, "CheckBox1PlaySound", {16, 16, 97, 17, 0}, "Play Sound");
  Memo1 = AddNote(GroupBox1, "Memo1", {8, 32, 209, 29, 1}, clMenu, SoundNote);
  GroupBox2 = Add<TGroupBox>(TabSheet1, "GroupBox2", {8, 72, 225, 41, 1}, "Frame rate");
  CheckBox2ShowFPS = Add<TCheckBox>(GroupBox2, "CheckBox2ShowFPS", {16, 16, 97, 17, 0}, "Show FPS");
  RadioGroup1 = Add<TRadioGroup>(TabSheet1, "RadioGroup1", {240, 8, 185, 65, 2}, "Terminate");
  RadioButton3KeyMouse = Add<TRadioButton>(TabSheet1, "RadioButton3KeyMouse", {256, 24, 113, 17, 3}, "Keybord and Mouse");
  RadioButton4Key = Add<TRadioButton>(TabSheet1, "RadioButton4Key", {256, 44, 145, 17, 4}, "Keybord only (ESC key)");
  GroupBox9 = Add<TGroupBox>(TabSheet1, "GroupBox9", {8, 112, 225, 73, 5}, "Speed setting");
  RadioButton1Slow = Add<TRadioButton>(GroupBox9, "RadioButton1Slow", {16, 16, 113, 17, 0}, "Slow");
  RadioButton2Normal = Add<TRadioButton>(GroupBox9, "RadioButton2Normal", {16, 32, 113, 17, 1}, "Normal");
  RadioButton5Fast = Add<TRadioButton>(GroupBox9, "RadioButton5Fast", {16, 48, 113, 17, 2}, "Fast");
  GroupBox5 = Add<TGroupBox>(TabSheet1, "GroupBox5", {240, 72, 185, 113, 6}, "Objects");
  Label12 = Add<TLabel>(GroupBox5, "Label12", {12, 20, 87, 13}, "Number of Eagles:");
  QmSpinEdit1 = Add<TQmSpinEdit>(GroupBox5, "QmSpinEdit1", {112, 16, 61, 21, 0});
  QmSpinEdit1->SetMaxValue(5);
  QmSpinEdit1->SetValue(2);
  CheckBox1 = Add<TCheckBox>(GroupBox5, "CheckBox1", {12, 52, 97, 17, 1}, "Show Eagles");
  CheckBox1->SetChecked(true);
  CheckBox2 = Add<TCheckBox>(GroupBox5, "CheckBox2", {12, 80, 97, 17, 2}, "Show Butterfly");
  CheckBox2->SetChecked(true);
}

void TForm2::BuildTimeOfDaySheet() {
  GroupBox11 = Add<TGroupBox>(TabSheet3, "GroupBox11", {8, 8, 185, 85, 0}, "Setting");
  RadioButton1 = Add<TRadioButton>(GroupBox11, "RadioButton1", {12, 20, 113, 17, 1}, "Off");
  RadioButton2 = Add<TRadioButton>(GroupBox11, "RadioButton2", {12, 40, 153, 17, 2}, "Demo mode (fast cycle)");
  RadioButton2->SetChecked(true);
  RadioButton3 = Add<TRadioButton>(GroupBox11, "RadioButton3", {12, 60, 113, 17, 3}, "Real time of day");
  GroupBox12 = Add<TGroupBox>(TabSheet3, "GroupBox12", {200, 8, 229, 177, 1}, "Surise/Sunset");
  Label18 = Add<TLabel>(GroupBox12, "Label18", {8, 16, 82, 13}, "Choose your City:");
  Label19 = Add<TLabel>(GroupBox12, "Label19", {8, 80, 102, 13}, "Apparent Sunrise:");
  Label20 = Add<TLabel>(GroupBox12, "Label20", {8, 96, 99, 13}, "Apparent Sunset:");
  for (TLabel* label : {Label19, Label20}) {
    label->GetFont()->SetColor(clNavy);
    label->GetFont()->SetStyle({fsBold});
  }
  LabelSunrise = Add<TLabel>(GroupBox12, "LabelSunrise", {116, 80, 61, 13});
  LabelSunset = Add<TLabel>(GroupBox12, "LabelSunset", {116, 96, 59, 13});
  ComboBox1 = Add<TComboBox>(GroupBox12, "ComboBox1", {8, 32, 209, 21, 0});
  Memo4 = AddNote(GroupBox12, "Memo4", {8, 116, 213, 57, 1}, clSilver, CityNote);
  CheckBox4 = Add<TCheckBox>(GroupBox12, "CheckBox4", {8, 60, 153, 17, 2}, "Daylight Saving Time");
  GroupBox13 = Add<TGroupBox>(TabSheet3, "GroupBox13", {8, 96, 185, 89, 2});
  Label21 = Add<TLabel>(GroupBox13, "Label21", {32, 28, 109, 13}, "running in Demo mode.");
  CheckBox3 = Add<TCheckBox>(GroupBox13, "CheckBox3", {12, 12, 165, 17, 0}, "Show simulate time, when");
  CheckBox3->SetChecked(true);
  CheckBox5 = Add<TCheckBox>(GroupBox13, "CheckBox5", {12, 60, 165, 17, 1}, "Show string Surise/Sunset");
  CheckBox5->SetChecked(true);
}

void TForm2::BindEvents() {
  OnCreate = Handler(this, &TForm2::FormCreate);
  Button1OK->OnClick = Handler(this, &TForm2::Button1OKClick);
  Button1Default->OnClick = Handler(this, &TForm2::Button1DefaultClick);
  QmSpinEdit1->OnChange = Handler(this, &TForm2::QmSpinEdit1Change);
  CheckBox1->OnClick = Handler(this, &TForm2::CheckBox1Click);
  CheckBox2->OnClick = Handler(this, &TForm2::CheckBox2Click);
  RadioButton1->OnClick = Handler(this, &TForm2::RadioButton1Click);
  RadioButton2->OnClick = Handler(this, &TForm2::RadioButton2Click);
  RadioButton3->OnClick = Handler(this, &TForm2::RadioButton3Click);
  CheckBox3->OnClick = Handler(this, &TForm2::CheckBox3Click);
  CheckBox5->OnClick = Handler(this, &TForm2::CheckBox5Click);
  ComboBox1->OnChange = Handler(this, &TForm2::ComboBox1Change);
  CheckBox4->OnClick = Handler(this, &TForm2::CheckBox4Click);
}

void TForm2::FormCreate(TObject*) {
  ProbeDisplay();
  FillCityList();
  LoadAndShowSettings();
}

void TForm2::LoadSettings() {
  TLoadOptions options;
  options.WithIndexCity = true;
  options.FirstRunForUnreadable = true;
  LoadWaterfallSettings(*SetReg1, *this, DesktopMode(), options);
}

void TForm2::WriteSettings(registry::Damaged WhenDamaged) { WriteWaterfallSettings(*SetReg1, *this, WhenDamaged); }

void TForm2::ShowSettings() {
  ShowGeneralSettings();
  QmSpinEdit1->SetValue(NumEagles);  // bounded to 0..5; a changed text runs QmSpinEdit1Change
  CheckBox1->SetChecked(FlagShowEagles);
  CheckBox2->SetChecked(FlagShowButterfly);
  ShowDisplaySettings();
  ShowClockSettings();
  (FlagDaytime ? RadioButton3 : FlagDemoDaytime ? RadioButton2 : RadioButton1)->SetChecked(true);
  CheckBox3->SetChecked(FlagShowSimulateTime);
  CheckBox5->SetChecked(ShowRisSet);
  ShowCity();
}

void TForm2::Button1OKClick(TObject*) {
  if (StoreSettings()) Close();
}

// The place of the city and whether its sun lines are shown are not reset.
void TForm2::Button1DefaultClick(TObject*) {
  TWaterfallSettings defaults = FirstRunSettings(DesktopMode());
  defaults.RegLat = RegLat;
  defaults.RegLng = RegLng;
  defaults.RegOfUTC = RegOfUTC;
  defaults.ShowRisSet = ShowRisSet;
  static_cast<TWaterfallSettings&>(*this) = defaults;
  ShowSettings();
}

void TForm2::QmSpinEdit1Change(TObject*) { NumEagles = QmSpinEdit1->GetAsInteger(); }

void TForm2::CheckBox1Click(TObject*) { FlagShowEagles = CheckBox1->GetChecked(); }

void TForm2::CheckBox2Click(TObject*) { FlagShowButterfly = CheckBox2->GetChecked(); }

void TForm2::RadioButton1Click(TObject*) {
  FlagDemoDaytime = RadioButton2->GetChecked();
  FlagDaytime = RadioButton3->GetChecked();
}

void TForm2::RadioButton2Click(TObject* Sender) { RadioButton1Click(Sender); }

void TForm2::RadioButton3Click(TObject* Sender) { RadioButton1Click(Sender); }

void TForm2::CheckBox3Click(TObject*) { FlagShowSimulateTime = CheckBox3->GetChecked(); }

void TForm2::CheckBox5Click(TObject*) { ShowRisSet = CheckBox5->GetChecked(); }
