// Checks sun times against an independent solar-position formula, the polar days, the clock
// texts and the day/night blend at its key times.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string_view>

#include "savers/waterfall/CityTable.h"
#include "savers/waterfall/SunTime.h"

namespace {

// Sunrise or sunset from the fractional-year series for declination and equation of time
// (zenith 90.833 degrees), in double precision, iterated on the event's own hour.
double ReferenceSunHour(bool rising, double lat, double lng, int ofUTC, int dayOfYear) {
  const double pi = std::acos(-1.0);
  const double rad = pi / 180.0;
  double hour = rising ? 6.0 : 18.0;
  for (int i = 0; i < 3; ++i) {
    const double g = 2 * pi / 365.0 * (dayOfYear - 1 + (hour - 12) / 24);
    const double eqTime = 229.18 * (0.000075 + 0.001868 * std::cos(g) - 0.032077 * std::sin(g) -
                                    0.014615 * std::cos(2 * g) - 0.040849 * std::sin(2 * g));
    const double decl = 0.006918 - 0.399912 * std::cos(g) + 0.070257 * std::sin(g) -
                        0.006758 * std::cos(2 * g) + 0.000907 * std::sin(2 * g) -
                        0.002697 * std::cos(3 * g) + 0.00148 * std::sin(3 * g);
    const double ha = std::acos(std::cos(90.833 * rad) / (std::cos(lat * rad) * std::cos(decl)) -
                                std::tan(lat * rad) * std::tan(decl)) /
                      rad;
    hour = (720 - 4 * (lng + (rising ? ha : -ha)) - eqTime) / 60;
  }
  return hour + ofUTC;
}

struct SunCase {
  bool Rising;
  int Month, Day, DayOfYear;
  float Hour;  // as the almanac method gives it
  const char* Text;
};

class Aachen : public testing::TestWithParam<SunCase> {};

// The almanac method agrees with the series to within two minutes at mid latitudes.
TEST_P(Aachen, SunTimesOfTheSolsticesIn2003) {
  const SunCase c = GetParam();
  const TSunTime sun = CalcSunTime(c.Rising, 50.783333f, 6.1f, 1, 2003, c.Month, c.Day);
  EXPECT_EQ(sun.Event, TSunEvent::Occurs);
  EXPECT_NEAR(sun.Hour, c.Hour, 5e-4);
  EXPECT_NEAR(sun.Hour, ReferenceSunHour(c.Rising, 50.783333, 6.1, 1, c.DayOfYear), 2.0 / 60);
  EXPECT_EQ(FormatHour(sun.Hour), c.Text);
}

INSTANTIATE_TEST_SUITE_P(Solstices, Aachen,
                         testing::Values(SunCase{true, 6, 21, 172, 4.3665f, "4:21AM"},
                                         SunCase{false, 6, 21, 172, 20.8759f, "8:52PM"},
                                         SunCase{true, 12, 21, 355, 8.5849f, "8:35AM"},
                                         SunCase{false, 12, 21, 355, 16.5341f, "4:32PM"}));

// Nearer the poles the almanac method's error grows to about two minutes.
TEST(CalcSunTime, MatchesTheSeriesThroughTheYearAtTokyoAndPuntaArenas) {
  const int monthStart[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  for (int month = 1; month <= 12; ++month) {
    const int dayOfYear = monthStart[month - 1] + 15;
    for (bool rising : {true, false}) {
      EXPECT_NEAR(CalcSunTime(rising, 35.666667f, 139.75f, 9, 2003, month, 15).Hour,
                  ReferenceSunHour(rising, 35.666667, 139.75, 9, dayOfYear), 2.0 / 60)
          << month;
      EXPECT_NEAR(CalcSunTime(rising, -52.85f, -69.2f, -4, 2003, month, 15).Hour,
                  ReferenceSunHour(rising, -52.85, -69.2, -4, dayOfYear), 3.0 / 60)
          << month;
    }
  }
}

TEST(CalcSunTime, PolarDaysHaveNoEventAndHourZero) {
  struct Case {
    float Lat, Lng;
    int OfUTC, Month;
    TSunEvent Event;
  };
  for (const Case c : {Case{78.0f, 15.6f, 1, 6, TSunEvent::NeverSets},
                       Case{78.0f, 15.6f, 1, 12, TSunEvent::NeverRises},
                       Case{68.833333f, 33.166667f, 2, 6, TSunEvent::NeverSets},
                       Case{68.833333f, 33.166667f, 2, 12, TSunEvent::NeverRises},
                       Case{-78.0f, 166.7f, 12, 6, TSunEvent::NeverRises},
                       Case{-78.0f, 166.7f, 12, 12, TSunEvent::NeverSets}}) {
    for (bool rising : {true, false}) {
      const TSunTime sun = CalcSunTime(rising, c.Lat, c.Lng, c.OfUTC, 2003, c.Month, 21);
      EXPECT_EQ(sun.Event, c.Event) << c.Lat << " month " << c.Month;
      EXPECT_EQ(sun.Hour, 0.0f);
    }
  }
}

TEST(CalcSunTime, PlaceOffTheGlobeHasNoSunrise) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    float Lat, Lng;
    int OfUTC;
  };
  for (const Case c :
       {Case{nan, 6.1f, 1}, Case{50.0f, nan, 1}, Case{91.0f, 6.1f, 1}, Case{50.0f, 1e30f, 1},
        Case{50.0f, -181.0f, 1}, Case{50.0f, 6.1f, 1000}, Case{50.0f, 6.1f, -25}}) {
    const TSunTime sun = CalcSunTime(true, c.Lat, c.Lng, c.OfUTC, 2003, 6, 21);
    EXPECT_EQ(sun.Event, TSunEvent::NeverRises) << c.Lat << " " << c.Lng << " " << c.OfUTC;
    EXPECT_EQ(sun.Hour, 0.0f);
  }
}

TEST(CalcSunTime, HoursStayWithinTheDayForEveryOffset) {
  for (int ofUTC = -24; ofUTC <= 24; ++ofUTC)
    for (bool rising : {true, false}) {
      const float hour = CalcSunTime(rising, 50.783333f, 6.1f, ofUTC, 2003, 6, 21).Hour;
      EXPECT_GE(hour, 0.0f) << ofUTC;
      EXPECT_LE(hour, 24.0f) << ofUTC;
    }
}

TEST(SunEventMessage, TellsWhichEventIsMissing) {
  EXPECT_STREQ(SunEventMessage(TSunEvent::NeverRises),
               "the sun never rises on this location (on the specified date)");
  EXPECT_STREQ(SunEventMessage(TSunEvent::NeverSets),
               "the sun never sets on this location (on the specified date)");
  EXPECT_STREQ(SunEventMessage(TSunEvent::Occurs), "");
}

TEST(FormatHour, HoursColonTwoDigitMinutesAndSuffix) {
  struct Case {
    float Hour;
    const char* Text;
  };
  for (const Case c : {Case{6.5f, "6:30AM"}, Case{18.0833f, "6:04PM"}, Case{12.25f, "12:15AM"},
                       Case{0.0f, "0:00AM"}, Case{9.1666f, "9:09AM"}, Case{13.0f, "1:00PM"},
                       Case{12.999f, "12:59AM"}, Case{23.99f, "11:59PM"}})
    EXPECT_EQ(FormatHour(c.Hour), c.Text) << c.Hour;
}

TEST(DemoTimeText, UnpaddedMinuteAndSuffix) {
  struct Case {
    int TimeOfDay;
    const char* Text;
  };
  for (const Case c : {Case{43200, "Demo Time: 12:0AM"}, Case{46800, "Demo Time: 1:0PM"},
                       Case{7 * 3600 + 5 * 60, "Demo Time: 7:5AM"}, Case{0, "Demo Time: 0:0AM"},
                       Case{86399, "Demo Time: 11:59PM"}, Case{86400, "Demo Time: 12:0PM"}})
    EXPECT_EQ(DemoTimeText(c.TimeOfDay), c.Text) << c.TimeOfDay;
}

TEST(MakeDaylightTimes, PointsAroundSunriseAndSunsetWithTheSavingHour) {
  const TDaylightTimes d =
      MakeDaylightTimes({6.5f, TSunEvent::Occurs}, {19.25f, TSunEvent::Occurs}, true);
  EXPECT_EQ(d.Sunrise, 7.5f);
  EXPECT_EQ(d.Sunset, 20.25f);
  EXPECT_EQ(d.SunriseSec, 27000);
  EXPECT_EQ(d.SunsetSec, 72900);
  EXPECT_EQ(d.TimePoint1, 24300);
  EXPECT_EQ(d.TimePoint2, 27000);
  EXPECT_EQ(d.TimePoint3, 34200);
  EXPECT_EQ(d.TimePoint4, 65700);
  EXPECT_EQ(d.TimePoint5, 72900);
  EXPECT_EQ(d.TimePoint6, 75600);
}

struct BlendCase {
  int TimeOfDay;
  TLevels Color;
};

class DaylightBlend : public testing::TestWithParam<BlendCase> {};

// Sunrise 6:00, sunset 18:00: points 18900, 21600, 28800, 57600, 64800, 67500.
TEST_P(DaylightBlend, KeyColoursAndBlendsBetweenThem) {
  const TDaylightTimes d =
      MakeDaylightTimes({6.0f, TSunEvent::Occurs}, {18.0f, TSunEvent::Occurs}, false);
  EXPECT_EQ(DaylightColor(GetParam().TimeOfDay, d, TDaylightKeys{}), GetParam().Color)
      << GetParam().TimeOfDay;
}

INSTANTIATE_TEST_SUITE_P(
    KeyTimes, DaylightBlend,
    testing::Values(BlendCase{0, {60, 70, 90}}, BlendCase{18900, {60, 70, 90}},
                    BlendCase{18900 + 1350, {98, 80, 101}}, BlendCase{21600, {137, 90, 113}},
                    BlendCase{21600 + 3600, {196, 172, 184}}, BlendCase{28800, {255, 255, 255}},
                    BlendCase{43200, {255, 255, 255}}, BlendCase{57600, {255, 255, 255}},
                    BlendCase{57600 + 3600, {229, 194, 180}}, BlendCase{64800, {202, 132, 104}},
                    BlendCase{64800 + 1350, {131, 101, 97}}, BlendCase{67500, {60, 70, 90}},
                    BlendCase{86400, {60, 70, 90}}));

TEST(DaylightColor, PolarDaysKeepOneColourAllDay) {
  const TDaylightKeys keys;
  struct Case {
    TSunEvent Event;
    bool Saving;
    TLevels Color;
  };
  for (const Case c : {Case{TSunEvent::NeverSets, false, keys.ColorDay},
                       Case{TSunEvent::NeverSets, true, keys.ColorDay},
                       Case{TSunEvent::NeverRises, false, keys.ColorNight},
                       Case{TSunEvent::NeverRises, true, keys.ColorNight}}) {
    const TDaylightTimes d = MakeDaylightTimes({0.0f, c.Event}, {0.0f, c.Event}, c.Saving);
    EXPECT_EQ(d.Sunrise, c.Saving ? 1.0f : 0.0f);
    for (int a : {0, 1350, 2700, 3600, 43200, 86399, 86400})
      EXPECT_EQ(DaylightColor(a, d, keys), c.Color) << a;
  }
  // A sunset the day does not have still makes it full daylight.
  const TDaylightTimes half =
      MakeDaylightTimes({1.5f, TSunEvent::Occurs}, {0.0f, TSunEvent::NeverSets}, false);
  EXPECT_EQ(DaylightColor(0, half, keys), keys.ColorDay);
}

TEST(DaylightColor, SunsetAfterMidnightCountsOnTheNextDay) {
  const TDaylightKeys keys;
  // Sunrise 2:30, sunset 0:15 of the next night.
  const TDaylightTimes d =
      MakeDaylightTimes({2.5f, TSunEvent::Occurs}, {0.25f, TSunEvent::Occurs}, false);
  EXPECT_EQ(d.SunsetSec, 900 + 86400);
  EXPECT_EQ(d.Sunset, 0.25f);
  EXPECT_EQ(DaylightColor(43200, d, keys), keys.ColorDay);
  // 23:15 is half-way from day to dusk.
  EXPECT_EQ(DaylightColor(83700, d, keys), (TLevels{229, 194, 180}));
}

// The largest change of one channel in a minute of the steepest blend, truncation included.
int OneBlendStep(const TDaylightKeys& k) {
  const struct {
    const TLevels& From;
    const TLevels& To;
    int Span;
  } blends[] = {{k.ColorNight, k.ColorDawn, 2700}, {k.ColorDawn, k.ColorDay, 7200},
                {k.ColorDay, k.ColorDusk, 7200}, {k.ColorDusk, k.ColorNight, 2700}};
  int step = 0;
  for (const auto& b : blends)
    for (std::size_t c = 0; c < 3; ++c) step = std::max(step, (std::abs(b.To[c] - b.From[c]) * 60 + b.Span - 1) / b.Span);
  return step + 1;
}

// A day of a city in the table, as the scene makes it.
TDaylightTimes CityDay(std::string_view Name, int Month, int Day, bool Saving) {
  const auto city = std::find_if(CityTable.begin(), CityTable.end(), [&](const TCity& c) { return Name == c.Name; });
  EXPECT_NE(city, CityTable.end()) << Name;
  if (city == CityTable.end()) return {};
  return MakeDaylightTimes(CalcSunTime(true, city->Lat, city->Lng, city->OfUTC, 2003, Month, Day),
                           CalcSunTime(false, city->Lat, city->Lng, city->OfUTC, 2003, Month, Day), Saving);
}

// A walk through the day in minutes, the wrap from 23:59 to 0:00 included, as the demo day
// and the real clock both go round.
TEST(DaylightColor, TintChangesByAtMostOneBlendStepAMinute) {
  const TDaylightKeys keys;
  const TSunTime reykjavikSunrise = CalcSunTime(true, 64.1333f, -21.9333f, 0, 2003, 6, 21);
  const TSunTime reykjavikSunset = CalcSunTime(false, 64.1333f, -21.9333f, 0, 2003, 6, 21);
  ASSERT_EQ(reykjavikSunset.Event, TSunEvent::Occurs);
  ASSERT_LT(reykjavikSunset.Hour, 1.0f);  // just after midnight
  const struct {
    const char* Name;
    TDaylightTimes Times;
  } days[] = {
      {"Reykjavik, 21 June", MakeDaylightTimes(reykjavikSunrise, reykjavikSunset, false)},
      {"sunset 0:04", MakeDaylightTimes({2.9f, TSunEvent::Occurs}, {0.07f, TSunEvent::Occurs}, false)},
      {"dawn before midnight", MakeDaylightTimes({0.3f, TSunEvent::Occurs}, {20.0f, TSunEvent::Occurs}, false)},
      {"sunrise before midnight", MakeDaylightTimes({23.9f, TSunEvent::Occurs}, {15.0f, TSunEvent::Occurs}, false)},
      {"Aachen, 21 June", MakeDaylightTimes({4.3665f, TSunEvent::Occurs}, {20.8759f, TSunEvent::Occurs}, true)},
      // Sunset 0:18 after midnight, sunrise 1:19: a night shorter than its two blends.
      {"Murmansk, 21 May, saving hour", CityDay("MURMANSK RU", 5, 21, true)},
      // Sunrise 10:58, sunset 12:07: a day shorter than its two blends.
      {"Murmansk, 1 December", CityDay("MURMANSK RU", 12, 1, false)},
      {"Fairbanks, 21 December", CityDay("FAIRBANKS(AK) US", 12, 21, false)},
  };
  const int step = OneBlendStep(keys);
  for (const auto& day : days) {
    SCOPED_TRACE(day.Name);
    TLevels previous = DaylightColor(86400 - 60, day.Times, keys);
    int largest = 0;
    for (int a = 0; a < 86400; a += 60) {
      const TLevels now = DaylightColor(a, day.Times, keys);
      for (std::size_t c = 0; c < 3; ++c) largest = std::max(largest, std::abs(now[c] - previous[c]));
      previous = now;
    }
    EXPECT_LE(largest, step);
  }
  // Just after midnight in Reykjavik the day is still turning to dusk, not night.
  EXPECT_NE(DaylightColor(60, days[0].Times, keys), keys.ColorNight);
  // The short night never gets quite dark, the short day never quite bright.
  EXPECT_NE(DaylightColor(1800, days[5].Times, keys), keys.ColorNight);
  EXPECT_NE(DaylightColor(41400, days[6].Times, keys), keys.ColorDay);
}

}  // namespace
