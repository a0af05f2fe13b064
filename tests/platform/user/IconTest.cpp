// Icons and cursors: made from bitmaps and from checked file images, drawn by their masks onto
// pixels, the choice of image in a file, the system's set, resources and cursor files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "platform/gdi/GdiMemory.h"
#include "platform/user/IconFile.h"
#include "platform/user/Icons.h"
#include "platform/user/WinUser.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"
#include "tests/support/IconFiles.h"
#include "tests/support/Pictures.h"

namespace {

// A 32-bit bitmap in a memory context, read back as rows of letters.
struct Surface {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  int width, height;
  Surface(int w, int h, COLORREF fill) : width(w), height(h) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    old = SelectObject(dc, bitmap);
    HBRUSH b = CreateSolidBrush(fill);
    const RECT all{0, 0, w, h};
    FillRect(dc, &all, b);
    DeleteObject(b);
  }
  ~Surface() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  std::string Picture() const {
    std::string out;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const COLORREF c = GetPixel(dc, x, y);
        char letter = '?';
        for (char l : std::string("KWRGBY"))
          if (iconfiles::ColorOf(l) == c) letter = l;
        out += letter;
      }
      out += '\n';
    }
    return out;
  }
};

TEST(Icons, DrawnByMaskThenImageStretchedOrNot) {
  const auto file = iconfiles::File(1, {{{".R", "GB"}, 24}});
  HICON icon = user::CreateIconFromFile(file, 0, 0);
  ASSERT_NE(icon, nullptr);
  Surface s(4, 2, RGB(255, 255, 0));
  EXPECT_TRUE(DrawIconEx(s.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  EXPECT_TRUE(DrawIconEx(s.dc, 2, 0, icon, 0, 0, 0, nullptr, DI_MASK));
  EXPECT_EQ(s.Picture(), Rows({"YRYK", "GBKK"}));  // the mask alone blackens the opaque pixels
  Surface big(4, 4, RGB(255, 255, 0));
  DrawIconEx(big.dc, 0, 0, icon, 4, 4, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(big.Picture(), Rows({"YYRR", "YYRR", "GGBB", "GGBB"}));
  // Over a brush, put together offscreen first.
  Surface brushed(2, 2, RGB(0, 0, 0));
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  DrawIconEx(brushed.dc, 0, 0, icon, 0, 0, 0, white, DI_NORMAL);
  EXPECT_EQ(brushed.Picture(), Rows({"WR", "GB"}));
  DeleteObject(white);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  EXPECT_FALSE(DrawIconEx(s.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
}

TEST(Icons, IndirectIconsKeepCopiesAndMonochromeOnesInvert) {
  Surface colour(2, 1, RGB(0, 255, 0));
  SetPixel(colour.dc, 0, 0, RGB(0, 0, 0));  // black under the mask's transparent pixel
  Surface maskSource(2, 1, RGB(255, 255, 255));
  SetPixel(maskSource.dc, 1, 0, RGB(0, 0, 0));  // only the right pixel is opaque
  HBITMAP mask = CreateBitmap(2, 1, 1, 1, nullptr);
  HDC m = CreateCompatibleDC(nullptr);
  HGDIOBJ oldMask = SelectObject(m, mask);
  BitBlt(m, 0, 0, 2, 1, maskSource.dc, 0, 0, SRCCOPY);
  SelectObject(m, oldMask);
  SelectObject(colour.dc, colour.old);  // the colour bitmap is free to hand over
  ICONINFO info{TRUE, 0, 0, mask, colour.bitmap};
  HICON icon = CreateIconIndirect(&info);
  colour.old = SelectObject(colour.dc, colour.bitmap);
  DeleteObject(mask);  // the icon keeps its own copy
  Surface target(2, 1, RGB(255, 0, 0));
  DrawIconEx(target.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(target.Picture(), Rows({"RG"}));
  ICONINFO copy{};
  ASSERT_TRUE(GetIconInfo(icon, &copy));
  EXPECT_NE(copy.hbmColor, colour.bitmap);
  DeleteObject(copy.hbmMask);
  DeleteObject(copy.hbmColor);
  DestroyIcon(icon);

  // Without a colour bitmap the mask holds AND rows over XOR rows: AND 0 XOR 0 is black,
  // 0 1 white, 1 0 transparent, 1 1 inverts.
  const BYTE rows[4] = {0x30, 0, 0x50, 0};  // AND 0011, XOR 0101, each row padded to a word
  HBITMAP both = CreateBitmap(4, 2, 1, 1, rows);
  ICONINFO mono{TRUE, 0, 0, both, nullptr};
  HICON inverting = CreateIconIndirect(&mono);
  DeleteObject(both);
  Surface onRed(4, 1, RGB(255, 0, 0));
  DrawIconEx(onRed.dc, 0, 0, inverting, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(onRed.Picture(), Rows({"KWR?"}));
  EXPECT_EQ(GetPixel(onRed.dc, 3, 0), RGB(0, 255, 255));
  DestroyIcon(inverting);
}

TEST(Icons, EveryDepthReadsAndAlphaGivesTheMask) {
  for (int bits : {1, 4, 8, 24, 32}) {
    const auto file = iconfiles::File(1, {{{"KW", ".K"}, bits}});
    HICON icon = user::CreateIconFromFile(file, 0, 0);
    ASSERT_NE(icon, nullptr) << bits;
    Surface s(2, 2, RGB(255, 0, 0));
    DrawIconEx(s.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(s.Picture(), Rows({"KW", "RK"})) << bits;
    DestroyIcon(icon);
  }
  // A 32-bit image whose AND mask says opaque but whose alpha says clear is clear.
  auto file = iconfiles::File(1, {{{"RR"}, 32}});
  file[file.size() - 4 - 1] = std::byte{0};  // the second pixel's alpha, before the 4 bytes of AND row
  HICON alpha = user::CreateIconFromFile(file, 0, 0);
  Surface s(2, 1, RGB(0, 0, 255));
  DrawIconEx(s.dc, 0, 0, alpha, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(s.Picture(), Rows({"RB"}));
  DestroyIcon(alpha);
}

TEST(Icons, DamagedImagesAndDirectoriesAreRefused) {
  const auto file = iconfiles::File(1, {{iconfiles::Square(8, 'R'), 8}});
  ASSERT_TRUE(user::ReadIconFileDirectory(file));
  std::vector<std::byte> cut(file.begin(), file.end() - 1);
  EXPECT_FALSE(user::ReadIconFileDirectory(cut));  // the entry reaches past the end
  const auto image = iconfiles::ImageBytes({iconfiles::Square(8, 'R'), 8});
  EXPECT_NE(CreateIconFromResourceEx(reinterpret_cast<const BYTE*>(image.data()), static_cast<DWORD>(image.size()),
                                     TRUE, 0x30000, 0, 0, 0),
            nullptr);
  EXPECT_EQ(CreateIconFromResourceEx(reinterpret_cast<const BYTE*>(image.data()), static_cast<DWORD>(image.size() - 1),
                                     TRUE, 0x30000, 0, 0, 0),
            nullptr);
  auto huge = image;
  BITMAPINFOHEADER h;
  std::memcpy(&h, huge.data(), sizeof h);
  h.biWidth = 0x7FFFFFFF;
  std::memcpy(huge.data(), &h, sizeof h);
  EXPECT_EQ(CreateIconFromResourceEx(reinterpret_cast<const BYTE*>(huge.data()), static_cast<DWORD>(huge.size()), TRUE,
                                     0x30000, 0, 0, 0),
            nullptr);
  auto badType = file;
  badType[2] = std::byte{3};
  EXPECT_FALSE(user::ReadIconFileDirectory(badType));
}

// Counts that leave out the AND rows: an image takes its rows where they follow it, never from
// the image that starts after it.
TEST(Icons, AnImageCountedWithoutItsMaskTakesItOnlyBeforeTheNextImage) {
  const std::vector<std::string> holed{".R", "RR"};
  const auto file = iconfiles::File(1, {{holed, 8}, {holed, 24}});
  constexpr std::size_t kMaskRows = 2 * 4, kCount = 6 + 8, kOffset = 6 + 12;
  const auto dword = [](const std::vector<std::byte>& b, std::size_t at) {
    DWORD v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
  };
  const auto put = [](std::vector<std::byte>& b, std::size_t at, DWORD v) { std::memcpy(b.data() + at, &v, 4); };
  auto counted = file;  // the rows in place, the counts short
  for (std::size_t entry : {std::size_t{0}, std::size_t{16}}) put(counted, entry + kCount, dword(file, entry + kCount) - kMaskRows);
  auto packed = counted;  // the first image's rows left out, the second moved up to its colours' end
  const std::size_t firstEnd = dword(file, kOffset) + dword(counted, kCount);
  packed.erase(packed.begin() + static_cast<std::ptrdiff_t>(firstEnd),
               packed.begin() + static_cast<std::ptrdiff_t>(firstEnd + kMaskRows));
  put(packed, 16 + kOffset, static_cast<DWORD>(firstEnd));

  const auto whole = user::ReadIconFileDirectory(counted);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->entries[0].bytes, dword(file, kCount));
  EXPECT_EQ(whole->entries[1].bytes, dword(file, 16 + kCount));
  for (int index : {0, 1}) {
    HICON icon = user::CreateIconFromFileImage(counted, *whole, index, 0, 0);
    Surface s(2, 2, RGB(0, 0, 255));
    DrawIconEx(s.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    EXPECT_EQ(s.Picture(), Rows({"BR", "RR"})) << index;
    DestroyIcon(icon);
  }
  const auto cut = user::ReadIconFileDirectory(packed);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->entries[0].bytes, dword(counted, kCount));
  EXPECT_EQ(user::CreateIconFromFileImage(packed, *cut, 0, 0, 0), nullptr);
  EXPECT_EQ(cut->entries[1].bytes, dword(file, 16 + kCount));  // the last one's rows end the file
}

TEST(Icons, TheBestImageSuitsTheSizeThenTheDepth) {
  const auto file = iconfiles::File(1, {{iconfiles::Square(16, 'R'), 8},
                                        {iconfiles::Square(32, 'G'), 4},
                                        {iconfiles::Square(32, 'B'), 24},
                                        {iconfiles::Square(48, 'Y'), 32, {0, 0}, true}});
  const auto dir = user::ReadIconFileDirectory(file);
  ASSERT_TRUE(dir);
  EXPECT_TRUE(dir->entries[3].png);
  EXPECT_EQ(user::BestIconFileImage(*dir, 32, 32, 32), 2);
  EXPECT_EQ(user::BestIconFileImage(*dir, 32, 32, 8), 1);  // the most colours the depth shows
  EXPECT_EQ(user::BestIconFileImage(*dir, 16, 16, 32), 0);
  EXPECT_EQ(user::BestIconFileImage(*dir, 48, 48, 32), 2);  // the compressed one is not drawn
  HICON icon = user::CreateIconFromFile(file, 32, 32);
  Surface s(32, 32, RGB(0, 0, 0));
  DrawIconEx(s.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(GetPixel(s.dc, 16, 16), iconfiles::ColorOf('B'));
  DestroyIcon(icon);
}

TEST(Cursors, HotSpotsSystemCursorsAndFiles) {
  const auto file = iconfiles::File(2, {{iconfiles::Square(32, 'W'), 1, {6, 16}}});
  HCURSOR cursor = user::CreateIconFromFile(file, 0, 0);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 6u);
  EXPECT_EQ(info.yHotspot, 16u);
  DeleteObject(info.hbmMask);
  DeleteObject(info.hbmColor);
  const auto image = user::ImageOfCursor(cursor);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixels[0], 0u);  // the transparent border
  EXPECT_EQ(image->pixels[33], 0xFFFFFFFFu);
  DestroyCursor(cursor);

  HCURSOR wait = LoadCursorA(nullptr, IDC_WAIT);
  ASSERT_NE(wait, nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, IDC_WAIT), wait);
  EXPECT_TRUE(DestroyCursor(wait));
  EXPECT_EQ(user::ImageOfCursor(wait)->systemId, 32514);  // still there
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
}

TEST(Cursors, FromFilesAndResources) {
  const std::string dir = testing::TempDir();
  const auto cur = iconfiles::File(2, {{iconfiles::Square(16, 'K'), 4, {3, 4}}});
  const auto write = [&](const std::string& name, const std::vector<std::byte>& bytes) {
    std::ofstream(dir + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size()));
    return dir + name;
  };
  HCURSOR fromFile = LoadCursorFromFileA(write("qm_test.cur", cur).c_str());
  ASSERT_NE(fromFile, nullptr);
  EXPECT_EQ(user::ImageOfCursor(fromFile)->hotSpot.x, 3);
  DestroyCursor(fromFile);
  const auto riff = iconfiles::AnimatedCursorFile({cur});
  HCURSOR animated = LoadCursorFromFileA(write("qm_test.ani", riff).c_str());
  ASSERT_NE(animated, nullptr);
  EXPECT_EQ(user::ImageOfCursor(animated)->hotSpot.y, 4);
  DestroyCursor(animated);
  EXPECT_EQ(LoadCursorFromFileA(write("qm_test.txt", {std::byte{'x'}}).c_str()), nullptr);
  EXPECT_EQ(LoadCursorFromFileA((dir + "qm_missing.cur").c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  // A cursor resource holds the whole file; it is taken at the system's cursor size.
  static const auto kept = cur;
  win32::RegisterResource("QM_TEST_CURSOR", RT_GROUP_CURSOR, kept.data(), kept.size());
  HCURSOR resource = LoadCursorA(GetModuleHandleA(nullptr), "qm_test_cursor");
  ASSERT_NE(resource, nullptr);
  const auto image = user::ImageOfCursor(resource);
  EXPECT_EQ(image->width, GetSystemMetrics(SM_CXCURSOR));
  EXPECT_EQ(image->hotSpot.x, 3 * 32 / 16);
  DestroyCursor(resource);
  EXPECT_EQ(LoadCursorA(GetModuleHandleA(nullptr), "QM_NONE"), nullptr);
}

}  // namespace
