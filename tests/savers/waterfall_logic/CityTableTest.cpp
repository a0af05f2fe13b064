// The city table's invariants: its record form, the rows known by index, the names' form and
// order, and the ranges of positions and offsets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "savers/waterfall/CityTable.h"
#include "savers/waterfall/SunTime.h"

namespace {

std::string_view NameOf(const TCity& City) {
  return {City.Name, strnlen(City.Name, sizeof City.Name)};
}

std::string_view CityPart(std::string_view Name) {
  return Name.substr(0, Name.find_first_of("( "));
}

TEST(CityTable, RecordForm) {
  static_assert(std::is_same_v<decltype(TCity::Name), char[52]>);
  static_assert(std::is_same_v<decltype(TCity::Lat), float>);
  static_assert(std::is_same_v<decltype(TCity::Lng), float>);
  static_assert(std::is_same_v<decltype(TCity::OfUTC), std::int32_t>);
  static_assert(std::is_standard_layout_v<TCity>);
  EXPECT_EQ(offsetof(TCity, Name), 0u);
  EXPECT_EQ(offsetof(TCity, Lat), 52u);
  EXPECT_EQ(offsetof(TCity, Lng), 56u);
  EXPECT_EQ(offsetof(TCity, OfUTC), 60u);
  EXPECT_EQ(sizeof(TCity), 64u);
  EXPECT_EQ(CityTable.size(), 3937u);
}

// An initialiser list shorter than the table would leave zeroed entries at its end.
TEST(CityTable, NamesAreZeroTerminatedAndZeroFilled) {
  for (std::size_t i = 0; i < CityTable.size(); ++i) {
    const TCity& city = CityTable[i];
    const std::size_t length = NameOf(city).size();
    ASSERT_GT(length, 0u) << "entry " << i;
    ASSERT_LE(length, 51u) << "entry " << i;
    for (std::size_t k = length; k < sizeof city.Name; ++k) ASSERT_EQ(city.Name[k], '\0') << NameOf(city);
  }
}

bool IsCapital(char c) {
  return c >= 'A' && c <= 'Z';
}

// Words of capitals, apostrophes, hyphens and full stops, one blank apart, the first word
// beginning with a capital.
bool IsCityPart(std::string_view City) {
  if (City.empty() || !IsCapital(City.front()) || City.back() == ' ') return false;
  for (std::size_t i = 0; i < City.size(); ++i) {
    const char c = City[i];
    const bool blank = c == ' ';
    if (!(IsCapital(c) || blank || c == '\'' || c == '-' || c == '.')) return false;
    if (blank && City[i - 1] == ' ') return false;
  }
  return true;
}

// The city, a region of capitals in parentheses right after it, a blank and a two-letter
// country code.
bool HasTheTablesForm(std::string_view Name) {
  if (Name.size() < 4 || Name[Name.size() - 3] != ' ' || !IsCapital(Name[Name.size() - 2]) ||
      !IsCapital(Name.back()))
    return false;
  std::string_view city = Name.substr(0, Name.size() - 3);
  if (city.back() == ')') {
    const std::size_t open = city.rfind('(');
    if (open == std::string_view::npos || open + 2 == city.size()) return false;
    for (const char c : city.substr(open + 1, city.size() - open - 2))
      if (!IsCapital(c)) return false;
    city = city.substr(0, open);
  }
  return IsCityPart(city);
}

TEST(CityTable, NamesHaveTheTablesForm) {
  for (const char* bad : {"AACHEN", "AACHEN  GE", "AACHEN Ge", "AACHEN GER", "AACHEN(NRW GE", "AACHEN() GE",
                          "AACHEN (NRW) GE", "AACHEN(N1) GE", "AACHEN  WEST GE", "AACHEN, WEST GE", "aACHEN GE"})
    EXPECT_FALSE(HasTheTablesForm(bad)) << bad;
  for (const TCity& city : CityTable) EXPECT_TRUE(HasTheTablesForm(NameOf(city))) << NameOf(city);
}

struct TellingRow {
  std::size_t Index;
  const char* Name;
  double Lat, Lng;
  int OfUTC;
};

constexpr TellingRow TellingRows[] = {
    {0, "AACHEN GE", 50.783333, 6.1, 1},
    {346, "BERGEN OP ZOOM NE", 51.5, 4.316667, 1},
    {347, "BERGEN NO", 60.4, 5.366667, 1},
    {2015, "LONDON GB", 51.533333, 0.083333, 0},
    {2359, "MURMANSK RU", 68.833333, 33.166667, 2},
    {2850, "PUNTA ARENAS CL", -52.85, -69.2, -4},
    {3514, "TOKYO JP", 35.666667, 139.75, 9},
    {3720, "WAIPAHU(HAW) US", 21.333333, -157.966667, -10},
    {1283, "GISBORNE NZ", -37.333333, 178.133333, 12},
    {3936, "ZWOLLE NE", 52.516667, 6.066667, 1},
};

// The values are written to six decimals; far less than an arc-minute tells them apart.
TEST(CityTable, TellingRowsStandAtTheirIndices) {
  constexpr double tolerance = 1e-5;
  for (const TellingRow& row : TellingRows) {
    const TCity& city = CityTable[row.Index];
    EXPECT_EQ(NameOf(city), row.Name) << "entry " << row.Index;
    EXPECT_NEAR(city.Lat, row.Lat, tolerance) << row.Name;
    EXPECT_NEAR(city.Lng, row.Lng, tolerance) << row.Name;
    EXPECT_EQ(city.OfUTC, row.OfUTC) << row.Name;
  }
}

// Character order, strictly (no name twice), but for the pairs that keep a longer name right
// before the shorter one it begins with.
TEST(CityTable, SortedByNameButForTheSwappedPairs) {
  std::vector<std::pair<std::string_view, std::string_view>> swapped;
  for (std::size_t i = 0; i + 1 < CityTable.size(); ++i) {
    const std::string_view name = NameOf(CityTable[i]), next = NameOf(CityTable[i + 1]);
    if (name < next) continue;
    swapped.emplace_back(name, next);
    const std::string_view shorterCity = CityPart(next);
    EXPECT_EQ(name.substr(0, shorterCity.size() + 1), std::string(shorterCity) + " ") << name;
  }
  const std::vector<std::pair<std::string_view, std::string_view>> expected = {
      {"BERGEN OP ZOOM NE", "BERGEN NO"}, {"CASTRO VALLEY(CA) US", "CASTRO CL"}};
  EXPECT_EQ(swapped, expected);
}

// The northernmost, southernmost, westernmost and easternmost rows bound all others, and each
// row's values are whole arc-minutes and whole hours in range.
TEST(CityTable, PositionsAndOffsetsInRange) {
  const TCity &north = CityTable[2359], &south = CityTable[2850], &west = CityTable[3720], &east = CityTable[1283];
  const auto wholeArcMinutes = [](float Degrees) {
    return static_cast<float>(std::round(Degrees * 60.0) / 60.0) == Degrees;
  };
  for (const TCity& city : CityTable) {
    EXPECT_LE(city.Lat, north.Lat) << NameOf(city);
    EXPECT_GE(city.Lat, south.Lat) << NameOf(city);
    EXPECT_GE(city.Lng, west.Lng) << NameOf(city);
    EXPECT_LE(city.Lng, east.Lng) << NameOf(city);
    EXPECT_TRUE(wholeArcMinutes(city.Lat) && wholeArcMinutes(city.Lng)) << NameOf(city);
    EXPECT_GE(city.OfUTC, -10) << NameOf(city);
    EXPECT_LE(city.OfUTC, 12) << NameOf(city);
  }
}

// The northernmost city is the one the setup dialog shows without sunset in June and without
// sunrise in December.
TEST(CityTable, MurmanskHasPolarDayAndNight) {
  const TCity& murmansk = CityTable[2359];
  for (bool rising : {true, false}) {
    EXPECT_EQ(CalcSunTime(rising, murmansk.Lat, murmansk.Lng, murmansk.OfUTC, 2024, 6, 21).Event,
              TSunEvent::NeverSets);
    EXPECT_EQ(CalcSunTime(rising, murmansk.Lat, murmansk.Lng, murmansk.OfUTC, 2024, 12, 21).Event,
              TSunEvent::NeverRises);
  }
}

}  // namespace
