// The settings as a table of named values in storage order, and the load and write both
// programs run over their own table: the 14 values both keep come first in each.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <variant>

#include "components/SetReg.h"
#include "platform/registry/Registry.h"
#include "savers/common/SaverSettings.h"

template <class TSettings>
struct TSettingValue {
  const char* Name;
  std::variant<bool TSettings::*, int TSettings::*, float TSettings::*> Field;
};

// Storage order: the order of every read and every write.
inline constexpr std::array<TSettingValue<TSaverSettings>, 14> SaverSettingValues = {{
    {"flag_clock", &TSaverSettings::flag_clock},
    {"flag_PlaySound", &TSaverSettings::flag_PlaySound},
    {"flag_fps", &TSaverSettings::flag_fps},
    {"TermMouse", &TSaverSettings::TermMouse},
    {"Gamma", &TSaverSettings::Gamma},
    {"flag_defres", &TSaverSettings::flag_defres},
    {"ResHor", &TSaverSettings::ResHor},
    {"ResVert", &TSaverSettings::ResVert},
    {"ColorDepth", &TSaverSettings::ColorDepth},
    {"clockX", &TSaverSettings::clockX},
    {"clockY", &TSaverSettings::clockY},
    {"clockRad", &TSaverSettings::clockRad},
    {"ColorClock", &TSaverSettings::ColorClock},
    {"SetSpeed", &TSaverSettings::SetSpeed},
}};

// The shared values, then a program's own, as one table over the program's settings.
template <class TSettings, std::size_t N>
constexpr std::array<TSettingValue<TSettings>, SaverSettingValues.size() + N> WithSaverSettingValues(
    const std::array<TSettingValue<TSettings>, N>& Own) {
  std::array<TSettingValue<TSettings>, SaverSettingValues.size() + N> table{};
  std::size_t i = 0;
  for (const auto& value : SaverSettingValues)
    table[i++] = {value.Name, std::visit([](auto Field) -> decltype(TSettingValue<TSettings>::Field) { return Field; },
                                         value.Field)};
  for (const auto& value : Own) table[i++] = value;
  return table;
}

// Writes every value of the table, in its order, in one replace of the settings file: a run
// killed meanwhile leaves all of them or none. Raises the store's "Failed to set data" when the
// file cannot take them; then nothing is stored.
template <class TSettings>
void WriteSettingValues(TSetReg& Store, const TSettings& Settings, std::span<const TSettingValue<TSettings>> Values,
                        registry::Damaged WhenDamaged = registry::Damaged::Refuse) {
  TSetReg::TValues values;
  for (const auto& value : Values) std::visit([&](auto Field) { values.Add(value.Name, Settings.*Field); }, value.Field);
  Store.Write(values, WhenDamaged);
}

template <class TSettings>
struct TSettingsLoad {
  std::span<const TSettingValue<TSettings>> Values;  // the whole table, written on a first run
  std::size_t ReadCount;                              // how many of them a load reads
  TSettings FirstRun;
  TDesktopMode Desktop;
  // Runs after the desktop's mode replaced the stored one.
  std::function<void(TSettings&)> AfterDesktopMode;
  // The dialog's load: a value that cannot be read takes its first-run value and the load goes
  // on, so the dialog can still open and store a complete set; the first such value's error is
  // raised once all are read. Without it the load stops at that value.
  bool FirstRunForUnreadable = false;
};

// Reads the values in storage order, the desktop's mode in place of the stored one when the
// settings ask for it. Without the key (the first value not found) it stores the first-run
// values instead and returns false; a first run that cannot store them says so on standard
// error and goes on with them. A value that cannot be read (missing, or of another type) raises
// the store's exception, which is also said on standard error with the settings file.
template <class TSettings>
bool LoadSettingValues(TSetReg& Store, TSettings& Settings, const TSettingsLoad<TSettings>& Load) {
  // ResHor, ResVert and ColorDepth are the 7th to 9th values: the desktop's mode comes after them.
  constexpr std::size_t AfterModeValues = 9;
  std::optional<ERegistryException> unreadable;
  const auto read = [&](std::size_t From, std::size_t To) {
    bool found = true;
    for (std::size_t i = From; i < To; ++i)
      std::visit(
          [&](auto Field) {
            try {
              found = Store.Read(Load.Values[i].Name, &(Settings.*Field));
            } catch (ERegistryException& E) {
              if (!Load.FirstRunForUnreadable) {
                SaySettingsTrouble(E.Message);
                throw;
              }
              Settings.*Field = Load.FirstRun.*Field;
              if (!unreadable) unreadable = E;
            }
          },
          Load.Values[i].Field);
    return found;
  };
  if (!read(0, 1)) {
    Settings = Load.FirstRun;
    try {
      WriteSettingValues(Store, Settings, Load.Values);
    } catch (ERegistryException&) {
      SaySettingsTrouble("cannot store the first run's settings");
    }
    return false;
  }
  read(1, AfterModeValues);
  if (Settings.flag_defres) {
    Settings.ResHor = Load.Desktop.Width;
    Settings.ResVert = Load.Desktop.Height;
    Settings.ColorDepth = Load.Desktop.Depth;
    if (Load.AfterDesktopMode) Load.AfterDesktopMode(Settings);
  }
  read(AfterModeValues, Load.ReadCount);
  if (unreadable) {
    SaySettingsTrouble(unreadable->Message);
    throw *unreadable;
  }
  return true;
}
