// Sunrise and sunset of a place on a date, hours as clock texts, and the day/night tint that
// the waterfall scene derives from them for each time of day.
#pragma once

#include <array>

#include "platform/vcl/SysUtils.h"

enum class TSunEvent { Occurs, NeverRises, NeverSets };

// Local hour in [0, 24] of the event, or 0 when the sun does not rise or set that day.
struct TSunTime {
  float Hour;
  TSunEvent Event;
};

// Latitude north positive, longitude east positive, both in degrees; UTC offset in whole hours.
TSunTime CalcSunTime(bool Rising, float Latitude, float Longitude, int OfUTC, int Year, int Month,
                     int Day);
// What the setup dialog tells the user about a day without sunrise or sunset; empty otherwise.
const char* SunEventMessage(TSunEvent Event);

// "6:30AM", "6:04PM"; hours 0 to 12 carry "AM".
AnsiString FormatHour(float x);
// "Demo Time: 7:5AM" for seconds after midnight.
AnsiString DemoTimeText(int TimeOfDay);

// Red, green and blue on the gamma control's level scale (256 leaves a channel unchanged).
using TLevels = std::array<int, 3>;

struct TDaylightKeys {
  TLevels ColorDay{255, 255, 255};
  TLevels ColorDusk{202, 132, 104};
  TLevels ColorNight{60, 70, 90};
  TLevels ColorDawn{137, 90, 113};
};

// The day's sun times as the scene shows them (daylight-saving hour included) and the six time
// points, in seconds after midnight, between which the tint blends.
struct TDaylightTimes {
  float Sunrise;
  float Sunset;
  int SunriseSec;
  int SunsetSec;
  int TimePoint1;
  int TimePoint2;
  int TimePoint3;
  int TimePoint4;
  int TimePoint5;
  int TimePoint6;
};

// A day without sunset is full daylight throughout and one without sunrise night throughout; a
// sunset that falls after midnight counts on the next day. Sunrise and Sunset stay the hours shown.
TDaylightTimes MakeDaylightTimes(TSunTime Sunrise, TSunTime Sunset, bool DaylightSaving);
// The tint at a time of day, in seconds after midnight; it runs on across midnight when dawn or
// dusk reaches into the day before or after, and without a jump through a day or a night too
// short for both of its blends. The keys must brighten from night through dawn to day, and
// darken from day through dusk to night, channel by channel (the defaults do).
TLevels DaylightColor(int TimeOfDay, const TDaylightTimes& Times, const TDaylightKeys& Keys);
