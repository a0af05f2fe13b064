// The dialog's city list: choosing a city through the list or by typing its name, daylight
// saving, the days without sunrise or sunset, and an index that names no city.
#include "tests/savers/waterfall/DialogFixture.h"

namespace waterfall_test {
namespace {

constexpr const char* NeverSets = "the sun never sets on this location (on the specified date)";
constexpr const char* NeverRises = "the sun never rises on this location (on the specified date)";

// The choice from the open list, as the peer reports it.
void Choose(TForm2* Dialog, int Index) {
  DialogTest::ShowPageOf(Dialog->ComboBox1);
  user::PostInput(Dialog->ComboBox1->GetHandle(), CB_SETCURSEL, static_cast<WPARAM>(Index), 0);
  Application->ProcessMessages();
}

SYSTEMTIME Midwinter() {
  SYSTEMTIME t = Midsummer();
  t.wMonth = 12;
  return t;
}

TEST_F(DialogTest, TheListHoldsEveryCityInTheTablesOrder) {
  TForm2* d = Open();
  TStringList* items = d->ComboBox1->GetItems();
  ASSERT_EQ(items->GetCount(), 3937);
  EXPECT_EQ(items->GetStrings(0), "AACHEN GE");
  EXPECT_EQ(items->GetStrings(346), "BERGEN OP ZOOM NE");
  EXPECT_EQ(items->GetStrings(347), "BERGEN NO");
  EXPECT_EQ(items->GetStrings(3936), "ZWOLLE NE");
  EXPECT_EQ(d->ComboBox1->GetItemIndex(), 0);
  EXPECT_EQ(d->LabelSunrise->GetCaption(), "4:21AM");  // 21 June 2003
  EXPECT_EQ(d->LabelSunset->GetCaption(), "8:52PM");
}

TEST_F(DialogTest, ChoosingACityTakesItsPlaceAndShowsItsSunTimes) {
  TForm2* d = Open();
  Choose(d, 2015);
  EXPECT_EQ(d->ComboBox1->GetText(), "LONDON GB");
  EXPECT_EQ(d->IndexCity, 2015);
  EXPECT_FLOAT_EQ(d->RegLat, 51.533333f);
  EXPECT_EQ(d->RegOfUTC, 0);
  EXPECT_NE(d->LabelSunrise->GetCaption(), "4:21AM");
  Choose(d, 0);
  EXPECT_EQ(d->IndexCity, 0);
  EXPECT_FLOAT_EQ(d->RegLat, 50.783333f);
  EXPECT_FLOAT_EQ(d->RegLng, 6.1f);
  EXPECT_EQ(d->RegOfUTC, 1);
  EXPECT_EQ(d->LabelSunrise->GetCaption(), "4:21AM");
  EXPECT_EQ(d->LabelSunset->GetCaption(), "8:52PM");
  Click(d->Button1OK);
  EXPECT_EQ(StoredSettings().IndexCity, 0);
  EXPECT_FLOAT_EQ(StoredSettings().RegLat, 50.783333f);
}

TEST_F(DialogTest, TypingACitysNameChoosesIt_OtherTextChangesNothing) {
  TForm2* d = Open();
  Type(d->ComboBox1, "BERGEN NO");
  EXPECT_EQ(d->IndexCity, 347);
  EXPECT_FLOAT_EQ(d->RegLat, 60.4f);
  const AnsiString sunrise = d->LabelSunrise->GetCaption();
  const float hour = d->Sunrise;
  Type(d->ComboBox1, "\b");  // "BERGEN N" names no city
  EXPECT_EQ(d->ComboBox1->GetItemIndex(), -1);
  EXPECT_EQ(d->IndexCity, 347);
  EXPECT_FLOAT_EQ(d->RegLat, 60.4f);
  EXPECT_EQ(d->LabelSunrise->GetCaption(), sunrise);
  // Without a city chosen, daylight saving moves the times of the city before.
  Click(d->CheckBox4);
  EXPECT_FLOAT_EQ(d->RegLat, 60.4f);
  EXPECT_FLOAT_EQ(d->Sunrise, hour + 1.0f);
  EXPECT_NE(d->LabelSunrise->GetCaption(), sunrise);
}

TEST_F(DialogTest, DaylightSavingMovesBothTimesAnHourAndKeepsTheIndex) {
  TForm2* d = OpenWith([](TWaterfallSettings& s) {
    s.IndexCity = 3514;
    s.RegLat = 1.0f;  // a place that is not the city's: the box's handler takes the city's
    s.RegLng = 2.0f;
    s.RegOfUTC = 3;
  });
  const float sunrise = d->Sunrise, sunset = d->Sunset;
  Click(d->CheckBox4);
  EXPECT_TRUE(d->FlagDaylightSavingTime);
  EXPECT_FLOAT_EQ(d->Sunrise, sunrise + 1.0f);
  EXPECT_FLOAT_EQ(d->Sunset, sunset + 1.0f);
  EXPECT_EQ(d->LabelSunrise->GetCaption(), FormatHour(sunrise + 1.0f));
  EXPECT_EQ(d->IndexCity, 3514);
  EXPECT_FLOAT_EQ(d->RegLat, CityTable[3514].Lat);
  EXPECT_FLOAT_EQ(d->RegLng, CityTable[3514].Lng);
  EXPECT_EQ(d->RegOfUTC, 9);
}

struct PolarCase {
  const char* Name;
  SYSTEMTIME Day;
  bool DaylightSaving;
  const char* Message;
  const char* Shown;
};

class PolarDays : public DialogTest, public ::testing::WithParamInterface<PolarCase> {};

// One message for the sunrise and one for the sunset, at open and at each choice.
TEST_P(PolarDays, SayOnceForEachTimeComputed) {
  const PolarCase& c = GetParam();
  win32::SetLocalTimeSource(c.Day);
  TForm2* d = OpenWith([&](TWaterfallSettings& s) {
    s.IndexCity = 2359;
    s.FlagDaylightSavingTime = c.DaylightSaving;
  });
  EXPECT_EQ(MessageTexts(), (std::vector<std::string>{c.Message, c.Message}));
  EXPECT_EQ(d->LabelSunrise->GetCaption(), c.Shown);
  EXPECT_EQ(d->LabelSunset->GetCaption(), c.Shown);
  Choose(d, 0);
  Choose(d, 2359);
  EXPECT_EQ(MessageTexts().size(), 4u);
  EXPECT_FLOAT_EQ(d->RegLat, 68.833333f);
}

INSTANTIATE_TEST_SUITE_P(Murmansk, PolarDays,
                         ::testing::Values(PolarCase{"Midsummer", Midsummer(), false, NeverSets, "0:00AM"},
                                           PolarCase{"MidwinterWithDaylightSaving", Midwinter(), true, NeverRises,
                                                     "1:00AM"}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(DialogTest, AStoredIndexThatNamesNoCityKeepsTheStoredPlace) {
  TForm2* d = OpenWith([](TWaterfallSettings& s) {
    s.IndexCity = 5000;
    s.RegLat = CityTable[2015].Lat;
    s.RegLng = CityTable[2015].Lng;
    s.RegOfUTC = CityTable[2015].OfUTC;
    s.FlagDaylightSavingTime = true;
  });
  EXPECT_EQ(d->ComboBox1->GetItemIndex(), -1);
  EXPECT_EQ(d->ComboBox1->GetText(), "");
  EXPECT_FLOAT_EQ(d->RegLat, CityTable[2015].Lat);
  EXPECT_TRUE(MessageTexts().empty());
  const TSunTime london = CalcSunTime(true, CityTable[2015].Lat, CityTable[2015].Lng, 0, 2003, 6, 21);
  EXPECT_EQ(d->LabelSunrise->GetCaption(), FormatHour(london.Hour + 1.0f));
  Click(d->Button1OK);
  EXPECT_EQ(StoredSettings().IndexCity, 5000);
  EXPECT_FLOAT_EQ(StoredSettings().RegLat, CityTable[2015].Lat);
}

}  // namespace
}  // namespace waterfall_test
