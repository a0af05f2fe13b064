// The waterfall's 26 values as the settings file holds them, and their comparison one value
// at a time, so a failure names the value.
#pragma once

#include <gtest/gtest.h>

#include <variant>

#include "components/SetReg.h"
#include "savers/waterfall/WaterfallSettings.h"

namespace waterfall_test {

inline TWaterfallSettings StoredSettings() {
  TSetReg store(nullptr);
  store.SetCompanyName("Quillmont");
  store.SetProductName("Rillmoor");
  TWaterfallSettings s;
  for (const auto& value : WaterfallSettingValues)
    std::visit([&](auto Field) { EXPECT_TRUE(store.Read(value.Name, &(s.*Field))) << value.Name; }, value.Field);
  return s;
}

inline void ExpectSameSettings(const TWaterfallSettings& Actual, const TWaterfallSettings& Expected) {
  for (const auto& value : WaterfallSettingValues)
    std::visit([&](auto Field) { EXPECT_EQ(Actual.*Field, Expected.*Field) << value.Name; }, value.Field);
}

}  // namespace waterfall_test
