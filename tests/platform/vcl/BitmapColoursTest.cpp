// Monochrome conversions by the canvas's colours, the transparent colour, the colour-replacing
// copy and clipped text, read back from pixels.
#include <gtest/gtest.h>

#include "platform/vcl/Graphics.h"

namespace {

std::unique_ptr<TBitmap> Strip(std::initializer_list<TColor> colors, TPixelFormat format = pf24bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(format);
  b->SetSize(static_cast<int>(colors.size()), 1);
  int x = 0;
  for (TColor c : colors) b->GetCanvas()->SetPixels(x++, 0, c);
  return b;
}

std::vector<TColor> Row(TBitmap& b, int y = 0) {
  std::vector<TColor> out;
  for (int x = 0; x < b.GetWidth(); ++x) out.push_back(b.GetCanvas()->GetPixels(x, y));
  return out;
}

TEST(BitmapColours, MonochromeConversionsFollowTheCanvasColours) {
  auto b = Strip({clRed, clBlue, clRed, clWhite});
  b->GetCanvas()->GetBrush()->SetColor(clRed);
  b->SetMonochrome(true);  // the brush colour becomes white, the rest black
  ASSERT_TRUE(b->GetMonochrome());
  EXPECT_EQ(Row(*b), (std::vector<TColor>{clWhite, clBlack, clWhite, clBlack}));
  b->GetCanvas()->GetFont()->SetColor(clLime);
  b->GetCanvas()->GetBrush()->SetColor(clYellow);
  b->SetMonochrome(false);  // black becomes the font colour, white the brush colour
  EXPECT_FALSE(b->GetMonochrome());
  EXPECT_EQ(Row(*b), (std::vector<TColor>{clYellow, clLime, clYellow, clLime}));
  b->SetHandleType(bmDDB);
  EXPECT_EQ(b->GetPixelFormat(), pfDevice);
}

TEST(BitmapColours, TransparentColourIsTheBottomLeftPixelUntilOneIsSet) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(2, 2);
  b->GetCanvas()->SetPixels(0, 1, clTeal);
  EXPECT_EQ(b->GetTransparentMode(), tmAuto);
  EXPECT_EQ(b->GetTransparentColor(), clTeal | 0x02000000);
  b->SetTransparentColor(clRed);
  EXPECT_EQ(b->GetTransparentMode(), tmFixed);
  EXPECT_EQ(b->GetTransparentColor(), clRed);
  TBitmap copy;
  copy.Assign(b.get());
  EXPECT_EQ(copy.GetTransparentColor(), clRed);
}

TEST(BitmapColours, BrushCopyShowsTheBrushWhereTheColourWas) {
  auto source = Strip({clRed, clGreen, clRed});
  auto target = Strip({clBlack, clBlack, clBlack, clBlack, clBlack, clBlack});
  target->GetCanvas()->GetBrush()->SetColor(clAqua);
  target->GetCanvas()->BrushCopy(Rect(0, 0, 6, 1), source.get(), Rect(0, 0, 3, 1), clRed);
  EXPECT_EQ(Row(*target), (std::vector<TColor>{clAqua, clAqua, clGreen, clGreen, clAqua, clAqua}));
}

TEST(BitmapColours, TextRectFillsItsRectangleAndKeepsTheTextInside) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->GetCanvas()->GetBrush()->SetColor(clWhite);
  b->SetSize(40, 20);
  TCanvas* c = b->GetCanvas();
  c->GetFont()->SetColor(clBlack);
  c->GetBrush()->SetColor(clYellow);
  c->TextRect(Rect(2, 2, 12, 18), 0, 2, "WWWWWW");
  int inkInside = 0, inkOutside = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const TColor p = c->GetPixels(x, y);
      const bool inside = x >= 2 && x < 12 && y >= 2 && y < 18;
      if (p == clBlack) (inside ? inkInside : inkOutside)++;
      if (!inside) {
        EXPECT_EQ(p, clWhite) << x << "," << y;
      } else if (p != clBlack) {
        EXPECT_EQ(p, clYellow) << x << "," << y;
      }
    }
  EXPECT_GT(inkInside, 0);
  EXPECT_EQ(inkOutside, 0);
}

}  // namespace
