// Checks what a unit's Register put on the component palette: the page, and that the class
// reference makes an instance of the class.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/vcl/Classes.h"

namespace palette_test {

template <class T>
void ExpectOnPalettePage(const char* className, const char* page) {
  const auto& palette = RegisteredComponents();
  const auto entry = std::find_if(palette.begin(), palette.end(),
                                  [&](const TPaletteEntry& e) { return e.Class.ClassName == className; });
  ASSERT_NE(entry, palette.end()) << className;
  EXPECT_EQ(entry->Page, page);
  std::unique_ptr<TComponent> made(entry->Class.Create(nullptr));
  EXPECT_NE(dynamic_cast<T*>(made.get()), nullptr);
}

}  // namespace palette_test
