// The waterfall's constant table of cities, in the order the setup dialog lists them; a chosen
// city is stored as its index here. The table is made by tools/city_table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// One entry in its fixed record form.
struct TCity {
  char Name[52];       // "CITY(REGION) CC", zero-terminated and zero-filled
  float Lat;           // degrees, north positive, whole arc-minutes
  float Lng;           // degrees, east positive, whole arc-minutes
  std::int32_t OfUTC;  // standard time, whole hours from UTC
};

inline constexpr std::size_t CityCount = 3937;
// Entry 0 is the city of a first run.
extern const std::array<TCity, CityCount> CityTable;
