// The waterfall program's 26 settings: their fields, the value table in storage order, the
// first-run defaults, and the load and write that the scene and the setup dialog share.
#pragma once

#include <array>
#include <functional>

#include "components/SetReg.h"
#include "savers/common/SettingValues.h"

// The waterfall's own values follow the 14 that both programs keep; each field is named after
// its registry value.
struct TWaterfallSettings : TSaverSettings {
  int NumEagles = 2;
  bool FlagShowEagles = true;
  bool FlagShowButterfly = true;
  bool FlagDaytime = false;
  bool FlagDemoDaytime = true;
  bool FlagShowSimulateTime = true;
  bool FlagDaylightSavingTime = false;
  float RegLat = 0.0f;
  float RegLng = 0.0f;
  int RegOfUTC = 0;
  bool ShowRisSet = true;
  int IndexCity = 0;  // the setup dialog's only; the scene never reads it
};

// Storage order: the order of every read and every write.
extern const std::array<TSettingValue<TWaterfallSettings>, 26> WaterfallSettingValues;

// Every first-run value; the display mode is the desktop's, the clock sits in its top right
// corner and the city is the city table's first.
TWaterfallSettings FirstRunSettings(const TDesktopMode& Desktop);

// Writes all 26 values in storage order, in one replace of the settings file; raises the
// store's "Failed to set data" when the file cannot take them.
void WriteWaterfallSettings(TSetReg& Store, const TWaterfallSettings& Settings,
                            registry::Damaged WhenDamaged = registry::Damaged::Refuse);

struct TLoadOptions {
  bool WithIndexCity = false;  // the dialog reads all 26 values, the scene the first 25
  // Runs after the desktop's mode replaced the stored one (the scene's 32-bit probe).
  std::function<void(TWaterfallSettings&)> AfterDesktopMode;
  // The dialog's: values that cannot be read take their first-run values (LoadSettingValues).
  bool FirstRunForUnreadable = false;
};
// Reads the values in storage order; without the key it writes the first-run values instead
// and returns false. A value missing from the key raises the store's exception.
bool LoadWaterfallSettings(TSetReg& Store, TWaterfallSettings& Settings, const TDesktopMode& Desktop,
                           const TLoadOptions& Options);
