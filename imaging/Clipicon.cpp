// Real-size icons. An icon's file data is read here a second time, for the image the display
// suits best, so every offset and size of it is checked again.
#include "imaging/Clipicon.h"

#include <cstring>
#include <vector>

#include "imaging/QmUtils.h"
#include "platform/user/IconFile.h"
#include "platform/user/Icons.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/ImageLimits.h"
#include "platform/win32/Kernel32.h"

namespace {

[[noreturn]] void OutOfResources() { throw EOutOfResources(ResStr("Out of system resources")); }
[[noreturn]] void InvalidIcon() { throw EInvalidGraphic(ResStr("Icon image is not valid")); }

// The screen's device context for the length of one step.
class ScreenContext {
 public:
  ScreenContext() : dc_(GetDC(nullptr)) {
    if (dc_ == nullptr) OutOfResources();
  }
  ~ScreenContext() { ReleaseDC(nullptr, dc_); }
  ScreenContext(const ScreenContext&) = delete;
  ScreenContext& operator=(const ScreenContext&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

struct IconDirHeader {
  WORD Reserved;
  WORD Type;
  WORD Count;
};
static_assert(sizeof(IconDirHeader) == 6);

// The display's colour count as icon directories count colours: 16 bits and more give 0, as
// images of 256 colours and more have 0 in their colour byte.
WORD DisplayColorCount() {
  ScreenContext dc;
  switch (GetDeviceCaps(dc.get(), PLANES) * GetDeviceCaps(dc.get(), BITSPIXEL)) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    case 15: return 32768;
    default: return 0;
  }
}

// An exact match of the display's count; else the first entry of no more colours than the
// display shows, replaced by any later one of more colours than that first one. Compressed
// images count 0 colours but cannot be drawn here: they take no part, as for the icon itself.
std::size_t BestImage(const std::vector<user::IconFileEntry>& Entries, WORD DisplayColors) {
  int candidate = -1;
  WORD remembered = 0;
  for (std::size_t i = 0; i < Entries.size(); ++i) {
    if (Entries[i].png) continue;
    const auto colors = static_cast<WORD>(Entries[i].colorCount);
    if (colors == DisplayColors) return i;
    if (candidate < 0) {
      if (colors <= DisplayColors) {
        candidate = static_cast<int>(i);
        remembered = colors;
      }
    } else if (colors > remembered) {
      candidate = static_cast<int>(i);
    }
  }
  return candidate < 0 ? 0 : static_cast<std::size_t>(candidate);
}

// A new bitmap of Size holding Source stretched: monochrome, or compatible with the screen.
vcl::GdiBitmap CopyBitmapAtSize(HBITMAP Source, SIZE Size, bool Monochrome) {
  ScreenContext screen;
  vcl::MemoryDC from(CreateCompatibleDC(screen.get())), to(CreateCompatibleDC(screen.get()));
  BITMAP source{};
  if (!from || !to || GetObjectA(Source, sizeof source, &source) == 0) OutOfResources();
  vcl::GdiBitmap result(Monochrome ? CreateBitmap(Size.cx, Size.cy, 1, 1, nullptr)
                                   : CreateCompatibleBitmap(screen.get(), Size.cx, Size.cy));
  // A mask that cannot be made is reported like a colour bitmap: an icon needs both.
  if (!result) OutOfResources();
  HGDIOBJ oldFrom = SelectObject(from.get(), Source);
  HGDIOBJ oldTo = SelectObject(to.get(), result.get());
  StretchBlt(to.get(), 0, 0, Size.cx, Size.cy, from.get(), 0, 0, source.bmWidth, source.bmHeight, SRCCOPY);
  SelectObject(from.get(), oldFrom);
  SelectObject(to.get(), oldTo);
  return result;
}

// A device-dependent bitmap of rows described by Info, copied at its own size.
vcl::GdiBitmap DeviceBitmap(const BITMAPINFO* Info, const BYTE* Rows, bool Monochrome) {
  vcl::GdiBitmap temporary;
  {
    ScreenContext screen;
    temporary.reset(CreateDIBitmap(screen.get(), &Info->bmiHeader, CBM_INIT, Rows, Info, DIB_RGB_COLORS));
  }
  if (!temporary) OutOfResources();
  BITMAP bm{};
  GetObjectA(temporary.get(), sizeof bm, &bm);
  return CopyBitmapAtSize(temporary.get(), SIZE{bm.bmWidth, bm.bmHeight}, Monochrome);
}

struct IconBitmaps {
  vcl::GdiBitmap Color;
  vcl::GdiBitmap Mask;
};

// Rows of 32 bits as a bitmap of 32 bits on any display, so that their alpha is drawn.
vcl::GdiBitmap AlphaBitmap(const BITMAPINFO* Info, const BYTE* Rows) {
  const BITMAPINFOHEADER& header = Info->bmiHeader;
  vcl::GdiBitmap result(CreateBitmap(header.biWidth, header.biHeight, 1, 32, nullptr));
  ScreenContext screen;
  const auto rows = static_cast<UINT>(header.biHeight);
  if (!result || SetDIBits(screen.get(), result.get(), 0, rows, Rows, Info, DIB_RGB_COLORS) == 0) OutOfResources();
  return result;
}

// One image of icon file data (info header, colour table, colour rows, mask rows) as a colour
// bitmap compatible with the screen (of 32 bits for a 32-bit image) and a monochrome mask.
IconBitmaps ImageToIconBitmaps(std::span<const std::byte> Image) {
  BITMAPINFOHEADER header{};
  if (Image.size() < sizeof header) InvalidIcon();
  std::memcpy(&header, Image.data(), sizeof header);
  header.biHeight /= 2;  // the stored height counts both halves
  const int bits = header.biBitCount;
  if (header.biSize != sizeof header || header.biCompression != BI_RGB ||
      (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) ||
      !vcl::ImageSizeFits(header.biWidth, header.biHeight, bits))
    InvalidIcon();
  const std::size_t colors = bits <= 8 ? std::size_t{1} << bits : 0;
  const auto colorBytes = static_cast<std::size_t>(vcl::DibRowBytes(header.biWidth, bits) * header.biHeight);
  const auto maskBytes = static_cast<std::size_t>(vcl::DibRowBytes(header.biWidth, 1) * header.biHeight);
  const std::size_t colorRows = sizeof header + 4 * colors;
  if (colorRows + colorBytes + maskBytes > Image.size()) InvalidIcon();
  header.biSizeImage = static_cast<DWORD>(colorBytes);

  std::vector<std::byte> info(sizeof header + 4 * std::max<std::size_t>(colors, 2));
  std::memcpy(info.data(), &header, sizeof header);
  std::memcpy(info.data() + sizeof header, Image.data() + sizeof header, 4 * colors);
  const auto* rows = reinterpret_cast<const BYTE*>(Image.data());
  IconBitmaps result;
  const auto* colorInfo = reinterpret_cast<const BITMAPINFO*>(info.data());
  result.Color =
      bits == 32 ? AlphaBitmap(colorInfo, rows + colorRows) : DeviceBitmap(colorInfo, rows + colorRows, false);

  header.biBitCount = 1;
  header.biSizeImage = static_cast<DWORD>(maskBytes);
  header.biClrUsed = 2;
  header.biClrImportant = 2;
  const RGBQUAD blackAndWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  std::memcpy(info.data(), &header, sizeof header);
  std::memcpy(info.data() + sizeof header, blackAndWhite, sizeof blackAndWhite);
  result.Mask = DeviceBitmap(reinterpret_cast<const BITMAPINFO*>(info.data()), rows + colorRows + colorBytes, true);
  return result;
}

// Bytes of a bitmap's bits as GetBitmapBits and CreateIcon lay them out (rows padded to 2 bytes).
std::size_t BitmapBitsSize(const BITMAP& Bitmap) {
  return static_cast<std::size_t>((Bitmap.bmWidth * Bitmap.bmBitsPixel + 15) / 16 * 2) *
         static_cast<std::size_t>(Bitmap.bmHeight) * Bitmap.bmPlanes;
}

// The best image of icon file data; `Data` is all of it. The directory's entries lie within it
// (an image counted without its AND rows takes them where the data holds them).
HICON ReadBestIconImage(std::span<const std::byte> Data) {
  const auto directory = user::ReadIconFileDirectory(Data);
  if (!directory || directory->entries.empty()) InvalidIcon();
  const user::IconFileEntry& entry = directory->entries[BestImage(directory->entries, DisplayColorCount())];
  IconBitmaps bitmaps = ImageToIconBitmaps(Data.subspan(entry.offset, entry.bytes));

  BITMAP mask{}, color{};
  GetObjectA(bitmaps.Mask.get(), sizeof mask, &mask);
  GetObjectA(bitmaps.Color.get(), sizeof color, &color);
  const std::size_t maskSize = BitmapBitsSize(mask), colorSize = BitmapBitsSize(color);
  std::vector<BYTE> bits(maskSize + colorSize);
  GetBitmapBits(bitmaps.Mask.get(), static_cast<LONG>(maskSize), bits.data());
  GetBitmapBits(bitmaps.Color.get(), static_cast<LONG>(colorSize), bits.data() + maskSize);
  bitmaps = {};
  HICON icon = CreateIcon(GetModuleHandleA(nullptr), mask.bmWidth, mask.bmHeight, static_cast<BYTE>(color.bmPlanes),
                          static_cast<BYTE>(color.bmBitsPixel), bits.data(), bits.data() + maskSize);
  if (icon == nullptr) OutOfResources();
  return icon;
}

}  // namespace

HICON CreateRealSizeIcon(TIcon* Icon) {
  TMemoryStream stream;
  Icon->SaveToStream(&stream);
  stream.SetPosition(0);
  IconDirHeader header{};
  stream.ReadBuffer(&header, sizeof header);
  switch (header.Type) {
    case 0: return LoadIconA(nullptr, IDI_APPLICATION);
    case 1:
      return ReadBestIconImage(
          {static_cast<const std::byte*>(stream.GetMemory()), static_cast<std::size_t>(stream.GetSize())});
    default: return CopyIcon(Icon->GetHandle());
  }
}

void GetIconSize(HICON Icon, int& Width, int& Height) {
  Width = GetSystemMetrics(SM_CXICON);
  Height = GetSystemMetrics(SM_CYICON);
  ICONINFO info{};
  if (!GetIconInfo(Icon, &info)) return;
  vcl::GdiBitmap color(info.hbmColor), mask(info.hbmMask);
  BITMAP bm{};
  if (color && GetObjectA(color.get(), sizeof bm, &bm)) {
    Width = bm.bmWidth;
    Height = bm.bmHeight;
  } else if (mask && GetObjectA(mask.get(), sizeof bm, &bm)) {
    Width = bm.bmWidth;
    Height = bm.bmHeight / 2;  // a monochrome icon's mask holds both halves
  }
}

void DrawRealSizeIcon(TCanvas* Canvas, TIcon* Icon, int X, int Y) {
  const RealSizeIcon icon(CreateRealSizeIcon(Icon));
  int width = 0, height = 0;
  GetIconSize(icon.get(), width, height);
  DrawIconEx(Canvas->GetHandle(), X, Y, icon.get(), width, height, 0, nullptr, DI_NORMAL);
}
