// The waterfall settings' value table, first-run defaults, and the load and write in storage
// order through the settings store.
#include "savers/waterfall/WaterfallSettings.h"

#include "savers/waterfall/CityTable.h"

using S = TWaterfallSettings;

const std::array<TSettingValue<S>, 26> WaterfallSettingValues = WithSaverSettingValues<S, 12>({{
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
}});

TWaterfallSettings FirstRunSettings(const TDesktopMode& Desktop) {
  TWaterfallSettings s;
  static_cast<TSaverSettings&>(s) = FirstRunSaverSettings(Desktop, 0xFFFFFF);
  constexpr int FirstRunIndexCity = 0;
  const TCity& city = CityTable[FirstRunIndexCity];
  s.RegLat = city.Lat;
  s.RegLng = city.Lng;
  s.RegOfUTC = city.OfUTC;
  s.IndexCity = FirstRunIndexCity;
  return s;
}

void WriteWaterfallSettings(TSetReg& Store, const TWaterfallSettings& Settings, registry::Damaged WhenDamaged) {
  WriteSettingValues<S>(Store, Settings, WaterfallSettingValues, WhenDamaged);
}

bool LoadWaterfallSettings(TSetReg& Store, TWaterfallSettings& Settings, const TDesktopMode& Desktop,
                           const TLoadOptions& Options) {
  // The scene reads all but IndexCity.
  const std::size_t count = WaterfallSettingValues.size() - (Options.WithIndexCity ? 0 : 1);
  return LoadSettingValues<S>(Store, Settings,
                              {WaterfallSettingValues, count, FirstRunSettings(Desktop), Desktop, Options.AfterDesktopMode,
                               Options.FirstRunForUnreadable});
}
