// Icon and cursor objects: a table of masks and colour bitmaps the layer owns, made from
// bitmaps, from checked images of icon and cursor files and resources, or drawn as the system's
// own; drawn by masking and inverting onto any device context.
#include "platform/user/Icons.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/gdi/GdiMemory.h"
#include "platform/gdi/SelectedBitmap.h"
#include "platform/user/HandleTable.h"
#include "platform/user/IconFile.h"
#include "platform/user/UserInternal.h"
#include "platform/user/WinUser.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"

namespace user {
namespace {

constexpr std::size_t kMaxCursorFileBytes = 16u << 20;
constexpr int kBlendBandPixels = 1 << 16;  // how much of a stretched icon with alpha is blended at once

struct IconObject {
  bool icon = true;
  POINT hotSpot{0, 0};
  HBITMAP mask = nullptr;   // owned
  HBITMAP color = nullptr;  // owned; null for a monochrome icon whose mask holds both halves
  WORD systemId = 0;
  int width = 0;
  int height = 0;
  bool alpha = false;  // a 32-bit colour bitmap with alpha, drawn by it rather than by the mask
  ~IconObject() {
    DeleteObject(mask);
    DeleteObject(color);
  }
};

struct IconTable {
  detail::HandleTable<IconObject> icons{0x7E0000};
  std::mutex lock;  // for the two below
  std::map<WORD, HICON> system;  // the system's icons and cursors, made once
  HCURSOR screenCursor = nullptr;
};

// Never destroyed: icons may be freed during static destruction, the drawing layer's table too.
IconTable& Table() {
  static auto* table = new IconTable;
  return *table;
}

HICON Register(std::shared_ptr<IconObject> icon) { return static_cast<HICON>(Table().icons.Add(std::move(icon))); }

std::shared_ptr<IconObject> Find(HICON icon) { return Table().icons.Find(icon); }

// A device-independent bitmap of the format, bottom row first like the files' rows.
HBITMAP NewBitmap(int width, int height, int bits, std::span<const RGBQUAD> colors, void** pixels = nullptr) {
  std::vector<std::byte> storage(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
  info->bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0,
                     static_cast<DWORD>(colors.size()), 0};
  if (!colors.empty())
    std::memcpy(info->bmiColors, colors.data(), std::min<std::size_t>(colors.size(), 256) * sizeof(RGBQUAD));
  void* unused = nullptr;
  return CreateDIBSection(nullptr, info, DIB_RGB_COLORS, pixels ? pixels : &unused, nullptr, 0);
}

constexpr RGBQUAD kBlackWhite[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};

// A bitmap's pixels stretched (or copied) into a new one of the same format.
HBITMAP Resized(HBITMAP source, int width, int height) {
  const gdi::PixelBuffer px = gdi::PixelsOf(source);
  if (!px.bits || width <= 0 || height <= 0) return nullptr;
  HBITMAP copy = NewBitmap(width, height, px.bitsPerPixel, px.palette);
  if (!copy) return nullptr;
  gdi::SelectedBitmap from(source), to(copy);
  SetStretchBltMode(to.get(), COLORONCOLOR);
  StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, px.width, px.height, SRCCOPY);
  return copy;
}

HBITMAP Copied(HBITMAP source) {
  const gdi::PixelBuffer px = gdi::PixelsOf(source);
  return Resized(source, px.width, px.height);
}

// One icon image, every size checked against the bytes there are.
struct IconImage {
  IconImageLayout layout;
  std::span<const RGBQUAD> colors;
  const BYTE* xorRows = nullptr;
  const BYTE* andRows = nullptr;
};

std::optional<IconImage> ReadIconImage(const BYTE* bits, DWORD size) {
  if (!bits) return std::nullopt;
  const auto layout = IconImageLayoutOf({reinterpret_cast<const std::byte*>(bits), size});
  if (!layout || layout->bytes > size) return std::nullopt;
  IconImage image;
  image.layout = *layout;
  image.colors = {reinterpret_cast<const RGBQUAD*>(bits + layout->header.biSize), layout->colors};
  image.xorRows = bits + layout->header.biSize + layout->colors * sizeof(RGBQUAD);
  image.andRows = image.xorRows + layout->xorStride * layout->height;
  return image;
}

// Whether a colour bitmap is drawn by its alpha: 32 bits, not all of them clear.
bool HasAlpha(HBITMAP color) {
  const gdi::PixelBuffer px = gdi::PixelsOf(color);
  if (!px.bits || px.bitsPerPixel != 32) return false;
  for (int y = 0; y < px.height; ++y) {
    const std::byte* row = px.bits + static_cast<std::ptrdiff_t>(y) * px.pitch;
    for (int x = 0; x < px.width; ++x)
      if (row[4 * x + 3] != std::byte{0}) return true;
  }
  return false;
}

// A 32-bit image with alpha takes its mask from it too, for those who draw by the mask: what is
// under half opaque is transparent. Its colours and alpha stay as they are for drawing.
void MaskFromAlpha(HBITMAP color, int width, int height, std::byte* mask) {
  if (!HasAlpha(color)) return;
  const gdi::PixelBuffer px = gdi::PixelsOf(color);
  const auto maskStride = static_cast<std::size_t>((width + 31) / 32 * 4);
  for (int y = 0; y < height; ++y) {
    // The mask's rows are bottom-up, as the file's; the pixel buffer counts from the top.
    const std::byte* row = px.bits + static_cast<std::ptrdiff_t>(height - 1 - y) * px.pitch;
    std::byte* m = mask + maskStride * y;
    std::memset(m, 0, maskStride);
    for (int x = 0; x < width; ++x)
      if (std::to_integer<int>(row[4 * x + 3]) < 128) m[x / 8] |= std::byte{static_cast<unsigned char>(0x80 >> (x % 8))};
  }
}

// Straight alpha, as icon images keep it, over what is under: each channel rounded, the unused
// byte cleared. Pixels of 0x00RRGGBB under, 0xAARRGGBB over.
void BlendStraightAlpha(std::uint32_t* under, const std::uint32_t* over, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint32_t a = over[i] >> 24;
    if (a == 0) continue;
    std::uint32_t blended = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const std::uint32_t s = over[i] >> shift & 0xFF, d = under[i] >> shift & 0xFF;
      blended |= (s * a + d * (255 - a) + 127) / 255 << shift;
    }
    under[i] = blended;
  }
}

// An icon with alpha over the target's pixels, a band of rows at a time so that a large
// stretch takes little memory: the band is read, the icon's colours stretched into a second
// one, blended, and written back.
void DrawWithAlpha(HDC target, int x, int y, int cx, int cy, const IconObject& icon) {
  const int left = std::min(x, x + cx), top = std::min(y, y + cy), width = std::abs(cx), height = std::abs(cy);
  if (width == 0 || height == 0) return;
  const int band = std::clamp(kBlendBandPixels / width, 1, height);
  void* underBits = nullptr;
  void* overBits = nullptr;
  HBITMAP under = NewBitmap(width, -band, 32, {}, &underBits), over = NewBitmap(width, -band, 32, {}, &overBits);
  if (under && over) {
    gdi::SelectedBitmap u(under), o(over), image(icon.color);
    SetStretchBltMode(o.get(), COLORONCOLOR);
    for (int row = 0; row < height; row += band) {
      const int rows = std::min(band, height - row);
      BitBlt(u.get(), 0, 0, width, rows, target, left, top + row, SRCCOPY);
      // The whole stretch, placed so that this band falls on the bitmap: every band samples
      // the rows a single stretch would.
      StretchBlt(o.get(), cx < 0 ? width : 0, (cy < 0 ? height : 0) - row, cx, cy, image.get(), 0, 0, icon.width,
                 icon.height, SRCCOPY);
      BlendStraightAlpha(static_cast<std::uint32_t*>(underBits), static_cast<const std::uint32_t*>(overBits),
                         static_cast<std::size_t>(width) * rows);
      BitBlt(target, left, top + row, width, rows, u.get(), 0, 0, SRCCOPY);
    }
  }
  DeleteObject(under);
  DeleteObject(over);
}

// The colours a 1-bit colour image shows for its 0 and 1 bits: its own table's.
std::pair<COLORREF, COLORREF> TwoColorsOf(HBITMAP color) {
  const gdi::PixelBuffer px = gdi::PixelsOf(color);
  if (px.bitsPerPixel != 1 || px.palette.size() < 2) return {RGB(0, 0, 0), RGB(255, 255, 255)};
  return {gdi::ColorFromPixel(px, 0), gdi::ColorFromPixel(px, 1)};
}

HICON MakeIcon(bool icon, POINT hotSpot, HBITMAP mask, HBITMAP color, WORD systemId = 0) {
  if (!mask) {
    DeleteObject(color);
    return nullptr;
  }
  auto object = std::make_shared<IconObject>();
  object->icon = icon;
  object->hotSpot = hotSpot;
  object->mask = mask;
  object->color = color;
  object->systemId = systemId;
  object->alpha = HasAlpha(color);
  const gdi::PixelBuffer m = gdi::PixelsOf(mask);
  object->width = m.width;
  object->height = color ? m.height : m.height / 2;
  return Register(std::move(object));
}

// The system's pictures: an arrow for the cursors, a window for the icons (32 x 32).
HICON SystemPicture(WORD id, bool icon) {
  void* maskBits = nullptr;
  void* colorBits = nullptr;
  HBITMAP mask = NewBitmap(32, -32, 1, kBlackWhite, &maskBits);
  HBITMAP color = NewBitmap(32, -32, 32, {}, &colorBits);
  auto* m = static_cast<std::byte*>(maskBits);
  auto* c = static_cast<std::uint32_t*>(colorBits);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      std::uint32_t value = 0;
      bool opaque = false;
      if (icon) {
        opaque = x >= 2 && x < 30 && y >= 4 && y < 28;
        const bool frame = x == 2 || x == 29 || y == 4 || y == 27;
        value = frame ? 0x000000 : (y < 9 ? 0x000080 : 0xFFFFFF);
      } else {
        const int edge = y * 3 / 5;  // a wedge pointing up and left
        opaque = y < 17 && x <= edge;
        value = x == 0 || x == edge || y == 16 ? 0x000000 : 0xFFFFFF;
      }
      if (!opaque) m[y * 4 + x / 8] |= std::byte{static_cast<unsigned char>(0x80 >> (x % 8))};
      c[y * 32 + x] = opaque ? value : 0;
    }
  return MakeIcon(icon, POINT{icon ? 16 : 0, icon ? 16 : 0}, mask, color, id);
}

HICON SystemObject(LPCSTR name, bool icon) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  const auto id = static_cast<WORD>(reinterpret_cast<std::uintptr_t>(name));
  const bool known = icon ? id >= 32512 && id <= 32517 : (id >= 32512 && id <= 32516) || (id >= 32642 && id <= 32651);
  if (!known) return nullptr;
  const WORD key = static_cast<WORD>(icon ? id : id + 1000);  // icons and cursors share numbers
  {
    IconTable& t = Table();
    std::lock_guard guard(t.lock);
    if (const auto it = t.system.find(key); it != t.system.end()) return it->second;
  }
  HICON made = SystemPicture(icon ? 0 : id, icon);
  IconTable& t = Table();
  std::lock_guard guard(t.lock);
  return t.system.emplace(key, made).first->second;
}

bool IsSystemObject(HICON icon) {
  IconTable& t = Table();
  std::lock_guard guard(t.lock);
  for (const auto& [key, handle] : t.system)
    if (handle == icon) return true;
  return false;
}

HICON FromResource(HINSTANCE instance, LPCSTR name, LPCSTR type, int metric) {
  HRSRC resource = FindResourceA(instance, name, type);
  if (!resource) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const auto* bytes = static_cast<const std::byte*>(LockResource(LoadResource(instance, resource)));
  const int side = GetSystemMetrics(metric);
  return CreateIconFromFile({bytes, SizeofResource(instance, resource)}, side, side);
}

std::vector<std::byte> ReadWholeFile(LPCSTR fileName) {
  std::ifstream file(fileName ? fileName : "", std::ios::binary);
  if (!file) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return {};
  }
  std::vector<std::byte> data;
  std::byte chunk[65536];
  while (file && data.size() <= kMaxCursorFileBytes) {
    file.read(reinterpret_cast<char*>(chunk), sizeof chunk);
    data.insert(data.end(), chunk, chunk + file.gcount());
  }
  if (data.size() > kMaxCursorFileBytes) data.clear();
  return data;
}

// The first frame of an animated cursor: the first "icon" chunk in its "fram" list.
std::span<const std::byte> FirstAnimatedFrame(std::span<const std::byte> data) {
  const auto tag = [&](std::size_t at, const char* name) { return std::memcmp(data.data() + at, name, 4) == 0; };
  const auto size = [&](std::size_t at) {
    DWORD v;
    std::memcpy(&v, data.data() + at, 4);
    return v;
  };
  if (data.size() < 12 || !tag(0, "RIFF") || !tag(8, "ACON")) return {};
  std::size_t at = 12;
  std::size_t end = std::min<std::size_t>(data.size(), 8 + std::size_t{size(4)});
  while (at + 8 <= end) {
    const std::size_t length = size(at + 4);
    if (length > end - at - 8) return {};
    if (tag(at, "LIST") && length >= 4 && tag(at + 8, "fram")) {
      at += 12;
      end = at + length - 4;
      continue;
    }
    if (tag(at, "icon")) return data.subspan(at + 8, length);
    at += 8 + length + (length & 1);
  }
  return {};
}

}  // namespace

std::optional<CursorImage> ImageOfCursor(HCURSOR cursor) {
  const auto object = Find(cursor);
  if (!object) return std::nullopt;
  CursorImage image;
  image.systemId = object->systemId;
  image.width = object->width;
  image.height = object->height;
  image.hotSpot = object->hotSpot;
  const gdi::PixelBuffer mask = gdi::PixelsOf(object->mask);
  const gdi::PixelBuffer color = object->color ? gdi::PixelsOf(object->color) : mask;
  const int colorTop = object->color ? 0 : object->height;
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const DWORD value = gdi::PixelAt(color, x, y + colorTop);
      const COLORREF c = gdi::ColorFromPixel(color, value);
      const std::uint32_t rgb = GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
      std::uint32_t& out = image.pixels[static_cast<std::size_t>(y) * image.width + x];
      if (object->alpha) {
        out = (value & 0xFF000000u) | rgb;
        continue;
      }
      // A set AND bit over black is transparent; over a colour it would invert, shown as black.
      const bool andBit = gdi::PixelAt(mask, x, y) != 0;
      out = andBit ? (c == 0 ? 0 : 0xFF000000u) : 0xFF000000u | rgb;
    }
  return image;
}

HCURSOR CursorFromFileData(std::span<const std::byte> data) {
  const std::span<const std::byte> frame = FirstAnimatedFrame(data);
  return CreateIconFromFile(frame.empty() ? data : frame, 0, 0);
}

void SetScreenCursor(HCURSOR cursor) {
  {
    IconTable& t = Table();
    std::lock_guard guard(t.lock);
    t.screenCursor = cursor;
  }
  if (Peer* peer = GetPeer()) {
    const std::optional<CursorImage> image = cursor ? ImageOfCursor(cursor) : std::nullopt;
    peer->SetScreenCursor(image ? &*image : nullptr);
  }
}

HCURSOR GetScreenCursor() {
  IconTable& t = Table();
  std::lock_guard guard(t.lock);
  return t.screenCursor;
}

}  // namespace user

using namespace user;

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !gdi::PixelsOf(info->hbmMask).bits) return nullptr;
  HBITMAP color = info->hbmColor ? Copied(info->hbmColor) : nullptr;
  if (info->hbmColor && !color) return nullptr;
  const POINT hotSpot{static_cast<LONG>(info->xHotspot), static_cast<LONG>(info->yHotspot)};
  return MakeIcon(info->fIcon != FALSE, hotSpot, Copied(info->hbmMask), color);
}

HICON CreateIcon(HINSTANCE, int width, int height, BYTE planes, BYTE bitsPixel, const BYTE* andBits,
                 const BYTE* xorBits) {
  const int depth = planes * bitsPixel;
  if (width <= 0 || height <= 0 || width > kMaxIconSide || height > kMaxIconSide || !andBits || !xorBits) return nullptr;
  HBITMAP mask = CreateBitmap(width, height, 1, 1, andBits);
  HBITMAP color = CreateBitmap(width, height, 1, static_cast<UINT>(depth), xorBits);
  if (!mask || !color) {
    DeleteObject(mask);
    DeleteObject(color);
    return nullptr;
  }
  return MakeIcon(true, POINT{width / 2, height / 2}, mask, color);
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  const auto object = Find(icon);
  if (!object || !info) return FALSE;
  info->fIcon = object->icon ? TRUE : FALSE;
  info->xHotspot = static_cast<DWORD>(object->hotSpot.x);
  info->yHotspot = static_cast<DWORD>(object->hotSpot.y);
  info->hbmMask = Copied(object->mask);
  info->hbmColor = object->color ? Copied(object->color) : nullptr;
  return TRUE;
}

HICON CopyIcon(HICON icon) {
  const auto object = Find(icon);
  if (!object) return nullptr;
  return MakeIcon(object->icon, object->hotSpot, Copied(object->mask), object->color ? Copied(object->color) : nullptr,
                  object->systemId);
}

// The system's icons and cursors are shared and stay.
BOOL DestroyIcon(HICON icon) {
  if (IsSystemObject(icon)) return TRUE;
  return Table().icons.Remove(icon) ? TRUE : FALSE;
}

BOOL DestroyCursor(HCURSOR cursor) { return DestroyIcon(cursor); }

HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL icon, DWORD, int cxDesired, int cyDesired,
                               UINT flags) {
  POINT hotSpot{0, 0};
  if (!icon) {
    if (!bits || size < 4) return nullptr;
    hotSpot = {bits[0] | bits[1] << 8, bits[2] | bits[3] << 8};
    bits += 4;
    size -= 4;
  }
  const auto image = ReadIconImage(bits, size);
  if (!image) return nullptr;
  const int w = image->layout.width, h = image->layout.height, depth = image->layout.header.biBitCount;
  void* colorBits = nullptr;
  void* maskBits = nullptr;
  HBITMAP color = NewBitmap(w, h, depth, image->colors, &colorBits);
  HBITMAP mask = NewBitmap(w, h, 1, kBlackWhite, &maskBits);
  if (!color || !mask) {
    DeleteObject(color);
    DeleteObject(mask);
    return nullptr;
  }
  std::memcpy(colorBits, image->xorRows, image->layout.xorStride * h);
  std::memcpy(maskBits, image->andRows, image->layout.andStride * h);
  if (depth == 32) MaskFromAlpha(color, w, h, static_cast<std::byte*>(maskBits));
  const int metric = icon ? SM_CXICON : SM_CXCURSOR;
  const int cx = cxDesired > 0 ? cxDesired : ((flags & LR_DEFAULTSIZE) ? GetSystemMetrics(metric) : w);
  const int cy = cyDesired > 0 ? cyDesired : ((flags & LR_DEFAULTSIZE) ? GetSystemMetrics(metric + 1) : h);
  if (cx != w || cy != h) {
    HBITMAP resizedColor = Resized(color, cx, cy), resizedMask = Resized(mask, cx, cy);
    DeleteObject(color);
    DeleteObject(mask);
    color = resizedColor;
    mask = resizedMask;
    hotSpot = {hotSpot.x * cx / w, hotSpot.y * cy / h};
    if (!color) {
      DeleteObject(mask);
      return nullptr;
    }
  }
  if (icon) hotSpot = {cx / 2, cy / 2};
  return MakeIcon(icon != FALSE, hotSpot, mask, color);
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH flickerFreeBrush, UINT flags) {
  const auto object = Find(icon);
  if (!object || !hdc || (flags & DI_NORMAL) == 0) return FALSE;
  const int w = object->width, h = object->height;
  if (cx == 0) cx = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : w;
  if (cy == 0) cy = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(SM_CYICON) : h;
  HDC target = hdc;
  int tx = x, ty = y;
  HDC offscreen = nullptr;
  HBITMAP buffer = nullptr;
  HGDIOBJ oldBuffer = nullptr;
  if (flickerFreeBrush) {
    offscreen = CreateCompatibleDC(hdc);
    buffer = CreateCompatibleBitmap(hdc, cx, cy);
    oldBuffer = SelectObject(offscreen, buffer);
    const RECT all{0, 0, cx, cy};
    FillRect(offscreen, &all, flickerFreeBrush);
    target = offscreen;
    tx = ty = 0;
  }
  HDC source = CreateCompatibleDC(hdc);
  const COLORREF text = SetTextColor(target, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(target, RGB(255, 255, 255));
  const int stretch = SetStretchBltMode(target, COLORONCOLOR);
  HGDIOBJ old = SelectObject(source, object->mask);
  if (object->alpha && (flags & DI_NORMAL) == DI_NORMAL) {
    DrawWithAlpha(target, tx, ty, cx, cy, *object);
  } else {
    // dest := (dest AND mask) XOR image
    if (flags & DI_MASK) StretchBlt(target, tx, ty, cx, cy, source, 0, 0, w, h, SRCAND);
    if (flags & DI_IMAGE) {
      if (object->color) {
        SelectObject(source, object->color);
        const auto [zero, one] = TwoColorsOf(object->color);
        SetTextColor(target, zero);
        SetBkColor(target, one);
      }
      StretchBlt(target, tx, ty, cx, cy, source, 0, object->color ? 0 : h, w, h, (flags & DI_MASK) ? SRCINVERT : SRCCOPY);
    }
  }
  SelectObject(source, old);
  DeleteDC(source);
  SetStretchBltMode(target, stretch);
  SetTextColor(target, text);
  SetBkColor(target, back);
  if (offscreen) {
    BitBlt(hdc, x, y, cx, cy, offscreen, 0, 0, SRCCOPY);
    SelectObject(offscreen, oldBuffer);
    DeleteObject(buffer);
    DeleteDC(offscreen);
  }
  return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) { return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE); }

HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (!instance) return SystemObject(name, true);
  return FromResource(instance, name, RT_GROUP_ICON, SM_CXICON);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  if (!instance) return SystemObject(name, false);
  return FromResource(instance, name, RT_GROUP_CURSOR, SM_CXCURSOR);
}

HCURSOR LoadCursorFromFileA(LPCSTR fileName) {
  const std::vector<std::byte> data = ReadWholeFile(fileName);
  if (data.empty()) return nullptr;
  HCURSOR cursor = CursorFromFileData(data);
  if (!cursor) SetLastError(ERROR_INVALID_PARAMETER);
  return cursor;
}

HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name) {
  if (!instance) return nullptr;  // no system bitmaps here
  HRSRC resource = FindResourceA(instance, name, RT_BITMAP);
  if (!resource) return nullptr;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(instance, resource)));
  const DWORD size = SizeofResource(instance, resource);
  if (size < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER h;
  std::memcpy(&h, bytes, sizeof h);
  const long long height = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
  const long long colors = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : 1LL << h.biBitCount) : 0;
  const long long stride = (static_cast<long long>(h.biWidth) * h.biBitCount + 31) / 32 * 4;
  if (h.biSize < sizeof h || h.biCompression != BI_RGB || h.biWidth <= 0 || colors > 256 ||
      h.biSize + colors * 4 + stride * height > size)
    return nullptr;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes);
  return CreateDIBitmap(nullptr, &h, CBM_INIT, bytes + h.biSize + colors * 4, info, DIB_RGB_COLORS);
}
