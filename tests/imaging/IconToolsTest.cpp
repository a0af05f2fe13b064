// Image lists, icons made from bitmaps and back, disabled image-list images, and bitmaps and
// icons from resources, read back from pixels.
#include <gtest/gtest.h>

#include "BitmapArt.h"
#include "imaging/QmUtils.h"
#include "platform/user/CommCtrl.h"
#include "platform/user/Icons.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"
#include "tests/support/IconFiles.h"

namespace {

std::string DrawnIcon(TIcon* icon, TColor background) {
  auto target = art::Plain(icon->GetWidth(), icon->GetHeight(), background);
  target->GetCanvas()->Draw(0, 0, icon);
  return art::Picture(target.get());
}

TEST(ImageList, StripsMasksAndIcons) {
  TImageList list(nullptr, 2, 2);
  auto strip = art::Bitmap({"RGMB", "MYGM"});
  EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
  EXPECT_EQ(list.GetCount(), 2);
  auto target = art::Plain(4, 2, clWhite);
  list.Draw(target->GetCanvas(), 0, 0, 0);
  list.Draw(target->GetCanvas(), 2, 0, 1);
  EXPECT_EQ(art::Picture(target.get()), Rows({"RGWB", "WYGW"}));
  ImageList_Draw(list.GetHandle(), 1, target->GetCanvas()->GetHandle(), 0, 0, ILD_MASK);
  EXPECT_EQ(art::Picture(target.get()).substr(0, 2), "WK");
  // An explicit mask: its white pixels are transparent.
  auto image = art::Bitmap({"RR", "RR"});
  auto mask = art::Bitmap({"WK", "KW"}, pf1bit);
  EXPECT_EQ(list.Add(image.get(), mask.get()), 2);
  TIcon icon;
  list.GetIcon(2, &icon);
  EXPECT_EQ(DrawnIcon(&icon, clBlue), Rows({"BR", "RB"}));
  EXPECT_EQ(list.AddIcon(&icon), 3);
  auto again = art::Plain(2, 2, clLime);
  list.Draw(again->GetCanvas(), 0, 0, 3);
  EXPECT_EQ(art::Picture(again.get()), Rows({"GR", "RG"}));
  list.SetBkColor(clYellow);  // an opaque background under the transparent pixels
  list.Draw(again->GetCanvas(), 0, 0, 3);
  EXPECT_EQ(art::Picture(again.get()), Rows({"YR", "RY"}));
  list.Delete(0);
  EXPECT_EQ(list.GetCount(), 3);
  EXPECT_THROW(list.Delete(7), EListError);
}

TEST(IconConversion, BitmapToIconAndBack) {
  auto bitmap = art::Bitmap({"RM", "MG"});
  std::unique_ptr<TIcon> icon(CreateIconFromBitmap(bitmap.get(), clFuchsia));
  ASSERT_EQ(icon->GetWidth(), 2);
  EXPECT_EQ(DrawnIcon(icon.get(), clYellow), Rows({"RY", "YG"}));
  std::unique_ptr<TIcon> byDefault(CreateIconFromBitmap(bitmap.get(), clDefault));  // the bottom-left pixel's colour
  EXPECT_EQ(DrawnIcon(byDefault.get(), clBlue), Rows({"RB", "BG"}));
  std::unique_ptr<TBitmap> back(CreateBitmapFromIcon(icon.get(), clAqua));
  EXPECT_EQ(art::Picture(back.get()), Rows({"RC", "CG"}));
  EXPECT_EQ(back->GetTransparentColor(), clAqua);
  EXPECT_TRUE(back->GetTransparent());
}

TEST(ImageListDrawDisabled, OpaquePixelsInGrayWithAHighlight) {
  TImageList list(nullptr, 3, 3);
  auto image = art::Bitmap({"RMM", "MRM", "MMM"});
  list.AddMasked(image.get(), clFuchsia);
  auto target = art::Plain(4, 4, clYellow);
  TCanvas* canvas = target->GetCanvas();
  canvas->GetBrush()->SetColor(clAqua);
  ImageListDrawDisabled(&list, canvas, 0, 0, 0, clWhite, clGray, true);
  EXPECT_EQ(art::Picture(target.get()), Rows({"DYYY", "YDYY", "YYWY", "YYYY"}));
  EXPECT_EQ(canvas->GetBrush()->GetColor(), clAqua);
  auto flat = art::Plain(3, 3, clYellow);
  ImageListDrawDisabled(&list, flat->GetCanvas(), 0, 0, 0, clWhite, clBlue, false);
  EXPECT_EQ(art::Picture(flat.get()), Rows({"BYY", "YBY", "YYY"}));
}

TEST(ResourcePictures, BitmapsAndIconsOfTheModule) {
  HINSTANCE program = GetModuleHandleA(nullptr);
  EXPECT_EQ(MakeBitmap("QM_MISSING"), nullptr);  // no failure reaches the caller
  EXPECT_EQ(MakeModuleBitmap(nullptr, MAKEINTRESOURCEA(32754)), nullptr);  // no system bitmaps here
  // A bitmap resource is a BMP without its file header: 2 x 1, 24 bits.
  static const std::vector<std::byte> dib = [] {
    std::vector<std::byte> d;
    iconfiles::Put(d, BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 2, 1, 1, 24, BI_RGB, 0, 0, 0, 0, 0});
    for (int v : {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0, 0}) d.push_back(std::byte{static_cast<unsigned char>(v)});
    return d;
  }();
  win32::RegisterResource(MAKEINTRESOURCEA(4242), RT_BITMAP, dib.data(), dib.size());
  std::unique_ptr<TBitmap> bitmap(MakeBitmapID(4242));
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(art::Picture(bitmap.get()), Rows({"RB"}));

  static const auto file = iconfiles::File(1, {{iconfiles::Square(32, 'G'), 8}});
  win32::RegisterResource("QM_TEST_ICON", RT_GROUP_ICON, file.data(), file.size());
  std::unique_ptr<TIcon> icon(MakeIcon("QM_TEST_ICON"));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->GetWidth(), 32);
  EXPECT_EQ(MakeModuleIcon(program, "QM_MISSING"), nullptr);
  std::unique_ptr<TIcon> system(MakeModuleIcon(nullptr, IDI_APPLICATION));
  EXPECT_NE(system, nullptr);
  EXPECT_EQ(MakeIconID(77), nullptr);
}

}  // namespace
