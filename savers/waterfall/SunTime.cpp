// Sun times by the almanac method (official zenith 90 degrees 50 minutes) in 32-bit floats, the
// clock texts, and the blend of the four key colours around sunrise and sunset.
#include "savers/waterfall/SunTime.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double ToRad = 0.0174533;
constexpr double ToDeg = 57.29578;
constexpr int SecondsPerDay = 86400;

// One correction into [0, period]; the almanac's values are never more than a period outside.
float CorrectOnce(float v, float period) {
  if (v > period) v -= period;
  if (v < 0.0f) v += period;
  return v;
}

float DayOfYear(int Year, int Month, int DayOfMonth) {
  const int n1 = 275 * Month / 9;
  const int n2 = (Month + 9) / 12;
  const float n3 = 1.0f + std::floor(static_cast<float>(Year - 4 * (Year / 4) + 2) / 3.0f);
  return static_cast<float>(n1) - static_cast<float>(n2) * n3 + static_cast<float>(DayOfMonth - 30);
}

int QuadrantStart(float degrees) {
  return static_cast<int>(std::floor(static_cast<double>(degrees) / 90.0) * 90.0);
}

AnsiString ClockText(int Hour, int Minute, bool PadMinute) {
  const char* suffix = "AM";
  if (Hour > 12) {
    Hour -= 12;
    suffix = "PM";
  }
  return Format(PadMinute ? "%d:%02d%s" : "%d:%d%s", Hour, Minute, suffix);
}

TLevels Blend(const TLevels& From, const TLevels& To, int a, int Start, int End) {
  TLevels out{};
  for (std::size_t c = 0; c < out.size(); ++c)
    out[c] = From[c] + (To[c] - From[c]) * (a - Start) / (End - Start);
  return out;
}

// The tint rising from night through dawn to day around sunrise, and falling from day through
// dusk to night around sunset; each holds its end colour outside its blends.
TLevels Rising(int a, const TDaylightTimes& Times, const TDaylightKeys& Keys) {
  if (a <= Times.TimePoint1) return Keys.ColorNight;
  if (a <= Times.TimePoint2) return Blend(Keys.ColorNight, Keys.ColorDawn, a, Times.TimePoint1, Times.TimePoint2);
  if (a <= Times.TimePoint3) return Blend(Keys.ColorDawn, Keys.ColorDay, a, Times.TimePoint2, Times.TimePoint3);
  return Keys.ColorDay;
}

TLevels Falling(int a, const TDaylightTimes& Times, const TDaylightKeys& Keys) {
  if (a <= Times.TimePoint4) return Keys.ColorDay;
  if (a <= Times.TimePoint5) return Blend(Keys.ColorDay, Keys.ColorDusk, a, Times.TimePoint4, Times.TimePoint5);
  if (a <= Times.TimePoint6) return Blend(Keys.ColorDusk, Keys.ColorNight, a, Times.TimePoint5, Times.TimePoint6);
  return Keys.ColorNight;
}

// Channel by channel, `Pick` of the two.
template <class Pick>
TLevels PerChannel(const TLevels& x, const TLevels& y, Pick pick) {
  TLevels out{};
  for (std::size_t c = 0; c < out.size(); ++c) out[c] = pick(x[c], y[c]);
  return out;
}

int Darker(int x, int y) { return std::min(x, y); }
int Brighter(int x, int y) { return std::max(x, y); }

int SunSeconds(float Hour) { return static_cast<int>(static_cast<double>(Hour) * 3600.0); }

// Settings are stored as entered; a place off the globe or an offset beyond a day would take
// the computation out of the range its single corrections bring back.
bool IsPlace(float Latitude, float Longitude, int OfUTC) {
  return std::fabs(Latitude) <= 90.0f && std::fabs(Longitude) <= 180.0f && OfUTC >= -24 &&
         OfUTC <= 24;
}

}  // namespace

// Every intermediate is kept as a 32-bit float; products with the constants are formed in double.
TSunTime CalcSunTime(bool Rising, float Latitude, float Longitude, int OfUTC, int Year, int Month,
                     int Day) {
  // Treated as a day without sunrise, so the scene stays at its night colour.
  if (!IsPlace(Latitude, Longitude, OfUTC)) return {0.0f, TSunEvent::NeverRises};
  const float n = DayOfYear(Year, Month, Day);
  const float lngHour = Longitude / 15.0f;
  const float t = n + ((Rising ? 6.0f : 18.0f) - lngHour) / 24.0f;
  const float m = static_cast<float>(0.9856 * t - 3.289);
  const float l = CorrectOnce(static_cast<float>(m + 1.916 * std::sin(ToRad * m) +
                                                 0.02 * std::sin(2.0 * ToRad * m) + 282.634),
                              360.0f);
  float ra =
      CorrectOnce(static_cast<float>(ToDeg * std::atan(0.91764 * std::tan(ToRad * l))), 360.0f);
  ra = static_cast<float>(ra + (QuadrantStart(l) - QuadrantStart(ra)));
  ra = ra / 15.0f;
  const float sinDec = static_cast<float>(0.39782 * std::sin(ToRad * l));
  const float cosDec = static_cast<float>(std::cos(std::asin(static_cast<double>(sinDec))));
  const float cosH = static_cast<float>((-0.01454 - sinDec * std::sin(ToRad * Latitude)) /
                                        (cosDec * std::cos(ToRad * Latitude)));
  if (cosH > 1.0f) return {0.0f, TSunEvent::NeverRises};
  if (cosH < -1.0f) return {0.0f, TSunEvent::NeverSets};
  const float angle = static_cast<float>(ToDeg * std::acos(static_cast<double>(cosH)));
  const float h = (Rising ? 360.0f - angle : angle) / 15.0f;
  const float time = static_cast<float>(h + ra - 0.06571 * t - 6.622);
  const float ut = CorrectOnce(time - lngHour, 24.0f);
  return {CorrectOnce(static_cast<float>(OfUTC) + ut, 24.0f), TSunEvent::Occurs};
}

const char* SunEventMessage(TSunEvent Event) {
  switch (Event) {
    case TSunEvent::NeverRises:
      return "the sun never rises on this location (on the specified date)";
    case TSunEvent::NeverSets:
      return "the sun never sets on this location (on the specified date)";
    case TSunEvent::Occurs:
      break;
  }
  return "";
}

AnsiString FormatHour(float x) {
  const double whole = std::floor(static_cast<double>(x));
  return ClockText(static_cast<int>(whole), static_cast<int>((x - whole) * 60.0), true);
}

AnsiString DemoTimeText(int TimeOfDay) {
  const int hour = TimeOfDay / 3600;
  const int minute = (TimeOfDay - hour * 3600) / 60;
  return "Demo Time: " + ClockText(hour, minute, false);
}

TDaylightTimes MakeDaylightTimes(TSunTime Sunrise, TSunTime Sunset, bool DaylightSaving) {
  TDaylightTimes d{};
  const float saving = DaylightSaving ? 1.0f : 0.0f;
  d.Sunrise = Sunrise.Hour + saving;
  d.Sunset = Sunset.Hour + saving;
  d.SunriseSec = SunSeconds(d.Sunrise);
  d.SunsetSec = SunSeconds(d.Sunset);
  if (d.SunsetSec < d.SunriseSec) d.SunsetSec += SecondsPerDay;
  // Without a sunrise or sunset the points are put outside the day, so the blend of any time
  // of day falls on full daylight or on night.
  if (Sunrise.Event == TSunEvent::NeverSets || Sunset.Event == TSunEvent::NeverSets) {
    d.SunriseSec = -SecondsPerDay;
    d.SunsetSec = 2 * SecondsPerDay;
  } else if (Sunrise.Event == TSunEvent::NeverRises || Sunset.Event == TSunEvent::NeverRises) {
    d.SunriseSec = 2 * SecondsPerDay;
    d.SunsetSec = -SecondsPerDay;
  }
  d.TimePoint1 = d.SunriseSec - 2700;
  d.TimePoint2 = d.SunriseSec;
  d.TimePoint3 = d.SunriseSec + 7200;
  d.TimePoint4 = d.SunsetSec - 7200;
  d.TimePoint5 = d.SunsetSec;
  d.TimePoint6 = d.SunsetSec + 2700;
  return d;
}

TLevels DaylightColor(int TimeOfDay, const TDaylightTimes& Times, const TDaylightKeys& Keys) {
  // One day's tint is the darker of the rising and the falling one, channel by channel: on a
  // usual day that is the rise until the day colour, then the fall; on a day too short for
  // both blends the two meet where they cross instead of jumping. The points may reach into the day
  // before (dawn just after midnight) or the day after (a sunset after midnight); a time of day
  // is the same time on those days too, and the brighter of the days' tints holds, so the tint
  // runs on across midnight and across a night too short for both blends.
  TLevels color = Keys.ColorNight;
  for (const int day : {-SecondsPerDay, 0, SecondsPerDay}) {
    const int a = TimeOfDay + day;
    const TLevels tint = PerChannel(Rising(a, Times, Keys), Falling(a, Times, Keys), Darker);
    color = PerChannel(color, tint, Brighter);
  }
  return color;
}
