// Bitmaps assigned from one another share one image: whichever of them is changed, by any way
// to its pixels, the other keeps what it showed.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/vcl/Graphics.h"

namespace {

// A 24-bit strip of red, green.
std::unique_ptr<TBitmap> RedGreen() {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(2, 1);
  b->GetCanvas()->SetPixels(0, 0, clRed);  // leaves the canvas holding a device context
  b->GetCanvas()->SetPixels(1, 0, clLime);
  return b;
}

std::vector<TColor> Row(TBitmap& b) { return {b.GetCanvas()->GetPixels(0, 0), b.GetCanvas()->GetPixels(1, 0)}; }

// Each way of changing a bitmap's pixels, making its second pixel blue.
struct PixelChange {
  const char* Name;
  std::function<void(TBitmap&)> Change;
};

const PixelChange kChanges[] = {
    {"scan line", [](TBitmap& b) {
       auto* row = static_cast<std::uint8_t*>(b.GetScanLine(0));
       row[3] = 0xFF;  // blue, green, red
       row[4] = 0;
     }},
    {"canvas", [](TBitmap& b) { b.GetCanvas()->SetPixels(1, 0, clBlue); }},
    {"canvas's device context", [](TBitmap& b) { SetPixel(b.GetCanvas()->GetHandle(), 1, 0, RGB(0, 0, 255)); }},
    {"handle", [](TBitmap& b) {
       HDC dc = CreateCompatibleDC(nullptr);
       HGDIOBJ previous = SelectObject(dc, b.GetHandle());
       SetPixel(dc, 1, 0, RGB(0, 0, 255));
       SelectObject(dc, previous);
       DeleteDC(dc);
     }},
};

TEST(BitmapShare, ChangingEitherBitmapLeavesTheOther) {
  for (const PixelChange& change : kChanges) {
    for (const bool changeCopy : {true, false}) {
      SCOPED_TRACE(testing::Message() << change.Name << (changeCopy ? ", copy changed" : ", original changed"));
      auto original = RedGreen();
      TBitmap copy;
      copy.Assign(original.get());
      TBitmap& changed = changeCopy ? copy : *original;
      TBitmap& kept = changeCopy ? *original : copy;
      change.Change(changed);
      EXPECT_EQ(Row(changed), (std::vector<TColor>{clRed, clBlue}));
      EXPECT_EQ(Row(kept), (std::vector<TColor>{clRed, clLime}));
    }
  }
}

TEST(BitmapShare, ACopyOfACopyKeepsThePixelsOfTheFirst) {
  auto original = RedGreen();
  TBitmap copy, second;
  copy.Assign(original.get());
  second.Assign(&copy);
  original.reset();
  copy.GetCanvas()->SetPixels(0, 0, clBlue);
  EXPECT_EQ(Row(second), (std::vector<TColor>{clRed, clLime}));
  EXPECT_EQ(Row(copy), (std::vector<TColor>{clBlue, clLime}));
}

}  // namespace
