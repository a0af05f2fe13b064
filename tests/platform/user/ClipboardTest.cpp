// The clipboard without a toolkit and with a recording one: opening, ownership of the data, the
// two image formats standing for each other, registered formats, and the items the desktop sees.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/gdi/GdiMemory.h"
#include "platform/user/Clipboard.h"
#include "platform/user/UserPeer.h"
#include "platform/win32/GlobalMemory.h"
#include "platform/win32/Kernel32.h"

namespace {

class ClipboardPeer : public user::Peer {
 public:
  void StartToolkit() override {}
  void WindowChanged(HWND, const user::WindowState&) override {}
  void WindowDestroyed(HWND) override {}
  void ShowPixels(HWND, const gdi::PixelBuffer&) override {}
  int ShowMessageBox(HWND, const std::string&, const std::string&, UINT) override { return IDOK; }
  void SetCursorVisible(bool) override {}
  int ScreenCount() override { return 1; }
  void PumpEvents() override {}
  void WaitEvents() override {}
  void Wake() override {}
  bool NativeWindowExists(user::NativeId) override { return false; }
  bool NativeWindowViewable(user::NativeId) override { return false; }
  std::optional<SIZE> NativeWindowSize(user::NativeId) override { return std::nullopt; }
  void ReadNativePixels(user::NativeId, const gdi::PixelBuffer&) override {}
  void PutNativePixels(user::NativeId, const gdi::PixelBuffer&) override {}
  void PublishClipboard(const std::vector<user::ClipboardItem>& items) override { published = items; }
  std::optional<std::vector<user::ClipboardItem>> ReadClipboard() override { return desktop; }

  std::vector<user::ClipboardItem> published;
  std::optional<std::vector<user::ClipboardItem>> desktop;
};

// A 2 x 1 bitmap: red, blue.
HBITMAP RedBlue() {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 2, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  static_cast<std::uint32_t*>(bits)[0] = 0xFF0000;
  static_cast<std::uint32_t*>(bits)[1] = 0x0000FF;
  return b;
}

COLORREF PixelOf(HBITMAP b, int x) {
  const gdi::PixelBuffer px = gdi::PixelsOf(b);
  return gdi::ColorFromPixel(px, gdi::PixelAt(px, x, 0));
}

HGLOBAL Block(const char* text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
  std::strcpy(static_cast<char*>(GlobalLock(block)), text);
  GlobalUnlock(block);
  return block;
}

class Clipboard : public ::testing::Test {
 protected:
  void SetUp() override { user::ResetForTest(); }
  void TearDown() override {
    user::SetPeer(nullptr);
    user::ResetForTest();
  }
};

TEST_F(Clipboard, OneOpenerAndTheDataIsTheClipboards) {
  EXPECT_EQ(SetClipboardData(CF_BITMAP, RedBlue()), nullptr);  // not open
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  HBITMAP first = RedBlue();
  EXPECT_EQ(SetClipboardData(CF_BITMAP, first), first);
  HBITMAP second = RedBlue();
  SetClipboardData(CF_BITMAP, second);
  EXPECT_EQ(GetObjectA(first, 0, nullptr), 0);  // the replaced bitmap was freed
  EXPECT_EQ(SetClipboardData(CF_PALETTE, first), nullptr);  // not a palette
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);  // closed
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_PALETTE));
}

TEST_F(Clipboard, BitmapsAndDeviceIndependentBitmapsStandForEachOther) {
  OpenClipboard(nullptr);
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, RedBlue());
  HGLOBAL dib = GetClipboardData(CF_DIB);
  ASSERT_NE(dib, nullptr);
  const auto* p = static_cast<const std::byte*>(GlobalLock(dib));
  const std::vector<std::byte> bytes(p, p + GlobalSize(dib));
  GlobalUnlock(dib);
  BITMAPINFOHEADER h;
  std::memcpy(&h, bytes.data(), sizeof h);
  EXPECT_EQ(h.biWidth, 2);
  EXPECT_EQ(h.biHeight, 1);
  EXPECT_EQ(h.biBitCount, 32);
  // Only a DIB: a bitmap is made from it.
  EmptyClipboard();
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  std::memcpy(GlobalLock(copy), bytes.data(), bytes.size());
  GlobalUnlock(copy);
  SetClipboardData(CF_DIB, copy);
  HBITMAP made = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(PixelOf(made, 0), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(made, 1), RGB(0, 0, 255));
  // A DIB that does not add up makes no bitmap.
  EmptyClipboard();
  SetClipboardData(CF_DIB, Block("not a bitmap header at all, far too short?"));
  EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);
  CloseClipboard();
}

TEST_F(Clipboard, RegisteredFormatsAndTheirOrder) {
  const UINT icon = RegisterClipboardFormatA("Quillmont Icon");
  EXPECT_GE(icon, 0xC000u);
  EXPECT_EQ(RegisterClipboardFormatA("QUILLMONT ICON"), icon);
  EXPECT_NE(RegisterClipboardFormatA("Another"), icon);
  char name[8];
  EXPECT_EQ(GetClipboardFormatNameA(icon, name, sizeof name), 7);
  EXPECT_STREQ(name, "Quillmo");
  OpenClipboard(nullptr);
  EmptyClipboard();
  SetClipboardData(icon, Block("data"));
  SetClipboardData(CF_BITMAP, RedBlue());
  EXPECT_EQ(EnumClipboardFormats(0), icon);
  EXPECT_EQ(EnumClipboardFormats(icon), static_cast<UINT>(CF_BITMAP));
  EXPECT_EQ(EnumClipboardFormats(CF_BITMAP), 0u);
  EXPECT_EQ(CountClipboardFormats(), 2);
  EXPECT_STREQ(static_cast<const char*>(GlobalLock(GetClipboardData(icon))), "data");
  CloseClipboard();
}

TEST_F(Clipboard, TheDesktopSeesImagesPalettesAndRegisteredTypes) {
  ClipboardPeer peer;
  user::SetPeer(&peer);
  const UINT icon = RegisterClipboardFormatA("Quillmont Icon");
  OpenClipboard(nullptr);
  EmptyClipboard();
  SetClipboardData(CF_BITMAP, RedBlue());
  LOGPALETTE pal{0x300, 1, {{1, 2, 3, 0}}};
  SetClipboardData(CF_PALETTE, CreatePalette(&pal));
  SetClipboardData(icon, Block("ico"));
  EXPECT_TRUE(peer.published.empty());  // nothing until the clipboard is closed
  CloseClipboard();
  ASSERT_EQ(peer.published.size(), 3u);
  const auto& bmp = peer.published[0];
  EXPECT_EQ(bmp.type, "image/bmp");
  BITMAPFILEHEADER file;
  std::memcpy(&file, bmp.data.data(), sizeof file);
  const WORD type = file.bfType;  // copies: the packed header's fields are not aligned
  const DWORD size = file.bfSize, offset = file.bfOffBits;
  EXPECT_EQ(type, 0x4D42);
  EXPECT_EQ(size, bmp.data.size());
  EXPECT_EQ(offset, 14u + 40u);
  EXPECT_EQ(peer.published[1].type, "application/x-qm-palette");
  EXPECT_EQ(peer.published[2].type, "application/x-qm-clipboard;name=Quillmont%20Icon");

  // Another program's data: a BMP file, a damaged one, and a registered type of this program.
  peer.desktop = std::vector<user::ClipboardItem>{
      bmp,
      {"application/x-qm-clipboard;name=Other%20Format", {std::byte{'x'}}},
  };
  ASSERT_TRUE(OpenClipboard(nullptr));
  HBITMAP pasted = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(PixelOf(pasted, 1), RGB(0, 0, 255));
  const UINT other = RegisterClipboardFormatA("other format");
  ASSERT_NE(GetClipboardData(other), nullptr);
  EXPECT_EQ(GlobalSize(GetClipboardData(other)), 1u);
  EXPECT_EQ(GetClipboardData(icon), nullptr);  // the desktop's contents replaced this program's
  CloseClipboard();
  peer.desktop = std::vector<user::ClipboardItem>{{"image/bmp", {std::byte{'B'}, std::byte{'M'}, std::byte{1}}}};
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
}

}  // namespace
