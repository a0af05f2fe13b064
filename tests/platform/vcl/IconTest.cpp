// The icon picture: exactly one file read and written back as it was, every image kept, the
// handle at the system's icon size, damaged files refused, icons made from handles saved.
#include <gtest/gtest.h>

#include "platform/gdi/GdiMemory.h"
#include "platform/user/IconFile.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Icon.h"
#include "tests/support/IconFiles.h"

namespace {

std::vector<std::byte> Saved(TIcon& icon) {
  TMemoryStream stream;
  icon.SaveToStream(&stream);
  const auto* p = static_cast<const std::byte*>(stream.GetMemory());
  return {p, p + stream.GetSize()};
}

void LoadBytes(TIcon& icon, const std::vector<std::byte>& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  icon.LoadFromStream(&stream);
}

std::unique_ptr<TBitmap> Drawn(TIcon& icon, int width, int height) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->GetCanvas()->GetBrush()->SetColor(clWhite);
  b->SetSize(width, height);
  b->GetCanvas()->StretchDraw(Rect(0, 0, width, height), &icon);
  return b;
}

const std::vector<std::byte>& ThreeImages() {
  static const auto file = iconfiles::File(1, {{iconfiles::Square(16, 'R'), 8},
                                               {iconfiles::Square(32, 'G'), 4},
                                               {iconfiles::Square(48, 'B'), 24}});
  return file;
}

TEST(IconPicture, ReadsExactlyOneFileAndWritesItBackWhole) {
  TMemoryStream stream;
  const auto& file = ThreeImages();
  stream.WriteBuffer(file.data(), static_cast<int>(file.size()));
  const char tail[] = "next";
  stream.WriteBuffer(tail, 4);
  stream.SetPosition(0);
  TIcon icon;
  icon.LoadFromStream(&stream);
  EXPECT_EQ(stream.GetPosition(), static_cast<std::int64_t>(file.size()));  // what follows stays for the next reader
  EXPECT_EQ(Saved(icon), file);
  EXPECT_EQ(icon.GetWidth(), 32);
  EXPECT_EQ(icon.GetHeight(), 32);
  auto drawn = Drawn(icon, 32, 32);
  EXPECT_EQ(drawn->GetCanvas()->GetPixels(16, 16), clLime);  // the 32 x 32 image
  EXPECT_EQ(drawn->GetCanvas()->GetPixels(0, 0), clWhite);  // its transparent border
  TIcon copy;
  copy.Assign(&icon);
  EXPECT_EQ(Saved(copy), file);
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.GetEmpty());
  EXPECT_EQ(copy.GetWidth(), 0);
  EXPECT_THROW(icon.SetWidth(16), EInvalidGraphicOperation);
}

TEST(IconPicture, DamagedFilesAreRefusedAndTheIconKept) {
  TIcon icon;
  LoadBytes(icon, ThreeImages());
  std::vector<std::byte> cut(ThreeImages().begin(), ThreeImages().end() - 1);
  EXPECT_THROW(LoadBytes(icon, cut), EInvalidGraphic);
  auto greedy = ThreeImages();
  greedy[6 + 8] = greedy[6 + 9] = greedy[6 + 10] = greedy[6 + 11] = std::byte{0xFF};  // 4 GiB in the first entry
  EXPECT_THROW(LoadBytes(icon, greedy), EInvalidGraphic);
  auto inside = ThreeImages();
  inside[6 + 12] = std::byte{0};  // an image that starts inside the directory
  inside[6 + 13] = std::byte{0};
  EXPECT_THROW(LoadBytes(icon, inside), EInvalidGraphic);
  EXPECT_THROW(LoadBytes(icon, {}), EInvalidGraphic);
  EXPECT_EQ(Saved(icon), ThreeImages());
  // Only compressed images: the file is kept, but there is nothing to draw.
  TIcon compressed;
  LoadBytes(compressed, iconfiles::File(1, {{iconfiles::Square(16, 'R'), 32, {0, 0}, true}}));
  EXPECT_THROW(compressed.GetHandle(), EInvalidGraphic);
}

TEST(IconPicture, AnIconMadeFromAHandleIsWrittenAsOneImage) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    const auto file = iconfiles::File(1, {{{"RG..", "BKWY", "....", "RRRR"}, bits == 16 ? 24 : bits}});
    HICON source = user::CreateIconFromFile(file, 0, 0);
    if (bits == 16) {
      // A colour bitmap of another depth is written at 32 bits.
      ICONINFO info{};
      GetIconInfo(source, &info);
      BITMAPINFO bi{};
      bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, 4, 1, 16, BI_RGB, 0, 0, 0, 0, 0};
      HBITMAP sixteen = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
      HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
      SelectObject(from, info.hbmColor);
      SelectObject(to, sixteen);
      BitBlt(to, 0, 0, 4, 4, from, 0, 0, SRCCOPY);
      DeleteDC(from);
      DeleteDC(to);
      DeleteObject(info.hbmColor);
      info.hbmColor = sixteen;
      DestroyIcon(source);
      source = CreateIconIndirect(&info);
      DeleteObject(info.hbmMask);
      DeleteObject(sixteen);
    }
    TIcon icon;
    icon.SetHandle(source);
    const auto written = Saved(icon);
    const auto dir = user::ReadIconFileDirectory(written);
    ASSERT_TRUE(dir) << bits;
    ASSERT_EQ(dir->entries.size(), 1u);
    EXPECT_EQ(dir->entries[0].bitCount, bits == 1 || bits == 4 || bits == 8 || bits == 24 ? bits : 32) << bits;
    TIcon again;
    LoadBytes(again, written);
    auto a = Drawn(icon, 4, 4), b = Drawn(again, 4, 4);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(a->GetCanvas()->GetPixels(x, y), b->GetCanvas()->GetPixels(x, y)) << bits << " at " << x << "," << y;
    if (bits != 1) {
      EXPECT_EQ(b->GetCanvas()->GetPixels(0, 0), clRed) << bits;
    }
    EXPECT_EQ(b->GetCanvas()->GetPixels(0, 2), clWhite) << bits;
  }
}

TEST(IconPicture, HandlesAreOwnedUntilReleased) {
  TIcon icon;
  LoadBytes(icon, ThreeImages());
  HICON handle = icon.ReleaseHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_FALSE(icon.HandleAllocated());
  EXPECT_NE(icon.GetHandle(), handle);  // a new one from the data kept
  EXPECT_TRUE(DestroyIcon(handle));
}

}  // namespace
