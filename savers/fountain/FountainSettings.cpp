// The fountain's settings through the settings store, in the shared table's order.
#include "savers/fountain/FountainSettings.h"

TSaverSettings FountainFirstRunSettings(const TDesktopMode& Desktop) {
  return FirstRunSaverSettings(Desktop, FountainClockColor);
}

bool LoadFountainSettings(TSetReg& Store, TSaverSettings& Settings, bool FirstRunForUnreadable) {
  const TDesktopMode desktop = DesktopMode();
  return LoadSettingValues<TSaverSettings>(Store, Settings,
                                           {SaverSettingValues, SaverSettingValues.size(),
                                            FountainFirstRunSettings(desktop), desktop, {}, FirstRunForUnreadable});
}

void WriteFountainSettings(TSetReg& Store, const TSaverSettings& Settings, registry::Damaged WhenDamaged) {
  WriteSettingValues<TSaverSettings>(Store, Settings, SaverSettingValues, WhenDamaged);
}
