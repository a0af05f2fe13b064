// The waterfall settings' value table, first-run defaults, and the load and write in storage
// order through the settings store.
#include "savers/waterfall/WaterfallSettings.h"

#include "savers/waterfall/CityTable.h"

using S = TWaterfallSettings;

const std::array<TSettingValue, 26> WaterfallSettingValues = {{
    {"flag_clock", &S::flag_clock},
    {"flag_PlaySound", &S::flag_PlaySound},
    {"flag_fps", &S::flag_fps},
    {"TermMouse", &S::TermMouse},
    {"Gamma", &S::Gamma},
    {"flag_defres", &S::flag_defres},
    {"ResHor", &S::ResHor},
    {"ResVert", &S::ResVert},
    {"ColorDepth", &S::ColorDepth},
    {"clockX", &S::clockX},
    {"clockY", &S::clockY},
    {"clockRad", &S::clockRad},
    {"ColorClock", &S::ColorClock},
    {"SetSpeed", &S::SetSpeed},
    {"NumEagles", &S::NumEagles},
    {"FlagShowEagles", &S::FlagShowEagles},
    {"FlagShowButterfly", &S::FlagShowButterfly},
    {"FlagDaytime", &S::FlagDaytime},
    {"FlagDemoDaytime", &S::FlagDemoDaytime},
    {"FlagShowSimulateTime", &S::FlagShowSimulateTime},
    {"FlagDaylightSavingTime", &S::FlagDaylightSavingTime},
    {"RegLat", &S::RegLat},
    {"RegLng", &S::RegLng},
    {"RegOfUTC", &S::RegOfUTC},
    {"ShowRisSet", &S::ShowRisSet},
    {"IndexCity", &S::IndexCity},
}};

namespace {

// Positions in the value table where the load takes its turns.
constexpr std::size_t FirstValue = 0;        // flag_clock: its absence means a first run
constexpr std::size_t AfterModeValues = 9;   // ResHor, ResVert, ColorDepth are 6 to 8
constexpr std::size_t SceneValues = 25;      // all but IndexCity

bool ReadValue(TSetReg& Store, TWaterfallSettings& Settings, std::size_t Index) {
  const TSettingValue& value = WaterfallSettingValues[Index];
  return std::visit([&](auto Field) { return Store.Read(value.Name, &(Settings.*Field)); }, value.Field);
}

void ReadValues(TSetReg& Store, TWaterfallSettings& Settings, std::size_t From, std::size_t To) {
  for (std::size_t i = From; i < To; ++i) ReadValue(Store, Settings, i);
}

}  // namespace

TWaterfallSettings FirstRunSettings(const TDesktopMode& Desktop) {
  TWaterfallSettings s;
  s.ResHor = Desktop.Width;
  s.ResVert = Desktop.Height;
  s.ColorDepth = Desktop.Depth;
  s.clockX = s.ResHor - s.clockRad - 20;
  s.clockY = s.clockRad + 20;
  constexpr int FirstRunIndexCity = 0;
  const TCity& city = CityTable[FirstRunIndexCity];
  s.RegLat = city.Lat;
  s.RegLng = city.Lng;
  s.RegOfUTC = city.OfUTC;
  s.IndexCity = FirstRunIndexCity;
  return s;
}

void WriteWaterfallSettings(TSetReg& Store, const TWaterfallSettings& Settings) {
  for (const TSettingValue& value : WaterfallSettingValues)
    std::visit([&](auto Field) { Store.Write(value.Name, Settings.*Field); }, value.Field);
}

bool LoadWaterfallSettings(TSetReg& Store, TWaterfallSettings& Settings, const TDesktopMode& Desktop,
                           const TLoadOptions& Options) {
  if (!ReadValue(Store, Settings, FirstValue)) {
    Settings = FirstRunSettings(Desktop);
    WriteWaterfallSettings(Store, Settings);
    return false;
  }
  ReadValues(Store, Settings, FirstValue + 1, AfterModeValues);
  if (Settings.flag_defres) {
    Settings.ResHor = Desktop.Width;
    Settings.ResVert = Desktop.Height;
    Settings.ColorDepth = Desktop.Depth;
    if (Options.AfterDesktopMode) Options.AfterDesktopMode(Settings);
  }
  ReadValues(Store, Settings, AfterModeValues, Options.WithIndexCity ? WaterfallSettingValues.size() : SceneValues);
  return true;
}
