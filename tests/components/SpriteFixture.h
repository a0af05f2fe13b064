// Shared set-up for the sprite and clock tests: a display owner opened on the headless display
// in a small mode, pictures with chosen pixels, and the back surface's pixels read through Lock.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/DDmain.h"
#include "components/DDsprite.h"
#include "platform/ddraw/Driver.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/vcl/Forms.h"
#include "tests/platform/ddraw/DDrawTest.h"

namespace sprite_test {

constexpr int kW = 64;  // the display mode the tests draw on
constexpr int kH = 48;

// Allocations made by the calling thread so far (counted by the test program's operator new).
long AllocationCount();

// A 32-bit picture whose pixel (x, y) has the colour `colour(x, y)` (0x00BBGGRR).
inline std::unique_ptr<TBitmap> Picture(int width, int height, const std::function<TColor(int, int)>& colour) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<std::uint32_t*>(bitmap->GetScanLine(y));
    for (int x = 0; x < width; ++x) {
      const auto c = static_cast<std::uint32_t>(colour(x, y));
      row[x] = (c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF);  // stored blue, green, red
    }
  }
  return bitmap;
}

// Red carries the source column + 1 and green the source row + 1, so a drawn pixel tells
// where it came from and no picture pixel is black.
inline TColor Coordinates(int x, int y) { return RGB(static_cast<BYTE>(x + 1), static_cast<BYTE>(y + 1), 0x80); }

// On a 32-bit display: the source column and row a back-surface pixel came from (-1: not drawn).
inline int SourceColumn(DWORD pixel) { return pixel == 0 ? -1 : static_cast<int>((pixel >> 16 & 0xFF) - 1); }
inline int SourceRow(DWORD pixel) { return pixel == 0 ? -1 : static_cast<int>((pixel >> 8 & 0xFF) - 1); }

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ddraw::ResetDriver();
    gdi::SetDesktopMode({1024, 768, 32});
    ddraw::SetModes({{kW, kH, 8}, {kW, kH, 16}, {kW, kH, 24}, {kW, kH, 32}});
    Form = std::make_unique<TForm>(nullptr);
    DDmain = new TDDmain(Form.get());
  }
  void TearDown() override {
    DDmain->SetEnabled(false);
    Form.reset();
    ddraw::ResetDriver();
    gdi::SetDesktopMode({});
  }

  // Opens the display (a listed mode) and clears the back surface.
  void Open(int bitsPerPixel = 32, int width = kW, int height = kH) {
    DDmain->SetWidth(width);
    DDmain->SetHeight(height);
    DDmain->SetColorDepth(bitsPerPixel);
    DDmain->SetEnabled(true);
    ASSERT_NE(DDmain->FpDDSBack, nullptr) << DDmain->GetErrorResult();
    DDmain->ClearBackSurface();
  }

  // A sprite owned by the form, bound to the display, recording every error text it raises.
  template <class T>
  T* Sprite() {
    auto* sprite = new T(Form.get());
    sprite->DDmainModule = DDmain;
    sprite->OnError = [this, sprite](TObject* Sender) {
      EXPECT_EQ(Sender, sprite);
      Errors.push_back(sprite->GetErrorResult());
    };
    return sprite;
  }

  DWORD Back(int x, int y) { return ddraw_test::ReadPixel(DDmain->FpDDSBack, x, y); }
  // One row (column) of the back surface as source columns (rows): -1 where nothing was drawn.
  std::vector<int> BackRow(int y) {
    std::vector<int> row;
    for (int x = 0; x < kW; ++x) row.push_back(SourceColumn(Back(x, y)));
    return row;
  }
  std::vector<int> BackColumn(int x) {
    std::vector<int> column;
    for (int y = 0; y < kH; ++y) column.push_back(SourceRow(Back(x, y)));
    return column;
  }

  std::unique_ptr<TForm> Form;
  TDDmain* DDmain = nullptr;  // owned by Form
  std::vector<std::string> Errors;
};

// What a span of `count` pixels from display position `dest`, starting at source `from`,
// looks like along a display axis of `size` pixels.
inline std::vector<int> DrawnSpan(int size, int dest, int count, int from) {
  std::vector<int> span(static_cast<std::size_t>(size), -1);
  for (int i = 0; i < count; ++i) span[static_cast<std::size_t>(dest + i)] = from + i;
  return span;
}

// Whether the last shown frame has a lit pixel in [x0, x1) x [y0, y1).
inline bool LitIn(int x0, int y0, int x1, int y1) {
  const ddraw::HeadlessFrame frame = ddraw::HeadlessLastFrame();
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (frame.At(x, y) != 0) return true;
  return false;
}

}  // namespace sprite_test
