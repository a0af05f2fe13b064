// The waterfall's setup dialog: the shared dialog with the eagles and butterflies, the time of
// day and the city list with its sunrise and sunset; "OK" writes the 26 values together.
#pragma once

#include "controls/QMSpin.h"
#include "savers/common/SetupDialog.h"
#include "savers/waterfall/CityTable.h"
#include "savers/waterfall/WaterfallSettings.h"

// The settings come first, so the shared dialog is made on fields that already exist.
class TForm2 : public TWaterfallSettings, public TSetupDialog {
 public:
  explicit TForm2(TComponent* AOwner);

  // The mode table, the gamma probe, the city list, the settings, then the controls showing them.
  void FormCreate(TObject* Sender);
  // All 26 values, or the first-run values written at once; values that cannot be read take
  // their first-run values.
  void LoadSettings() override;
  void WriteSettings(registry::Damaged WhenDamaged) override;
  void ShowSettings() override;
  void Button1OKClick(TObject* Sender);
  void Button1DefaultClick(TObject* Sender);
  void QmSpinEdit1Change(TObject* Sender);
  void CheckBox1Click(TObject* Sender);
  void CheckBox2Click(TObject* Sender);
  // The three time-of-day radios share one body.
  void RadioButton1Click(TObject* Sender);
  void RadioButton2Click(TObject* Sender);
  void RadioButton3Click(TObject* Sender);
  void CheckBox3Click(TObject* Sender);
  void CheckBox5Click(TObject* Sender);
  // The chosen city's place, its sun times today, and its index.
  void ComboBox1Change(TObject* Sender);
  // The sun times an hour later or back, for the city chosen.
  void CheckBox4Click(TObject* Sender);

  // The hours the sunrise and sunset labels show.
  float Sunrise = 0.0f;
  float Sunset = 0.0f;

  TTabSheet* TabSheet3 = nullptr;
  TTabSheet* TabSheet4 = nullptr;
  TGroupBox* GroupBox5 = nullptr;
  TLabel* Label12 = nullptr;
  TQmSpinEdit* QmSpinEdit1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TCheckBox* CheckBox2 = nullptr;
  TGroupBox* GroupBox11 = nullptr;
  TRadioButton* RadioButton1 = nullptr;
  TRadioButton* RadioButton2 = nullptr;
  TRadioButton* RadioButton3 = nullptr;
  TGroupBox* GroupBox12 = nullptr;
  TLabel* Label18 = nullptr;
  TLabel* Label19 = nullptr;
  TLabel* Label20 = nullptr;
  TLabel* LabelSunrise = nullptr;
  TLabel* LabelSunset = nullptr;
  TComboBox* ComboBox1 = nullptr;
  TMemo* Memo4 = nullptr;
  TCheckBox* CheckBox4 = nullptr;
  TGroupBox* GroupBox13 = nullptr;
  TLabel* Label21 = nullptr;
  TCheckBox* CheckBox3 = nullptr;
  TCheckBox* CheckBox5 = nullptr;

 private:
  void BuildSettingsSheet();
  void BuildTimeOfDaySheet();
  void BindEvents();

  void FillCityList();
  // The entry the combo box shows, or null while its text names none.
  const TCity* SelectedCity() const;
  // The city settings become the entry's; without one they stay the previous city's.
  void TakeSelectedCity();
  // The sun times of the city settings today, an hour later with daylight saving.
  void ShowSunTimes();
  // The city step of ShowSettings.
  void ShowCity();
};

extern TForm2* Form2;

// The note beside the city list, line by line.
extern const std::array<const char*, 5> CityNote;
