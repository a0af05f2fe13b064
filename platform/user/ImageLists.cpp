// Image lists: each image a colour bitmap and a monochrome mask of the list's size. Pixels under
// the mask are kept black, so a transparent draw is the mask ANDed on, then the image ORed.
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/gdi/GdiMemory.h"
#include "platform/gdi/SelectedBitmap.h"
#include "platform/user/CommCtrl.h"
#include "platform/user/HandleTable.h"
#include "platform/user/Icons.h"

namespace {

struct Entry {
  HBITMAP color = nullptr;
  HBITMAP mask = nullptr;
};

struct ImageList {
  int cx = 0, cy = 0;
  int bits = 32;
  bool masked = false;
  COLORREF background = CLR_NONE;
  std::vector<Entry> images;
  ~ImageList() {
    for (const Entry& e : images) {
      DeleteObject(e.color);
      DeleteObject(e.mask);
    }
  }
};

// Never destroyed: lists may be freed during static destruction, the drawing layer's table too.
user::detail::HandleTable<ImageList>& TheLists() {
  static auto* lists = new user::detail::HandleTable<ImageList>(0x7F0000);
  return *lists;
}

std::shared_ptr<ImageList> Find(HIMAGELIST handle) { return TheLists().Find(handle); }

using Selected = gdi::SelectedBitmap;

HBITMAP NewColor(const ImageList& list) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), list.cx, -list.cy, 1, static_cast<WORD>(list.bits), BI_RGB, 0, 0, 0, 0, 0};
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
}

HBITMAP NewMask(const ImageList& list) { return CreateBitmap(list.cx, list.cy, 1, 1, nullptr); }

// Blackens the colour bitmap where the mask is set.
void ClearUnderMask(const Entry& e, int cx, int cy) {
  Selected color(e.color), mask(e.mask);
  SetTextColor(color.get(), RGB(255, 255, 255));  // 0 bits keep the image
  SetBkColor(color.get(), RGB(0, 0, 0));          // 1 bits clear it
  BitBlt(color.get(), 0, 0, cx, cy, mask.get(), 0, 0, SRCAND);
}

// Adds the images of a strip; `makeMask` fills each new mask from column x of the strip.
template <class MakeMask>
int AddStrip(HIMAGELIST handle, HBITMAP image, MakeMask makeMask) {
  const auto list = Find(handle);
  const gdi::PixelBuffer px = gdi::PixelsOf(image);
  if (!list || !px.bits) return -1;
  const int first = static_cast<int>(list->images.size());
  const int count = std::max(1, px.width / list->cx);
  Selected source(image);
  for (int i = 0; i < count; ++i) {
    Entry e{NewColor(*list), NewMask(*list)};
    {
      Selected color(e.color), mask(e.mask);
      BitBlt(color.get(), 0, 0, list->cx, list->cy, source.get(), i * list->cx, 0, SRCCOPY);
      PatBlt(mask.get(), 0, 0, list->cx, list->cy, BLACKNESS);
      if (list->masked) makeMask(mask.get(), source.get(), i * list->cx);
    }
    if (list->masked) ClearUnderMask(e, list->cx, list->cy);
    list->images.push_back(e);
  }
  return first;
}

}  // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int) {
  if (cx <= 0 || cy <= 0) return nullptr;
  auto list = std::make_shared<ImageList>();
  list->cx = cx;
  list->cy = cy;
  list->masked = (flags & ILC_MASK) != 0;
  const UINT depth = flags & 0xFE;
  list->bits = depth == ILC_COLOR4 ? 4 : depth == ILC_COLOR8 ? 8 : depth == ILC_COLOR16 ? 16 : depth == ILC_COLOR24 ? 24
               : depth == ILC_COLOR32 ? 32 : gdi::GetDesktopMode().bitsPerPixel;
  return static_cast<HIMAGELIST>(TheLists().Add(std::move(list)));
}

BOOL ImageList_Destroy(HIMAGELIST list) { return TheLists().Remove(list) ? TRUE : FALSE; }

int ImageList_GetImageCount(HIMAGELIST list) {
  const auto l = Find(list);
  return l ? static_cast<int>(l->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  const auto l = Find(list);
  if (!l || !cx || !cy) return FALSE;
  *cx = l->cx;
  *cy = l->cy;
  return TRUE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
  const gdi::PixelBuffer maskPixels = gdi::PixelsOf(mask);
  return AddStrip(list, image, [&](HDC target, HDC, int x) {
    if (!maskPixels.bits) return;
    Selected source(mask);
    SetTextColor(target, RGB(0, 0, 0));
    SetBkColor(target, RGB(255, 255, 255));
    BitBlt(target, 0, 0, maskPixels.width, maskPixels.height, source.get(), x, 0, SRCCOPY);
  });
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask) {
  return AddStrip(list, image, [&](HDC target, HDC source, int x) {
    const COLORREF back = SetBkColor(source, mask);  // that colour becomes the mask's 1 bits
    int cx = 0, cy = 0;
    ImageList_GetIconSize(list, &cx, &cy);
    BitBlt(target, 0, 0, cx, cy, source, x, 0, SRCCOPY);
    SetBkColor(source, back);
  });
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
  const auto l = Find(list);
  if (!l || index < -1 || index >= static_cast<int>(l->images.size())) return -1;
  Entry e{NewColor(*l), NewMask(*l)};
  {
    Selected color(e.color), mask(e.mask);
    PatBlt(color.get(), 0, 0, l->cx, l->cy, BLACKNESS);
    PatBlt(mask.get(), 0, 0, l->cx, l->cy, WHITENESS);
    if (!DrawIconEx(color.get(), 0, 0, icon, l->cx, l->cy, 0, nullptr, DI_NORMAL) ||
        !DrawIconEx(mask.get(), 0, 0, icon, l->cx, l->cy, 0, nullptr, DI_MASK)) {
      DeleteObject(e.color);
      DeleteObject(e.mask);
      return -1;
    }
  }
  ClearUnderMask(e, l->cx, l->cy);  // where the icon would invert
  if (index == -1) {
    l->images.push_back(e);
    return static_cast<int>(l->images.size()) - 1;
  }
  Entry& old = l->images[static_cast<std::size_t>(index)];
  DeleteObject(old.color);
  DeleteObject(old.mask);
  old = e;
  return index;
}

BOOL ImageList_Remove(HIMAGELIST list, int index) {
  const auto l = Find(list);
  if (!l || index < -1 || index >= static_cast<int>(l->images.size())) return FALSE;
  const auto first = index == -1 ? l->images.begin() : l->images.begin() + index;
  const auto last = index == -1 ? l->images.end() : first + 1;
  for (auto it = first; it != last; ++it) {
    DeleteObject(it->color);
    DeleteObject(it->mask);
  }
  l->images.erase(first, last);
  return TRUE;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style) {
  const auto l = Find(list);
  if (!l || index < 0 || index >= static_cast<int>(l->images.size())) return FALSE;
  const Entry& e = l->images[static_cast<std::size_t>(index)];
  Selected mask(e.mask), color(e.color);
  const COLORREF text = SetTextColor(hdc, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(hdc, RGB(255, 255, 255));
  BOOL ok = TRUE;
  if (style & ILD_MASK) {
    ok = BitBlt(hdc, x, y, l->cx, l->cy, mask.get(), 0, 0, SRCCOPY);
  } else if (l->masked && ((style & ILD_TRANSPARENT) || l->background == CLR_NONE)) {
    ok = BitBlt(hdc, x, y, l->cx, l->cy, mask.get(), 0, 0, SRCAND) &&
         BitBlt(hdc, x, y, l->cx, l->cy, color.get(), 0, 0, SRCPAINT);
  } else {
    if (l->masked) {
      HBRUSH brush = CreateSolidBrush(l->background);
      const RECT r{x, y, x + l->cx, y + l->cy};
      FillRect(hdc, &r, brush);
      DeleteObject(brush);
      ok = BitBlt(hdc, x, y, l->cx, l->cy, mask.get(), 0, 0, SRCAND) &&
           BitBlt(hdc, x, y, l->cx, l->cy, color.get(), 0, 0, SRCPAINT);
    } else {
      ok = BitBlt(hdc, x, y, l->cx, l->cy, color.get(), 0, 0, SRCCOPY);
    }
  }
  SetTextColor(hdc, text);
  SetBkColor(hdc, back);
  return ok;
}

HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT) {
  const auto l = Find(list);
  if (!l || index < 0 || index >= static_cast<int>(l->images.size())) return nullptr;
  const Entry& e = l->images[static_cast<std::size_t>(index)];
  ICONINFO info{TRUE, static_cast<DWORD>(l->cx / 2), static_cast<DWORD>(l->cy / 2), e.mask, e.color};
  return CreateIconIndirect(&info);
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color) {
  const auto l = Find(list);
  if (!l) return CLR_NONE;
  const COLORREF previous = l->background;
  l->background = color;
  return previous;
}

COLORREF ImageList_GetBkColor(HIMAGELIST list) {
  const auto l = Find(list);
  return l ? l->background : CLR_NONE;
}
