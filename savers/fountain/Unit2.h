// The fountain's setup dialog: the shared dialog with its own Settings tab and no time of day;
// "OK" writes the 14 values together.
#pragma once

#include "savers/common/SetupDialog.h"

// The settings come first, so the shared dialog is made on fields that already exist.
class TForm2 : public TSaverSettings, public TSetupDialog {
 public:
  explicit TForm2(TComponent* AOwner);

  // The mode table, the gamma probe, the settings, then the controls showing them.
  void FormCreate(TObject* Sender);
  // All 14 values, or the first-run values written at once; values that cannot be read take
  // their first-run values.
  void LoadSettings() override;
  void WriteSettings(registry::Damaged WhenDamaged) override;
  void ShowSettings() override;
  void Button1OKClick(TObject* Sender);
  void Button1DefaultClick(TObject* Sender);

  TLabel* Label6 = nullptr;
  TTabSheet* TabSheet3 = nullptr;

 private:
  void BuildSettingsSheet();
};

extern TForm2* Form2;
