// Disabled (embossed) bitmaps, colour changes and grid cells, read back from pixels.
#include <gtest/gtest.h>

#include "BitmapArt.h"
#include "imaging/QmUtils.h"

namespace {

TEST(DisabledBitmap, OutlinePixelsInShadowWithAHighlightBelowRight) {
  auto source = art::Bitmap({"KWW", "WKW", "WWW"});
  std::unique_ptr<TBitmap> disabled(CreateDisabledBitmap(source.get(), clBlack));
  EXPECT_EQ(art::Picture(disabled.get()), Rows({"DSS", "SDS", "SSW"}));
  std::unique_ptr<TBitmap> flat(CreateDisabledBitmapEx(source.get(), clWhite, clBlue, clYellow, clRed, false));
  EXPECT_EQ(art::Picture(flat.get()), Rows({"BRR", "RBR", "RRR"}));
  // A colour the source does not have leaves only the back colour.
  std::unique_ptr<TBitmap> none(CreateDisabledBitmap(source.get(), clRed));
  EXPECT_EQ(art::Picture(none.get()), Rows({"SSS", "SSS", "SSS"}));
}

TEST(DisabledBitmap, AMonochromeSourceIsEmbossedWhereItIsBlack) {
  auto mono = art::Bitmap({"KW", "WK"}, pf1bit);
  std::unique_ptr<TBitmap> disabled(CreateDisabledBitmap(mono.get(), clRed));
  EXPECT_EQ(art::Picture(disabled.get()), Rows({"DS", "SD"}));
  EXPECT_TRUE(mono->GetMonochrome());  // the source is not changed
}

TEST(ChangeBitmapColor, ReplacesOneColourOnly) {
  auto source = art::Bitmap({"RGR", "BRK"}, pf8bit);
  std::unique_ptr<TBitmap> changed(ChangeBitmapColor(source.get(), clRed, clYellow));
  EXPECT_EQ(art::Picture(changed.get()), Rows({"YGY", "BYK"}));
  EXPECT_EQ(art::Picture(source.get()), Rows({"RGR", "BRK"}));
}

TEST(AssignBitmapCell, CopiesTheCellCountedAlongTheRows) {
  auto sheet = art::Plain(64, 32, clWhite);
  sheet->GetCanvas()->GetBrush()->SetColor(clRed);
  sheet->GetCanvas()->FillRect(Rect(16, 16, 32, 32));
  sheet->GetCanvas()->SetPixels(16, 16, clBlue);
  sheet->SetTransparentColor(clLime);
  sheet->SetTransparent(true);
  TBitmap cell;
  AssignBitmapCell(sheet.get(), &cell, 4, 2, 5);
  ASSERT_EQ(cell.GetWidth(), 16);
  ASSERT_EQ(cell.GetHeight(), 16);
  EXPECT_EQ(cell.GetCanvas()->GetPixels(0, 0), clBlue);
  EXPECT_EQ(cell.GetCanvas()->GetPixels(15, 15), clRed);
  EXPECT_EQ(cell.GetTransparentColor(), clLime);
  EXPECT_TRUE(cell.GetTransparent());
  // Columns and rows below 1 count as 1, a negative index as 0: the whole sheet.
  TBitmap whole;
  AssignBitmapCell(sheet.get(), &whole, 0, -3, -7);
  EXPECT_EQ(whole.GetWidth(), 64);
  EXPECT_EQ(whole.GetCanvas()->GetPixels(16, 16), clBlue);
  AssignBitmapCell(nullptr, &whole, 2, 2, 0);
  EXPECT_EQ(whole.GetWidth(), 64);
}

// A picture of another class: one blue pixel at (5, 0) of its own area.
class TDot : public TGraphic {
 public:
  bool GetEmpty() override { return false; }
  int GetWidth() override { return 8; }
  void SetWidth(int) override {}
  int GetHeight() override { return 2; }
  void SetHeight(int) override {}
  void LoadFromStream(TStream*) override {}
  void SaveToStream(TStream*) override {}
  std::unique_ptr<TGraphic> NewGraphic() const override { return std::make_unique<TDot>(); }

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override { ACanvas->SetPixels(Rect.left + 5, Rect.top, clBlue); }
};

TEST(AssignBitmapCell, OtherPicturesAreDrawnOverSilver) {
  TDot dot;
  TBitmap cell;
  AssignBitmapCell(&dot, &cell, 2, 1, 1);
  EXPECT_EQ(art::Picture(&cell), Rows({"SBSS", "SSSS"}));
}

}  // namespace
