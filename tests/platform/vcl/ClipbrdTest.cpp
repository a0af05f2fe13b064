// The clipboard object: pictures placed and read back with their palettes, text, formats
// registered by picture classes, and the nesting of opening.
#include <gtest/gtest.h>

#include "platform/user/UserPeer.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/win32/GlobalMemory.h"

#include <cstring>

namespace {

class ClipboardObject : public ::testing::Test {
 protected:
  void SetUp() override { user::ResetForTest(); }
  void TearDown() override { user::ResetForTest(); }
};

std::unique_ptr<TBitmap> Strip(TPixelFormat format) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(format);
  b->SetSize(3, 1);
  b->GetCanvas()->SetPixels(0, 0, clRed);
  b->GetCanvas()->SetPixels(1, 0, clLime);
  b->GetCanvas()->SetPixels(2, 0, clBlue);
  return b;
}

TEST_F(ClipboardObject, BitmapsGoOnAndComeBackWithTheirPalette) {
  for (TPixelFormat format : {pf8bit, pf24bit}) {
    auto source = Strip(format);
    Clipboard()->Assign(source.get());
    EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
    EXPECT_EQ(Clipboard()->HasFormat(CF_PALETTE), format == pf8bit);
    TPicture picture;
    picture.Assign(Clipboard());
    TBitmap* pasted = dynamic_cast<TBitmap*>(picture.GetGraphic());
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->GetPixelFormat(), format);
    EXPECT_EQ(pasted->GetCanvas()->GetPixels(2, 0), clBlue);
    TBitmap direct;
    direct.Assign(Clipboard());
    EXPECT_EQ(direct.GetCanvas()->GetPixels(0, 0), clRed);
  }
  Clipboard()->Clear();
  TBitmap none;
  EXPECT_THROW(none.Assign(Clipboard()), EInvalidGraphic);
}

// The clipboard's device-independent form of a 5-5-5 bitmap, which other programs read, has the
// bit fields of its pixels.
TEST_F(ClipboardObject, AFiveFiveFiveBitmapKeepsItsLayoutInTheDeviceIndependentForm) {
  auto source = Strip(pf15bit);
  source->GetCanvas()->SetPixels(1, 0, static_cast<TColor>(RGB(0, 132, 0)));  // 5-bit green 16
  Clipboard()->Assign(source.get());
  Clipboard()->Open();
  HANDLE dib = Clipboard()->GetAsHandle(CF_DIB);
  ASSERT_NE(dib, nullptr);
  TBitmap pasted;
  pasted.LoadFromClipboardFormat(CF_DIB, dib, nullptr);
  Clipboard()->Close();
  EXPECT_EQ(pasted.GetPixelFormat(), pf15bit);
  EXPECT_EQ(pasted.GetCanvas()->GetPixels(0, 0), clRed);
  EXPECT_EQ(pasted.GetCanvas()->GetPixels(1, 0), static_cast<TColor>(RGB(0, 132, 0)));
  EXPECT_EQ(pasted.GetCanvas()->GetPixels(2, 0), clBlue);
}

TEST_F(ClipboardObject, OpeningNestsAndFailsWhenTakenElsewhere) {
  Clipboard()->Open();
  Clipboard()->Open();
  Clipboard()->Close();
  EXPECT_FALSE(OpenClipboard(nullptr));  // still open
  Clipboard()->Close();
  ASSERT_TRUE(OpenClipboard(nullptr));
  try {
    Clipboard()->Open();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "Cannot open clipboard");
  }
  CloseClipboard();
}

TEST_F(ClipboardObject, TextIsZeroTerminatedTextThatReplacesTheContents) {
  Clipboard()->Assign(Strip(pf24bit).get());
  Clipboard()->SetAsText("two\r\nlines");
  EXPECT_FALSE(Clipboard()->HasFormat(CF_BITMAP));
  ASSERT_TRUE(OpenClipboard(nullptr));
  HGLOBAL block = GetClipboardData(CF_TEXT);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 11u);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(block)), "two\r\nlines");
  GlobalUnlock(block);
  CloseClipboard();
  EXPECT_EQ(Clipboard()->GetAsText(), "two\r\nlines");
  Clipboard()->Clear();
  EXPECT_EQ(Clipboard()->GetAsText(), "");
  // Text another opener placed without its terminating zero reads up to the block's end.
  HGLOBAL bare = GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(GlobalLock(bare), "abc", 3);
  GlobalUnlock(bare);
  ASSERT_TRUE(OpenClipboard(nullptr));
  SetClipboardData(CF_TEXT, bare);
  CloseClipboard();
  EXPECT_EQ(Clipboard()->GetAsText(), "abc");
}

// A picture class with a clipboard format of its own.
class TTag : public TGraphic {
 public:
  bool GetEmpty() override { return Tag.empty(); }
  int GetWidth() override { return 1; }
  void SetWidth(int) override {}
  int GetHeight() override { return 1; }
  void SetHeight(int) override {}
  void LoadFromStream(TStream*) override {}
  void SaveToStream(TStream*) override {}
  std::unique_ptr<TGraphic> NewGraphic() const override { return std::make_unique<TTag>(); }
  void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) override {
    AFormat = static_cast<WORD>(RegisterClipboardFormatA("Quillmont Tag"));
    AData = GlobalAlloc(GMEM_MOVEABLE, Tag.size() + 1);
    std::strcpy(static_cast<char*>(GlobalLock(AData)), Tag.c_str());
    GlobalUnlock(AData);
    APalette = nullptr;
  }
  void LoadFromClipboardFormat(WORD, HANDLE AData, HPALETTE) override {
    Tag = static_cast<const char*>(GlobalLock(AData));
    GlobalUnlock(AData);
  }
  AnsiString Tag;

 protected:
  void Draw(TCanvas*, const TRect&) override {}
};

TEST_F(ClipboardObject, PictureClassesRegisterTheirFormats) {
  const auto format = static_cast<WORD>(RegisterClipboardFormatA("Quillmont Tag"));
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(format));
  TPicture::RegisterClipboardFormat(format, CreateGraphic<TTag>);
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(format));
  TTag tag;
  tag.Tag = "hello";
  Clipboard()->Assign(&tag);
  TPicture picture;
  picture.Assign(Clipboard());
  ASSERT_NE(dynamic_cast<TTag*>(picture.GetGraphic()), nullptr);
  EXPECT_EQ(static_cast<TTag*>(picture.GetGraphic())->Tag, "hello");
  TPicture::UnregisterGraphicClass(CreateGraphic<TTag>);
  EXPECT_FALSE(TPicture::SupportsClipboardFormat(format));
}

}  // namespace
