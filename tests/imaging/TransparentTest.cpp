// Transparent draws against pixels: the key colour shows the destination, stretching scales the
// mask with the colours, and the colour choices of the canvas-level draws.
#include <gtest/gtest.h>

#include "BitmapArt.h"
#include "imaging/QmUtils.h"

namespace {

TEST(TransparentDraw, TheKeyColourShowsTheDestinationStretchedOrNot) {
  auto source = art::Bitmap({"MGM", "RMB"});
  auto target = art::Plain(6, 4, clYellow);
  DrawBitmapTransparent(target->GetCanvas(), 1, 1, source.get(), clFuchsia);
  EXPECT_EQ(art::Picture(target.get()), Rows({"YYYYYY", "YYGYYY", "YRYBYY", "YYYYYY"}));
  auto stretched = art::Plain(6, 4, clYellow);
  StretchBitmapRectTransparent(stretched->GetCanvas(), 0, 0, 6, 4, Rect(0, 0, 3, 2), source.get(), clFuchsia);
  EXPECT_EQ(art::Picture(stretched.get()), Rows({"YYGGYY", "YYGGYY", "RRYYBB", "RRYYBB"}));
}

TEST(TransparentDraw, ColourChoices) {
  auto source = art::Bitmap({"GR", "BG"});
  // clDefault: the bottom-left pixel's colour (blue) is the transparent one.
  auto byDefault = art::Plain(2, 2, clWhite);
  DrawBitmapTransparent(byDefault->GetCanvas(), 0, 0, source.get(), clDefault);
  EXPECT_EQ(art::Picture(byDefault.get()), Rows({"GR", "WG"}));
  // clNone: an opaque stretch with the canvas's copy mode.
  auto opaque = art::Plain(2, 2, clWhite);
  opaque->GetCanvas()->SetCopyMode(cmSrcInvert);
  DrawBitmapTransparent(opaque->GetCanvas(), 0, 0, source.get(), clNone);
  EXPECT_EQ(art::Picture(opaque.get()), Rows({"MC", "YM"}));  // white XOR each colour
  // A system colour is resolved: button face is silver.
  auto silver = art::Bitmap({"SG"});
  auto onRed = art::Plain(2, 1, clRed);
  DrawBitmapTransparent(onRed->GetCanvas(), 0, 0, silver.get(), clBtnFace);
  EXPECT_EQ(art::Picture(onRed.get()), Rows({"RG"}));
}

TEST(TransparentDraw, MonochromeBitmapsAreTransparentWhereWhite) {
  auto mono = art::Bitmap({"KW", "WK"}, pf1bit);
  ASSERT_TRUE(mono->GetMonochrome());
  auto target = art::Plain(2, 2, clRed);
  DrawBitmapTransparent(target->GetCanvas(), 0, 0, mono.get(), clBlack);  // the colour passed is not used
  EXPECT_EQ(art::Picture(target.get()), Rows({"KR", "RK"}));
}

TEST(TransparentDraw, ZeroSizesMeanTheWholeBitmap) {
  auto source = art::Bitmap({"MG", "RM"});
  auto target = art::Plain(3, 2, clYellow);
  StretchBitmapRectTransparent(target->GetCanvas(), 1, 0, 0, 0, Rect(0, 0, 0, 2), source.get(), clFuchsia);
  EXPECT_EQ(art::Picture(target.get()), Rows({"YYG", "YRY"}));
  auto part = art::Plain(2, 1, clYellow);
  DrawBitmapRectTransparent(part->GetCanvas(), 0, 0, Rect(0, 1, 2, 2), source.get(), clFuchsia);
  EXPECT_EQ(art::Picture(part.get()), Rows({"RY"}));
}

TEST(TransparentDraw, PalettedSourcesAndRawHandles) {
  auto source = art::Bitmap({"MGB"}, pf8bit);
  ASSERT_NE(source->GetPalette(), nullptr);
  auto target = art::Plain(3, 1, clYellow);
  DrawBitmapTransparent(target->GetCanvas(), 0, 0, source.get(), clFuchsia);
  EXPECT_EQ(art::Picture(target.get()), Rows({"YGB"}));
  auto raw = art::Plain(3, 1, clRed);
  DrawTransparentBitmap(raw->GetCanvas()->GetHandle(), source->GetHandle(), 1, 0, PaletteColor(clLime));
  EXPECT_EQ(art::Picture(raw.get()), Rows({"RMR"}));
}

TEST(TransparentDraw, TheSourceCanvasIsLeftAsItWas) {
  auto source = art::Bitmap({"MG"});
  int changes = 0;
  source->GetCanvas()->OnChanging = [&changes](TObject*) { ++changes; };
  auto target = art::Plain(2, 1, clYellow);
  DrawBitmapTransparent(target->GetCanvas(), 0, 0, source.get(), clFuchsia);
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(static_cast<bool>(source->GetCanvas()->OnChanging));
  EXPECT_EQ(source->GetCanvas()->GetLockCount(), 0);
}

}  // namespace
