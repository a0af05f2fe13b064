// GIF images as pictures: the frame list and its index, the property setters, assignment
// between images, frames, bitmaps and other pictures, drawing, greyscale and the registration
// that makes a ".gif" file a GIF image.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <unistd.h>

#include "imaging/AniFile.h"
#include "imaging/QmGIF.h"
#include "imaging/QmGIFTexts.h"
#include "imaging/QmUtils.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Icon.h"
#include "platform/win32/GlobalMemory.h"
#include "tests/imaging/AniFiles.h"
#include "tests/imaging/GifBytes.h"
#include "tests/imaging/GifTestUtil.h"

namespace {

using gif_bytes::Builder;
using gif_test::IndicesOf;
using gif_test::Loaded;
using gif_test::PalettedBitmap;

const std::vector<std::uint8_t> kFour = {0, 1, 2, 3};

// Three 2 x 2 frames against the grey global table, the second transparent at entry 2, a
// background colour and a comment.
std::unique_ptr<TGIFImage> ThreeFrames() {
  return Loaded(Builder()
                    .Head(4, 4, 2, 1)
                    .Image(0, 0, 2, 2, kFour)
                    .Control(0x01, 5, 2)
                    .Image(2, 0, 2, 2, {3, 2, 1, 0})
                    .Image(0, 2, 2, 2, {1, 1, 2, 2}, 2, 2)
                    .Comment({"made here"})
                    .End()
                    .bytes());
}

std::unique_ptr<TBitmap> Small(int bits = 4) {
  std::vector<RGBQUAD> colors;
  for (int i = 0; i < 1 << bits; ++i) colors.push_back({static_cast<BYTE>(i * 16), 200, static_cast<BYTE>(255 - i), 0});
  return PalettedBitmap(3, 2, bits, colors, {0, 1, 2, 3, 4, 5});
}

int ChangesDuring(TGIFImage& image, const std::function<void()>& change) {
  int changes = 0;
  image.OnChange = [&changes](TObject*) { ++changes; };
  change();
  image.OnChange = nullptr;
  return changes;
}

TEST(GifPicture, KeepsTheFrameIndexWithinTheList) {
  auto image = ThreeFrames();
  EXPECT_EQ(ChangesDuring(*image, [&] { image->SetFrameIndex(10); }), 1);
  EXPECT_EQ(image->GetFrameIndex(), 2);
  EXPECT_EQ(ChangesDuring(*image, [&] { image->SetFrameIndex(2); }), 0);
  image->SetFrameIndex(-5);
  EXPECT_EQ(image->GetFrameIndex(), -1);
  EXPECT_EQ(image->GetTransparentColor(), clNone);
  image->SetFrameIndex(1);
  EXPECT_EQ(image->GetTransparentColor(), 0x060402);
  EXPECT_TRUE(image->GetTransparent());
}

TEST(GifPicture, DeletesAndMovesFrames) {
  auto image = ThreeFrames();
  image->SetFrameIndex(2);
  image->DeleteFrame(2);
  EXPECT_EQ(image->GetCount(), 2);
  EXPECT_EQ(image->GetFrameIndex(), 1);
  EXPECT_EQ(image->GetScreenWidth(), 4);
  EXPECT_EQ(image->GetScreenHeight(), 2);
  TGIFFrame* second = image->GetFrames(1);
  image->MoveFrame(1, 0);
  EXPECT_EQ(image->GetFrames(0), second);
  EXPECT_EQ(image->GetFrameIndex(), 0);
  for (const auto& call : std::vector<std::function<void()>>{[&] { image->DeleteFrame(2); },
                                                              [&] { image->MoveFrame(0, 5); },
                                                              [&] { image->GetFrames(-1); }}) {
    try {
      call();
      ADD_FAILURE();
    } catch (const EListError& e) {
      EXPECT_EQ(e.Message.rfind("List index out of bounds (", 0), 0u) << e.Message;
    }
  }
  image->DeleteFrame(0);
  image->DeleteFrame(0);
  EXPECT_EQ(image->GetFrameIndex(), -1);
  EXPECT_TRUE(image->GetEmpty());
}

TEST(GifPicture, SettersStoreAndReportChanges) {
  TGIFImage image;
  EXPECT_EQ(ChangesDuring(image, [&] { image.SetRepeatCount(65535); }), 1);
  EXPECT_EQ(image.GetRepeatCount(), 30000);
  EXPECT_EQ(ChangesDuring(image, [&] { image.SetRepeatCount(40000); }), 0);
  EXPECT_EQ(ChangesDuring(image, [&] { image.SetLooping(false); }), 0);
  EXPECT_EQ(ChangesDuring(image, [&] { image.SetBackgroundColor(clRed); }), 1);
  for (const auto& resize : std::vector<std::function<void()>>{[&] { image.SetWidth(3); }, [&] { image.SetHeight(3); }}) {
    try {
      resize();
      ADD_FAILURE();
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message, SGIFNoResize);
    }
  }
  image.AddFrame(Small().get());
  TGIFFrame* frame = image.GetFrames(0);
  EXPECT_EQ(image.GetVersion(), gv87a);
  EXPECT_EQ(ChangesDuring(image, [&] { frame->SetAnimateInterval(0); }), 0);
  EXPECT_EQ(image.GetVersion(), gv87a);
  EXPECT_EQ(ChangesDuring(image, [&] { frame->SetDisposalMethod(dmLeave); }), 1);
  EXPECT_EQ(image.GetVersion(), gv89a);
  // A new place widens the screen to hold the frame's data.
  auto read = ThreeFrames();
  EXPECT_EQ(ChangesDuring(*read, [&] { read->GetFrames(0)->SetTopLeft(TPoint(5, 1)); }), 1);
  EXPECT_EQ(read->GetScreenWidth(), 7);
  EXPECT_EQ(read->GetScreenHeight(), 4);
}

TEST(GifPicture, AnImageAssignedFromAnotherSharesItsData) {
  auto source = ThreeFrames();
  source->SetFrameIndex(1);
  TGIFImage copy;
  copy.Assign(source.get());
  EXPECT_TRUE(copy.Equals(source.get()));
  EXPECT_EQ(copy.GetCount(), 3);
  EXPECT_EQ(copy.GetFrameIndex(), 1);
  EXPECT_EQ(copy.GetBackgroundColor(), source->GetBackgroundColor());
  EXPECT_EQ(IndicesOf(copy.GetFrames(2)->GetBitmap()), (std::vector<std::uint8_t>{1, 1, 2, 2}));
  EXPECT_EQ(copy.GetFrames(1)->GetTransparentColor(), 0x060402);
  // Lines added through the shared list are seen by both; setting the comment parts them.
  copy.GetComment()->Add("shared");
  EXPECT_EQ(source->GetComment()->GetCount(), 2);
  TStringList lines;
  lines.Add("copy only");
  copy.SetComment(&lines);
  EXPECT_FALSE(copy.Equals(source.get()));
  EXPECT_EQ(copy.GetComment()->GetStrings(0), "copy only");
  EXPECT_EQ(source->GetComment()->GetStrings(0), "made here");
  // An image assigned to itself stays as it is.
  const int before = source->GetCount();
  EXPECT_EQ(ChangesDuring(*source, [&] { source->Assign(source.get()); }), 0);
  EXPECT_EQ(source->GetCount(), before);
}

TEST(GifPicture, AFrameMovedIntoAnotherImageWritesItsTableAsLocal) {
  auto source = ThreeFrames();
  TGIFImage target;
  target.AddFrame(Small().get());
  target.AddFrame(Small().get());
  target.GetFrames(1)->Assign(source->GetFrames(0));
  TGIFImage back;
  {
    const std::vector<std::uint8_t> gif = gif_test::Saved(target);
    back.Assign(Loaded(gif).get());
  }
  ASSERT_EQ(back.GetCount(), 2);
  EXPECT_EQ(back.GetFrames(1)->GetColorCount(), 4);
  EXPECT_EQ(IndicesOf(back.GetFrames(1)->GetBitmap()), kFour);
  EXPECT_EQ(back.GetFrames(1)->GetBitmap()->GetCanvas()->GetPixels(1, 1), 0x090603);
}

TEST(GifPicture, AnImageTakesOneOfItsOwnFrames) {
  auto image = ThreeFrames();
  image->Assign(image->GetFrames(2));
  ASSERT_EQ(image->GetCount(), 1);
  EXPECT_EQ(image->GetFrameIndex(), 0);
  EXPECT_EQ(IndicesOf(image->GetBitmap()), (std::vector<std::uint8_t>{1, 1, 2, 2}));
  EXPECT_EQ(image->GetGlobalColorCount(), 4);
}

TEST(GifPicture, CopiesToAndFromBitmaps) {
  auto bitmap = Small();
  TGIFImage image;
  image.Assign(bitmap.get());
  EXPECT_EQ(image.GetCount(), 1);
  EXPECT_EQ(image.GetWidth(), 3);
  EXPECT_EQ(image.GetPixelFormat(), pf4bit);
  TBitmap out;
  out.Assign(&image);
  EXPECT_EQ(IndicesOf(&out), IndicesOf(bitmap.get()));
  TGIFImage empty;
  out.Assign(&empty);
  EXPECT_TRUE(out.GetEmpty());
  // Asking an empty image for its bitmap gives it one empty frame.
  EXPECT_TRUE(empty.GetBitmap()->GetEmpty());
  EXPECT_EQ(empty.GetCount(), 1);
  EXPECT_EQ(empty.GetFrameIndex(), 0);
}

// One frame per icon over the window colour, each shown for its jiffies of 1/60 s.
TEST(GifPicture, AnAnimatedCursorBecomesOneFramePerIcon) {
  using namespace anifiles;
  Header header;
  header.icons = header.steps = 4;
  header.rate = 6;
  TMemoryStream stream;
  // Each "rate" chunk times the next frame; the fourth keeps the header's rate.
  Fill(stream, Riff({Anih(header), Chunk("rate", Dwords({6})), Chunk("rate", Dwords({6})), Chunk("rate", Dwords({10})),
                     Frames({SolidIcon(4, 'R'), SolidIcon(4, 'G'), SolidIcon(8, 'B'), SolidIcon(24, 'Y')})}));
  TAnimatedCursorImage cursor;
  cursor.LoadFromStream(&stream);
  ASSERT_EQ(cursor.GetIconCount(), 4);
  TGIFImage image;
  image.Assign(&cursor);
  ASSERT_EQ(image.GetCount(), 4);
  EXPECT_EQ(image.GetBackgroundColor(), clWindow);
  EXPECT_EQ(image.GetVersion(), gv89a);
  EXPECT_EQ(image.GetFrameIndex(), 3);
  const WORD intervals[] = {100, 100, 166, 100};
  const TColor colours[] = {clRed, clLime, clBlue, clYellow};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(image.GetFrames(i)->GetAnimateInterval(), intervals[i]) << i;
    TBitmap frame;
    frame.Assign(image.GetFrames(i));
    EXPECT_EQ(frame.GetCanvas()->GetPixels(16, 16), colours[i]) << i;
  }
}

TEST(GifPicture, DrawsAnIconOnMagenta) {
  // A red 8 x 8 icon whose left half is transparent (white).
  auto picture = gif_test::TrueColorBitmap(8, 8, [](int x, int) { return x < 4 ? clWhite : clRed; });
  std::unique_ptr<TIcon> icon(CreateIconFromBitmap(picture.get(), clWhite));
  TGIFImage image;
  image.AddFrame(icon.get());
  TBitmap* bitmap = image.GetBitmap();
  ASSERT_EQ(bitmap->GetWidth(), icon->GetWidth());
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(1, 1), 0xFF00FF);
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(6, 6), clRed);
  EXPECT_EQ(image.GetFrames(0)->GetTransparentColor(), 0xFF00FF);
}

TEST(GifPicture, GrayscaleGreysTablesAndKeepsTransparency) {
  auto image = ThreeFrames();
  image->Grayscale(false);
  for (int i = 0; i < image->GetCount(); ++i) {
    for (TColor c : gif_test::ColorsOf(image->GetFrames(i)->GetBitmap())) {
      ASSERT_EQ(c & 0xFF, (c >> 8) & 0xFF);
      ASSERT_EQ(c & 0xFF, (c >> 16) & 0xFF);
    }
  }
  const TGIFColorTable& global = image->GetGlobalColorTable();
  EXPECT_EQ(global.Colors[3].Red, global.Colors[3].Blue);
  // Entry 1 (1, 2, 3) greys to 1; entry 2 (2, 4, 6) to 3.
  EXPECT_EQ(image->GetBackgroundColor(), 0x010101);
  EXPECT_EQ(image->GetFrames(1)->GetTransparentColor(), 0x030303);
  // The greyed image written and read again keeps its transparent entry.
  auto back = Loaded(gif_test::Saved(*image));
  EXPECT_EQ(back->GetFrames(1)->GetTransparentColor(), 0x030303);
  EXPECT_EQ(back->GetGlobalColorTable().Colors[2].Green, 3);

  TGIFImage built;
  built.AddFrame(gif_test::TrueColorBitmap(2, 1, [](int x, int) { return x ? clRed : clBlue; }).get());
  built.Grayscale(true);
  EXPECT_EQ(gif_test::ColorsOf(built.GetBitmap()), (std::vector<TColor>{0x1C1C1C, 0x4C4C4C}));
  TGIFImage none;
  EXPECT_THROW(none.Grayscale(false), EInvalidGraphicOperation);
}

TEST(GifPicture, DrawsTheCurrentFrame) {
  auto image = ThreeFrames();
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(4, 4);
  target.GetCanvas()->StretchDraw(TRect(0, 0, 4, 4), image.get());
  EXPECT_EQ(target.GetCanvas()->GetPixels(3, 3), 0x090603);
  EXPECT_EQ(target.GetCanvas()->GetPixels(0, 0), 0);
}

TEST(GifPicture, LeavesTheTransparentColourOutOnlyWhenTheImageIsTransparent) {
  auto image = ThreeFrames();
  image->SetFrameIndex(1);  // indices 3 2 / 1 0, index 2 transparent
  auto drawn = [&image] {
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.GetCanvas()->GetBrush()->SetColor(clWhite);
    target.SetSize(4, 4);
    target.GetCanvas()->StretchDraw(TRect(0, 0, 4, 4), image.get());
    return gif_test::ColorsOf(&target);
  };
  std::vector<TColor> pixels = drawn();
  EXPECT_EQ(pixels[0], 0x090603);
  EXPECT_EQ(pixels[2], clWhite);
  EXPECT_EQ(pixels[3], clWhite);
  EXPECT_EQ(pixels[15], 0);
  image->SetTransparent(false);
  pixels = drawn();
  EXPECT_EQ(pixels[2], 0x060402);
  EXPECT_EQ(pixels[15], 0);
}

TEST(GifPicture, CarriesTheTransparentColourToAndFromBitmaps) {
  auto image = ThreeFrames();
  image->SetFrameIndex(1);
  TBitmap out;
  out.Assign(image.get());
  EXPECT_TRUE(out.GetTransparent());
  EXPECT_EQ(ColorToRGB(out.GetTransparentColor()) & 0xFFFFFF, 0x060402);

  auto bitmap = Small();
  bitmap->SetTransparentColor(0x0ec820);
  bitmap->SetTransparent(true);
  TGIFImage from;
  from.Assign(bitmap.get());
  EXPECT_EQ(from.GetFrames(0)->GetTransparentColor(), 0x0ec820);
  EXPECT_TRUE(from.GetTransparent());
}

TEST(GifPicture, GoesToTheClipboardAsBitmapAndGifData) {
  auto image = ThreeFrames();
  Clipboard()->Assign(image.get());
  Clipboard()->Open();
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  ASSERT_TRUE(Clipboard()->HasFormat(CF_GIF));
  {
    HANDLE block = Clipboard()->GetAsHandle(CF_GIF);
    const auto* bytes = static_cast<const std::uint8_t*>(GlobalLock(block));
    std::int32_t count = 0;
    std::memcpy(&count, bytes, 4);
    EXPECT_EQ(static_cast<SIZE_T>(count) + 4, GlobalSize(block));
    EXPECT_EQ(std::string(bytes + 4, bytes + 10), "GIF89a");
    GlobalUnlock(block);
  }
  Clipboard()->Close();
  // A picture pasted from there is a GIF image of all the frames.
  TPicture picture;
  picture.Assign(Clipboard());
  auto* pasted = dynamic_cast<TGIFImage*>(picture.GetGraphic());
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(pasted->GetCount(), 3);
  EXPECT_EQ(IndicesOf(pasted->GetFrames(2)->GetBitmap()), (std::vector<std::uint8_t>{1, 1, 2, 2}));

  // Built from a bitmap and never written: the bitmap alone.
  TGIFImage built;
  built.AddFrame(Small().get());
  Clipboard()->Assign(&built);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_FALSE(Clipboard()->HasFormat(CF_GIF));
  Clipboard()->Clear();
}

TEST(GifPicture, TakesFrameZeroFromTheClipboardBitmap) {
  auto image = ThreeFrames();
  Clipboard()->Assign(image.get());
  // Another program's bitmap beside the GIF data.
  auto other = Small(8);
  WORD format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  other->SaveToClipboardFormat(format, data, palette);
  ASSERT_TRUE(OpenClipboard(nullptr));
  SetClipboardData(CF_BITMAP, data);
  CloseClipboard();
  DeleteObject(palette);
  TGIFImage pasted;
  Clipboard()->Open();
  pasted.LoadFromClipboardFormat(CF_BITMAP, Clipboard()->GetAsHandle(CF_BITMAP), nullptr);
  Clipboard()->Close();
  ASSERT_EQ(pasted.GetCount(), 3);
  EXPECT_EQ(pasted.GetFrameIndex(), 0);
  EXPECT_EQ(pasted.GetFrames(0)->GetBitmap()->GetWidth(), 3);
  EXPECT_EQ(IndicesOf(pasted.GetFrames(0)->GetBitmap()), IndicesOf(other.get()));
  EXPECT_EQ(IndicesOf(pasted.GetFrames(1)->GetBitmap()), (std::vector<std::uint8_t>{3, 2, 1, 0}));
  Clipboard()->Clear();  // what the clipboard holds at exit would count as leaked
}

TEST(GifPicture, IsThePictureOfGifFiles) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / ("qmgif_" + std::to_string(getpid()) + ".gif");
  {
    TMemoryStream stream;
    const gif_bytes::Bytes bytes = Builder().Head(2, 2, 2).Image(0, 0, 2, 2, kFour).End().bytes();
    stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    stream.SaveToFile(path.string());
  }
  TPicture picture;
  picture.LoadFromFile(path.string());
  std::filesystem::remove(path);
  auto* gif = dynamic_cast<TGIFImage*>(picture.GetGraphic());
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(gif->GetCount(), 1);
}

}  // namespace
