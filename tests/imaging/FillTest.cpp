// Gradient bands, the shade pattern and the two-colour brush pattern, read back from pixels.
#include <gtest/gtest.h>

#include <memory>

#include "imaging/QmUtils.h"
#include "platform/user/WinUser.h"
#include "platform/win32/Kernel32.h"

namespace {

// A 24-bit bitmap filled with one colour, for reading pixels back.
std::unique_ptr<TBitmap> Canvas24(int width, int height, TColor fill) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->GetCanvas()->GetBrush()->SetColor(fill);
  b->SetSize(width, height);
  return b;
}

TColor Gray(int level) { return static_cast<TColor>(RGB(static_cast<BYTE>(level), static_cast<BYTE>(level), static_cast<BYTE>(level))); }

TEST(GradientFillRect, SixtyFourBandsThenTheRemainderTopToBottom) {
  auto b = Canvas24(4, 100, clRed);
  GradientFillRect(b->GetCanvas(), Rect(0, 0, 4, 100), clBlack, clWhite, fdTopToBottom, 64);
  TCanvas* c = b->GetCanvas();
  for (int i = 0; i < 64; ++i) EXPECT_EQ(c->GetPixels(2, i), Gray(MulDiv(i, 255, 63))) << "band " << i;
  for (int y = 64; y < 100; ++y) EXPECT_EQ(c->GetPixels(3, y), clWhite) << "row " << y;
}

TEST(GradientFillRect, ReversedDirectionsSwapTheFirstColourOnly) {
  auto b = Canvas24(4, 100, clRed);
  GradientFillRect(b->GetCanvas(), Rect(0, 0, 4, 100), clBlack, clWhite, fdBottomToTop, 64);
  TCanvas* c = b->GetCanvas();
  EXPECT_EQ(c->GetPixels(0, 0), clWhite);
  EXPECT_EQ(c->GetPixels(0, 63), clBlack);
  for (int y = 64; y < 100; ++y) EXPECT_EQ(c->GetPixels(0, y), clBlack) << "row " << y;

  // Horizontal: 3 bands of 3 columns, one column left over at the right.
  auto h = Canvas24(10, 2, clRed);
  GradientFillRect(h->GetCanvas(), Rect(0, 0, 10, 2), clBlue, clRed, fdRightToLeft, 3);
  TCanvas* hc = h->GetCanvas();
  const TColor mid = static_cast<TColor>(RGB(127, 0, 128));  // red -127.5 and blue +127.5, rounded away from 0
  const TColor expected[10] = {clRed, clRed, clRed, mid, mid, mid, clBlue, clBlue, clBlue, clBlue};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(hc->GetPixels(x, 1), expected[x]) << "column " << x;
}

TEST(GradientFillRect, DegenerateCases) {
  // One pixel high: no bands, only the remainder in the end colour.
  auto line = Canvas24(3, 1, clRed);
  GradientFillRect(line->GetCanvas(), Rect(0, 0, 3, 1), clBlack, clLime, fdTopToBottom, 10);
  EXPECT_EQ(line->GetCanvas()->GetPixels(1, 0), clLime);
  // Fewer than two colours: solid start colour, whatever the direction.
  for (BYTE colors : {0, 1})
    for (TFillDirection d : {fdTopToBottom, fdBottomToTop, fdLeftToRight, fdRightToLeft}) {
      auto b = Canvas24(3, 3, clRed);
      GradientFillRect(b->GetCanvas(), Rect(0, 0, 3, 3), clBtnFace, clWhite, d, colors);
      EXPECT_EQ(b->GetCanvas()->GetPixels(2, 2), clSilver) << int(colors) << " colours, direction " << d;
    }
  // An empty rectangle draws nothing.
  auto b = Canvas24(3, 3, clRed);
  GradientFillRect(b->GetCanvas(), Rect(2, 0, 2, 3), clBlack, clWhite, fdLeftToRight, 8);
  GradientFillRect(b->GetCanvas(), Rect(0, 3, 3, 1), clBlack, clWhite, fdTopToBottom, 8);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(b->GetCanvas()->GetPixels(x, 1), clRed);
}

TEST(ShadeRect, DarkensDiagonalLinesOnePixelInFour) {
  auto b = Canvas24(12, 9, clYellow);
  ShadeRect(b->GetCanvas()->GetHandle(), Rect(1, 1, 11, 8));
  TCanvas* c = b->GetCanvas();
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 1 && x < 11 && y >= 1 && y < 8;
      const TColor expected = inside && (x + y) % 4 == 3 ? clBlack : clYellow;
      EXPECT_EQ(c->GetPixels(x, y), expected) << x << "," << y;
    }
  // The context's colours are given back.
  EXPECT_EQ(GetTextColor(c->GetHandle()), static_cast<COLORREF>(ColorToRGB(c->GetFont()->GetColor())));
}

TEST(CreateTwoColorsBrushPattern, CheckerboardWithTheSecondColourAtTheTopLeft) {
  std::unique_ptr<TBitmap> b(CreateTwoColorsBrushPattern(clBlue, clYellow));
  ASSERT_EQ(b->GetWidth(), 8);
  ASSERT_EQ(b->GetHeight(), 8);
  TCanvas* c = b->GetCanvas();
  for (const TPoint& p : {TPoint(0, 0), TPoint(1, 1), TPoint(0, 2), TPoint(7, 7)}) EXPECT_EQ(c->GetPixels(p.x, p.y), clYellow);
  for (const TPoint& p : {TPoint(1, 0), TPoint(0, 1), TPoint(7, 6)}) EXPECT_EQ(c->GetPixels(p.x, p.y), clBlue);
}

TEST(InvertedFrames, FocusFramesInvertEveryOtherEdgePixelAndTakeThemselvesAway) {
  auto b = Canvas24(6, 5, clWhite);
  HDC dc = b->GetCanvas()->GetHandle();
  const RECT r{0, 0, 6, 5};
  DrawFocusRect(dc, &r);
  TCanvas* c = b->GetCanvas();
  for (int x = 0; x < 6; ++x) EXPECT_EQ(c->GetPixels(x, 0), x % 2 == 0 ? clBlack : clWhite) << x;
  EXPECT_EQ(c->GetPixels(0, 2), clBlack);
  EXPECT_EQ(c->GetPixels(2, 2), clWhite);  // inside stays
  DrawFocusRect(dc, &r);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(c->GetPixels(x, y), clWhite);
  const RECT inner{1, 1, 3, 3};
  InvertRect(dc, &inner);
  EXPECT_EQ(c->GetPixels(2, 2), clBlack);
  EXPECT_EQ(c->GetPixels(3, 3), clWhite);
  // On the screen the calls draw nowhere but keep the screen's context usable.
  PaintInverseRect(TPoint(0, 0), TPoint(10, 10));
  DrawInvertFrame(Rect(0, 0, 10, 10), 3);
  EXPECT_EQ(ReleaseDC(nullptr, GetDC(nullptr)), 1);
}

}  // namespace
