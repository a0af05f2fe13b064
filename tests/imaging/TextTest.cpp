// Text in cells: where the ink lands for each alignment, the offscreen route for wrapped and
// multi-line texts, the cell functions' offsets, rotated fonts, shortened texts and the screen canvas.
#include <gtest/gtest.h>

#include "BitmapArt.h"
#include "imaging/QmUtils.h"

namespace {

// The columns and rows that hold ink of a colour (-1 when there is none).
struct InkBounds {
  int left = -1, top = -1, right = -1, bottom = -1;
};
InkBounds BoundsOf(TBitmap* b, TColor ink) {
  InkBounds r;
  for (int y = 0; y < b->GetHeight(); ++y)
    for (int x = 0; x < b->GetWidth(); ++x) {
      if (b->GetCanvas()->GetPixels(x, y) != ink) continue;
      if (r.left < 0 || x < r.left) r.left = x;
      if (r.top < 0) r.top = y;
      r.right = std::max(r.right, x);
      r.bottom = y;
    }
  return r;
}

class CellText : public ::testing::Test {
 protected:
  void SetUp() override {
    QmUtilsInitialization();
    target = art::Plain(120, 60, clYellow);
    canvas = target->GetCanvas();
    canvas->GetFont()->SetColor(clBlack);
    canvas->GetBrush()->SetColor(clWhite);
  }
  void TearDown() override { QmUtilsFinalization(); }
  std::unique_ptr<TBitmap> target;
  TCanvas* canvas = nullptr;
  const TRect cell = Rect(10, 5, 110, 55);
};

TEST_F(CellText, DirectDrawsEachAlignmentInsideTheCell) {
  WriteText(canvas, cell, 4, 3, "Hi", taLeftJustify, false, false);
  InkBounds left = BoundsOf(target.get(), clBlack);
  EXPECT_GE(left.left, 14);
  EXPECT_LE(left.left, 16);
  EXPECT_GE(left.top, 8);
  EXPECT_EQ(canvas->GetPixels(cell.right - 1, cell.bottom - 1), clWhite);  // the cell is filled
  EXPECT_EQ(canvas->GetPixels(cell.right, cell.bottom), clYellow);  // and nothing beyond

  const int width = canvas->TextWidth("Hi");
  canvas->FillRect(cell);
  WriteText(canvas, cell, 4, 3, "Hi", taRightJustify, false, false);
  InkBounds right = BoundsOf(target.get(), clBlack);
  EXPECT_LE(right.right, cell.right - 3);
  EXPECT_GE(right.left, cell.right - width - 3);

  canvas->FillRect(cell);
  WriteText(canvas, cell, 4, 3, "Hi", taCenter, false, false);
  InkBounds centre = BoundsOf(target.get(), clBlack);
  EXPECT_NEAR((centre.left + centre.right) / 2, (cell.left + cell.right) / 2, 3);
}

TEST_F(CellText, ACarriageReturnOrWrappingGoesOffscreenAndMakesLines) {
  const int lineHeight = canvas->TextHeight("W");
  WriteText(canvas, cell, 2, 2, "One\r\nTwo", taLeftJustify, false, false);
  InkBounds two = BoundsOf(target.get(), clBlack);
  EXPECT_GT(two.bottom - two.top, lineHeight);  // two lines, not one
  canvas->FillRect(cell);
  WriteText(canvas, cell, 2, 2, "alpha beta gamma delta epsilon zeta", taLeftJustify, true, false);
  InkBounds wrapped = BoundsOf(target.get(), clBlack);
  EXPECT_LT(wrapped.right, cell.right);
  EXPECT_GT(wrapped.bottom - wrapped.top, lineHeight);
  EXPECT_EQ(canvas->GetPixels(cell.left, cell.top), clWhite);  // the brush fills the copied cell
  EXPECT_EQ(canvas->GetPixels(cell.left - 1, cell.top), clYellow);
}

TEST_F(CellText, CellFunctionsOffsetByTheVerticalAlignment) {
  TCustomControl control(nullptr);
  control.GetCanvas()->SetHandle(canvas->GetHandle());
  control.GetCanvas()->GetFont()->SetColor(clBlack);
  control.GetCanvas()->GetBrush()->SetColor(clWhite);
  const int textHeight = control.GetCanvas()->TextHeight("W");
  DrawCellText(&control, 0, 0, "W", cell, taLeftJustify, vaBottomJustify);
  const InkBounds bottom = BoundsOf(target.get(), clBlack);
  EXPECT_GT(bottom.top, cell.top + HeightOf(cell) - textHeight - 1);
  EXPECT_LE(bottom.bottom, cell.bottom - 1);
  canvas->FillRect(cell);
  DrawCellTextEx(&control, 0, 0, "W", cell, taLeftJustify, vaTopJustify, false);
  const InkBounds top = BoundsOf(target.get(), clBlack);
  EXPECT_LT(top.bottom, cell.top + 2 + textHeight);
  EXPECT_GE(top.left, cell.left + 2);
  auto dot = art::Bitmap({"RR", "RR"});
  DrawCellBitmap(&control, 0, 0, dot.get(), Rect(0, 0, 7, 5));
  EXPECT_EQ(canvas->GetPixels(2, 1), clRed);  // at ((0 + 7 - 2) / 2, (0 + 5 - 2) / 2)
  EXPECT_EQ(canvas->GetPixels(3, 2), clRed);
  EXPECT_NE(canvas->GetPixels(4, 3), clRed);
  control.GetCanvas()->SetHandle(nullptr);
}

TEST_F(CellText, MinimizeTextAndAverageCharacterSize) {
  EXPECT_EQ(MinimizeText("", canvas, 0), "");
  EXPECT_EQ(MinimizeText("fits", canvas, 500), "fits");
  const AnsiString text = "A rather long title for a narrow cell";
  const int limit = canvas->TextWidth("A rather long");
  const AnsiString shortened = MinimizeText(text, canvas, limit);
  EXPECT_LE(canvas->TextWidth(shortened), limit);
  EXPECT_EQ(shortened.substr(shortened.size() - 3), "...");
  EXPECT_EQ(text.compare(0, shortened.size() - 3, shortened, 0, shortened.size() - 3), 0);
  EXPECT_EQ(MinimizeText("abcdef", canvas, 1), "...");
  EXPECT_EQ(MinimizeText("WWWWWWWW", canvas, canvas->TextWidth("WWWWWW...")), "WWWWWW...");  // two dropped first
  const TPoint size = GetAveCharSize(canvas);
  EXPECT_EQ(size.x, canvas->TextWidth("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 52);
  EXPECT_EQ(size.y, canvas->TextHeight("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
}

TEST(RotatedFont, CarriesTheFontsPropertiesAndTheAngle) {
  TFont font;
  font.SetName("default");
  font.SetHeight(-17);
  font.SetStyle({fsBold, fsUnderline});
  font.SetPitch(fpFixed);
  HFONT handle = CreateRotatedFont(&font, 45);
  LOGFONTA lf{};
  ASSERT_EQ(GetObjectA(handle, sizeof lf, &lf), static_cast<int>(sizeof lf));
  EXPECT_EQ(lf.lfEscapement, 450);
  EXPECT_EQ(lf.lfOrientation, 0);
  EXPECT_EQ(lf.lfHeight, -17);
  EXPECT_EQ(lf.lfWeight, FW_BOLD);
  EXPECT_EQ(lf.lfUnderline, 1);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfPitchAndFamily, FIXED_PITCH);
  EXPECT_STREQ(lf.lfFaceName, DefFontData.Name.c_str());
  DeleteObject(handle);
}

TEST(ScreenCanvas, TakesAScreenContextOfItsOwnAndMovesItsOrigin) {
  TScreenCanvas screen;
  screen.SetOrigin(10, 20);
  POINT p{0, 0};
  LPtoDP(screen.GetHandle(), &p, 1);
  EXPECT_EQ(p.x, 10);
  EXPECT_EQ(p.y, 20);
  HDC other = GetDC(nullptr);  // another screen context is not moved
  POINT q{0, 0};
  LPtoDP(other, &q, 1);
  EXPECT_EQ(q.x, 0);
  ReleaseDC(nullptr, other);
  screen.FillRect(Rect(0, 0, 5, 5));  // the screen shows nothing of it, and nothing fails
  screen.FreeHandle();
  EXPECT_FALSE(screen.HandleAllocated());
  screen.FreeHandle();
}

}  // namespace
