// The fountain program's 14 settings: the values both programs keep, in the same order, with an
// orange clock on a first run; the load that the scene and the setup dialog share, and the write.
#pragma once

#include "components/SetReg.h"
#include "savers/common/SettingValues.h"

inline constexpr int FountainClockColor = 33023;  // 0x0080FF, orange

// Every first-run value: the desktop's mode, the clock in its top right corner.
TSaverSettings FountainFirstRunSettings(const TDesktopMode& Desktop);

// Reads the 14 values in storage order, the desktop's mode in place of the stored one when
// "flag_defres" asks for it (no other depth is tried); without the key it writes the first-run
// values instead and returns false. A value missing from the key raises the store's exception;
// with `FirstRunForUnreadable` (the dialog) only after every value is loaded, those that cannot
// be read at their first-run values.
bool LoadFountainSettings(TSetReg& Store, TSaverSettings& Settings, bool FirstRunForUnreadable = false);

// Writes all 14 values in storage order, in one replace of the settings file; raises the
// store's "Failed to set data" when the file cannot take them.
void WriteFountainSettings(TSetReg& Store, const TSaverSettings& Settings,
                           registry::Damaged WhenDamaged = registry::Damaged::Refuse);
