// The dialog's city list and the sunrise and sunset of the chosen city today, with the
// messages for a day without either.
#include "platform/vcl/Dialogs.h"
#include "platform/win32/Kernel32.h"
#include "savers/waterfall/SunTime.h"
#include "savers/waterfall/Unit2.h"

const std::array<const char*, 5> CityNote = {
    "Note: when you select a location from the ", "City pulldown menu Tevarro Screensaver ",
    "will show the real time of day for your ", "location (for current day).", "",
};

namespace {

// Today's sunrise or sunset there; a day without one says so in a message of its own.
float DialogSunTime(bool Rising, float Latitude, float Longitude, int OfUTC) {
  SYSTEMTIME today;
  GetLocalTime(&today);
  const TSunTime time = CalcSunTime(Rising, Latitude, Longitude, OfUTC, today.wYear, today.wMonth, today.wDay);
  if (time.Event != TSunEvent::Occurs) ShowMessage(SunEventMessage(time.Event));
  return time.Hour;
}

}  // namespace

void TForm2::FillCityList() {
  TStringList* items = ComboBox1->GetItems();
  items->BeginUpdate();
  items->Clear();
  for (const TCity& city : CityTable) items->Add(city.Name);
  items->EndUpdate();
  ComboBox1->SetItemIndex(0);
}

const TCity* TForm2::SelectedCity() const {
  const int index = ComboBox1->GetItemIndex();
  return index >= 0 && static_cast<std::size_t>(index) < CityTable.size() ? &CityTable[static_cast<std::size_t>(index)]
                                                                          : nullptr;
}

void TForm2::TakeSelectedCity() {
  const TCity* city = SelectedCity();
  if (!city) return;
  RegLat = city->Lat;
  RegLng = city->Lng;
  RegOfUTC = city->OfUTC;
}

void TForm2::ShowSunTimes() {
  Sunrise = DialogSunTime(true, RegLat, RegLng, RegOfUTC);
  Sunset = DialogSunTime(false, RegLat, RegLng, RegOfUTC);
  if (FlagDaylightSavingTime) {
    Sunrise += 1.0f;
    Sunset += 1.0f;
  }
  LabelSunrise->SetCaption(FormatHour(Sunrise));
  LabelSunset->SetCaption(FormatHour(Sunset));
}

// Text typed that names no city changes nothing.
void TForm2::ComboBox1Change(TObject*) {
  if (!SelectedCity()) return;
  TakeSelectedCity();
  ShowSunTimes();
  IndexCity = ComboBox1->GetItemIndex();
}

void TForm2::CheckBox4Click(TObject*) {
  FlagDaylightSavingTime = CheckBox4->GetChecked();
  TakeSelectedCity();
  ShowSunTimes();
}

// The city settings follow the city shown, also after "Default Setting" selected the first:
// the scene then runs on the city the dialog showed. A stored index that names no city keeps
// the stored place, whose sun times are shown. Each sun time is computed once, so a day
// without sunrise or sunset gives one message each.
void TForm2::ShowCity() {
  ComboBox1->SetItemIndex(IndexCity);  // runs no handler
  if (CheckBox4->GetChecked() != FlagDaylightSavingTime) {
    CheckBox4->SetChecked(FlagDaylightSavingTime);  // its handler takes the city and shows its times
    return;
  }
  TakeSelectedCity();
  ShowSunTimes();
}
