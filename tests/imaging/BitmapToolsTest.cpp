// Disabled (embossed) bitmaps, colour changes, grid cells and the image behind a control, read
// back from pixels.
#include <gtest/gtest.h>

#include "BitmapArt.h"
#include "imaging/QmUtils.h"
#include "tests/support/Spot.h"

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

// A parent 26 x 20, blue, with a red line down its column 5.
class TBackdrop : public TCustomControl {
 public:
  TBackdrop() : TCustomControl(nullptr) {
    SetBounds(0, 0, 26, 20);
    SetColor(clBlue);
  }
  bool PaintedAsCopy = false;

 protected:
  void Paint() override {
    PaintedAsCopy = (GetControlState() & csPaintCopy) != 0;
    GetCanvas()->GetBrush()->SetColor(clRed);
    GetCanvas()->FillRect(Rect(5, 0, 6, 20));
  }
};

// A windowed child that paints itself aqua.
class TPane : public TCustomControl {
 public:
  explicit TPane(TWinControl* Parent) : TCustomControl(Parent) { SetParent(Parent); }

 protected:
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(clAqua);
    GetCanvas()->FillRect(Rect(0, 0, GetWidth(), GetHeight()));
  }
};

using painting::TSpot;

class ParentImage : public ::testing::Test {
 protected:
  // The control is 10 x 10 at (4, 6); the children before it are a spot under it, a hidden one,
  // one beside it and a window over it; one more spot lies over it after it in the order.
  TBackdrop Parent;
  TSpot* Under = new TSpot(&Parent, Bounds(8, 8, 4, 4), clLime);
  TSpot* Hidden = new TSpot(&Parent, Bounds(12, 6, 2, 2), clYellow);
  TSpot* Beside = new TSpot(&Parent, Bounds(20, 8, 3, 3), clFuchsia);
  TPane* Window = new TPane(&Parent);
  TSpot* Control = new TSpot(&Parent, Bounds(4, 6, 10, 10), clBlack);
  TSpot* Over = new TSpot(&Parent, Bounds(6, 12, 2, 2), clAqua);
  // Larger than the control, and reaching past the parent's right edge.
  std::unique_ptr<TBitmap> Dest = art::Plain(24, 14, clWhite);
  void SetUp() override {
    Hidden->Hide();
    Window->SetBounds(10, 12, 3, 3);
  }
};

TEST_F(ParentImage, TheParentAndTheSpotsUnderTheControlBeforeItInTheOrder) {
  CopyParentImage(Control, Dest->GetCanvas());
  const char* plain = "BRBBBBBBBBBBBBBBBBBBBBWW";
  const char* under = "BRBBGGGGBBBBBBBBBBBBBBWW";
  EXPECT_EQ(art::Picture(Dest.get()),
            Rows({plain, plain, under, under, under, under, plain, plain, plain, plain, plain, plain, plain, plain}));
  EXPECT_TRUE(Parent.PaintedAsCopy);
  EXPECT_TRUE(Under->PaintedAsCopy);
  EXPECT_FALSE(Control->PaintedAsCopy);  // the control itself is not painted
  EXPECT_EQ(Parent.GetControlState() & csPaintCopy, 0u);
  EXPECT_EQ(Under->GetControlState() & csPaintCopy, 0u);
}

TEST_F(ParentImage, AFailureClearsTheMarksAndGivesTheCanvasItsStateBack) {
  Under->Fails = true;
  EXPECT_THROW(CopyParentImage(Control, Dest->GetCanvas()), Exception);
  EXPECT_EQ(Parent.GetControlState() & csPaintCopy, 0u);
  EXPECT_EQ(Under->GetControlState() & csPaintCopy, 0u);
  // No origin and no clip are left behind.
  TCanvas* canvas = Dest->GetCanvas();
  canvas->GetBrush()->SetColor(clYellow);
  canvas->FillRect(Rect(0, 0, 24, 14));
  EXPECT_EQ(canvas->GetPixels(0, 0), clYellow);
  EXPECT_EQ(canvas->GetPixels(23, 13), clYellow);
}

TEST_F(ParentImage, NothingWithoutAControlOrAParent) {
  const std::string before = art::Picture(Dest.get());
  CopyParentImage(nullptr, Dest->GetCanvas());
  auto* orphan = new TSpot(&Parent, Bounds(0, 0, 4, 4), clRed);  // owned by the parent still
  orphan->SetParent(nullptr);
  CopyParentImage(orphan, Dest->GetCanvas());
  EXPECT_EQ(art::Picture(Dest.get()), before);
}

}  // namespace
