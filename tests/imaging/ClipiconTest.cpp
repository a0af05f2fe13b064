// Real-size icons: the image chosen for each display depth, drawn at its own size; the data of
// type 0 and of cursors; the size of a monochrome handle; damaged data refused. The icon
// clipboard: a copied icon pastes back in this program and in a second one, beside a bitmap.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "imaging/Clipicon.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/user/Icons.h"
#include "platform/qt/QtPlatform.h"
#include "platform/user/Clipboard.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/GlobalMemory.h"
#include "tests/imaging/AniFiles.h"
#include "tests/support/DesktopDepth.h"

namespace {

using anifiles::Bytes;
using anifiles::FileBytes;
using anifiles::IconFrom;
using anifiles::SavedBytes;
using anifiles::SolidIcon;

// An icon whose file data is whatever the test says, as a damaged or unusual file would hold.
class DataIcon : public TIcon {
 public:
  explicit DataIcon(Bytes data) : data_(std::move(data)) {}
  void SaveToStream(TStream* Stream) override { Stream->WriteBuffer(data_.data(), static_cast<int>(data_.size())); }

 private:
  Bytes data_;
};

SIZE RealSize(TIcon* icon) {
  HICON handle = CreateRealSizeIcon(icon);
  SIZE size{0, 0};
  int w = 0, h = 0;
  GetIconSize(handle, w, h);
  DestroyIcon(handle);
  size.cx = w, size.cy = h;
  return size;
}

std::unique_ptr<TBitmap> Canvas(int side, TColor color) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->GetCanvas()->GetBrush()->SetColor(color);
  b->SetSize(side, side);
  return b;
}

// A 2-, a 16- and a 256-colour image in that order (colour bytes 2, 16, 0), each of its own
// size and colour.
Bytes ThreeDepths() {
  const auto square = [](int side, char letter) {
    return std::vector<std::string>(static_cast<std::size_t>(side), std::string(static_cast<std::size_t>(side), letter));
  };
  return iconfiles::File(1, {{square(16, 'W'), 1}, {square(24, 'R'), 4}, {square(40, 'B'), 8}});
}

TEST(RealSizeIcon, TakesTheImageThatSuitsTheDisplaysColours) {
  struct Case {
    int bits;
    int side;
    TColor color;
  };
  const Case cases[] = {{1, 16, clWhite}, {4, 24, clRed}, {8, 24, clRed}, {16, 40, clBlue}, {24, 40, clBlue}, {32, 40, clBlue}};
  const auto icon = IconFrom(ThreeDepths());
  for (const Case& c : cases) {
    DesktopDepth depth(c.bits);
    const SIZE size = RealSize(icon.get());
    EXPECT_EQ(size.cx, c.side) << c.bits;
    EXPECT_EQ(size.cy, c.side) << c.bits;
    const auto canvas = Canvas(48, clBlack);
    DrawRealSizeIcon(canvas->GetCanvas(), icon.get(), 2, 3);
    EXPECT_EQ(canvas->GetCanvas()->GetPixels(2, 3), c.color) << c.bits;
    EXPECT_EQ(canvas->GetCanvas()->GetPixels(c.side + 1, c.side + 2), c.color) << c.bits;
    EXPECT_EQ(canvas->GetCanvas()->GetPixels(c.side + 2, c.side + 2), clBlack) << c.bits;
    EXPECT_EQ(canvas->GetCanvas()->GetPixels(1, 3), clBlack) << c.bits;
  }
}

TEST(RealSizeIcon, DrawsTransparentPixelsAsTheBackground) {
  std::vector<std::string> holed(20, std::string(20, 'G'));
  holed[0][0] = '.';
  const auto icon = IconFrom(iconfiles::File(1, {{holed, 8}}));
  const auto canvas = Canvas(24, clTeal);
  DrawRealSizeIcon(canvas->GetCanvas(), icon.get(), 0, 0);
  EXPECT_EQ(canvas->GetCanvas()->GetPixels(0, 0), clTeal);
  EXPECT_EQ(canvas->GetCanvas()->GetPixels(1, 0), clLime);
  EXPECT_EQ(canvas->GetCanvas()->GetPixels(19, 19), clLime);
  EXPECT_EQ(canvas->GetCanvas()->GetPixels(20, 19), clTeal);
}

TEST(RealSizeIcon, TypeZeroGivesTheApplicationIconAndACursorACopyOfItsHandle) {
  Bytes stock = ThreeDepths();
  stock[2] = std::byte{0};
  DataIcon typeZero(stock);
  HICON application = LoadIconA(nullptr, IDI_APPLICATION);
  int appWidth = 0, appHeight = 0;
  GetIconSize(application, appWidth, appHeight);
  const SIZE size = RealSize(&typeZero);
  EXPECT_EQ(size.cx, appWidth);
  EXPECT_EQ(size.cy, appHeight);

  // A 48-pixel cursor keeps the size of its own handle (the system's icon size); the same
  // image as an icon comes at its own size.
  const auto cursor = IconFrom(SolidIcon(4, 'R', 48, 2));
  const auto icon = IconFrom(SolidIcon(4, 'R', 48));
  EXPECT_EQ(RealSize(cursor.get()).cx, GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(RealSize(icon.get()).cx, 48);
}

TEST(RealSizeIcon, AMonochromeHandleMeasuresHalfItsMask) {
  // One mask bitmap twice the icon's height: the AND rows over the XOR rows.
  std::vector<BYTE> rows(2 * 16 * 2, 0x00);
  std::fill(rows.begin() + 2 * 16, rows.end(), BYTE{0xFF});
  HBITMAP mask = CreateBitmap(16, 32, 1, 1, rows.data());
  ICONINFO made{TRUE, 0, 0, mask, nullptr};
  HICON mono = CreateIconIndirect(&made);
  DeleteObject(mask);
  int width = 0, height = 0;
  GetIconSize(mono, width, height);
  EXPECT_EQ(width, 16);
  EXPECT_EQ(height, 16);
  DestroyIcon(mono);
  GetIconSize(nullptr, width, height);  // no icon: the system's size
  EXPECT_EQ(width, GetSystemMetrics(SM_CXICON));
}

// Data the icon's own reader took but that does not hold the image its directory names.
TEST(RealSizeIcon, RefusesDataThatDoesNotHoldItsImage) {
  const Bytes good = SolidIcon(4, 'R', 16);
  const auto with = [&](std::size_t at, std::uint32_t value, int bytes) {
    Bytes b = good;
    for (int i = 0; i < bytes; ++i) b[at + static_cast<std::size_t>(i)] = std::byte(value >> (8 * i) & 0xFF);
    return b;
  };
  const Bytes cases[] = {
      with(4, 0, 2),             // no entries
      with(4, 200, 2),           // more entries than the data holds
      with(18, 0x7FFFFFF0, 4),   // image beyond the data
      with(22, 12, 4),           // a header other than 40 bytes
      with(22 + 8, 0, 4),        // height 0
      with(22 + 14, 7, 2),       // no such bit count
      with(22 + 4, 0x10000, 4),  // wider than the rows present
      Bytes(good.begin(), good.begin() + 4),
  };
  for (const Bytes& data : cases) {
    DataIcon icon(data);
    EXPECT_ANY_THROW(CreateRealSizeIcon(&icon));
    try {
      CreateRealSizeIcon(&icon);
    } catch (const EInvalidGraphic& e) {
      EXPECT_EQ(e.Message, "Icon image is not valid");
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message, "Stream read error");
    }
  }
}

// ---- The icon clipboard

// A 48-pixel red icon whose top-left pixel is transparent.
std::unique_ptr<TIcon> HoledIcon() {
  std::vector<std::string> rows(48, std::string(48, 'R'));
  rows[0][0] = '.';
  return IconFrom(iconfiles::File(1, {{rows, 4}}));
}

// The clipboard as at the program's start: empty, with the icon format registered. The reset
// forgets the registered names, so the format is registered anew.
void FreshClipboard() {
  user::ResetClipboardForTest();
  CF_ICON = 0;
  ClipiconInitialization();
}

class IconClipboard : public ::testing::Test {
 protected:
  void SetUp() override { FreshClipboard(); }
  void TearDown() override { user::ResetClipboardForTest(); }
};

TEST_F(IconClipboard, TheFormatIsRegisteredOnceAtStartUp) {
  const WORD first = CF_ICON;
  EXPECT_GE(first, 0xC000);
  EXPECT_EQ(RegisterClipboardFormatA("quillmont icon"), first);
  ClipiconInitialization();
  EXPECT_EQ(CF_ICON, first);
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_ICON));
}

TEST_F(IconClipboard, WithoutAnIconNothingIsPasted) {
  EXPECT_EQ(CreateIconFromClipboard(), nullptr);
  const auto icon = HoledIcon();
  const Bytes before = SavedBytes(icon.get());
  AssignClipboardIcon(icon.get());
  EXPECT_EQ(SavedBytes(icon.get()), before);
}

TEST_F(IconClipboard, ACopiedIconPastesBackBesideABitmapOfItsRealSize) {
  const auto icon = HoledIcon();
  CopyIconToClipboard(icon.get(), clTeal);
  const auto pasted = CreateIconFromClipboard();
  ASSERT_NE(pasted, nullptr);
  EXPECT_EQ(SavedBytes(pasted.get()), SavedBytes(icon.get()));
  TIcon into;
  AssignClipboardIcon(&into);
  EXPECT_EQ(SavedBytes(&into), SavedBytes(icon.get()));

  TBitmap bitmap;
  bitmap.Assign(Clipboard());
  ASSERT_EQ(bitmap.GetWidth(), 48);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(0, 0), clTeal);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(47, 47), clRed);
  EXPECT_FALSE(Clipboard()->HasFormat(CF_PALETTE));  // the class library's new bitmaps have none

  // Asked for by its format, the picture class makes an icon of the data.
  TPicture picture;
  Clipboard()->Open();
  picture.LoadFromClipboardFormat(CF_ICON, Clipboard()->GetAsHandle(CF_ICON), nullptr);
  Clipboard()->Close();
  ASSERT_NE(dynamic_cast<TIcon*>(picture.GetGraphic()), nullptr);
  EXPECT_EQ(SavedBytes(static_cast<TIcon*>(picture.GetGraphic())), SavedBytes(icon.get()));
}

TEST_F(IconClipboard, WithoutMemoryForTheDataOnlyTheBitmapIsPlaced) {
  const auto icon = HoledIcon();
  win32::SetGlobalMemoryLimit(16);
  CopyIconToClipboard(icon.get(), clTeal);
  win32::SetGlobalMemoryLimit(0);
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  EXPECT_FALSE(Clipboard()->HasFormat(CF_ICON));
  EXPECT_EQ(CreateIconFromClipboard(), nullptr);
}

// Through the desktop's clipboard: this program copies, a second one pastes while this one
// answers its requests.
TEST(IconClipboardPeer, ASecondProgramPastesTheCopiedIcon) {
  if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X display to share a clipboard on";
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  ResetApplicationForTest();
  ASSERT_TRUE(qt::Install());
  Application->Initialize();
  FreshClipboard();
  const auto icon = HoledIcon();
  CopyIconToClipboard(icon.get(), clTeal);

  const auto folder = std::filesystem::temp_directory_path() / ("icon-paste-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  const std::string iconFile = (folder / "pasted.ico").string(), bitmapFile = (folder / "pasted.bmp").string();
  const char* args[] = {QM_ICON_PASTE, iconFile.c_str(), bitmapFile.c_str(), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, QM_ICON_PASTE, nullptr, nullptr, const_cast<char**>(args), environ), 0);
  int status = -1;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (waitpid(child, &status, WNOHANG) == 0) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the second program did not finish";
    Application->ProcessMessages();  // the clipboard's owner answers the second program
    usleep(5000);
  }
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the second program found no icon";
  EXPECT_EQ(FileBytes(iconFile), SavedBytes(icon.get()));
  TBitmap bitmap;
  bitmap.LoadFromFile(bitmapFile);
  ASSERT_EQ(bitmap.GetWidth(), 48);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(0, 0), clTeal);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(20, 20), clRed);
  std::filesystem::remove_all(folder);
  user::ResetClipboardForTest();
  ResetApplicationForTest();
  qt::Uninstall();
}

}  // namespace
