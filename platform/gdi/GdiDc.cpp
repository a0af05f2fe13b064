// Device contexts: creation and deletion, selecting objects, saving and restoring their state,
// capabilities, and the drawing modes they keep.
#include <algorithm>

#include "platform/gdi/Context.h"

using namespace gdi;

namespace {

// Replaces a selected object and hands back the previous one's handle.
template <typename T>
HGDIOBJ Swap(std::shared_ptr<T>& slot, std::shared_ptr<T> next) {
  HGDIOBJ previous = slot ? slot->handle : nullptr;
  slot = std::move(next);
  return previous;
}

// Stores one drawing mode or colour and hands back the previous value (`failed` without a context).
template <typename T>
T SetField(HDC hdc, T DcState::*field, T value, T failed) {
  const auto dc = FindDc(hdc);
  if (!dc) return failed;
  const T previous = dc->state.*field;
  dc->state.*field = value;
  return previous;
}

template <typename T>
T GetField(HDC hdc, T DcState::*field, T failed) {
  const auto dc = FindDc(hdc);
  return dc ? dc->state.*field : failed;
}

}  // namespace

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !FindDc(hdc)) return nullptr;
  return static_cast<HDC>(AddObject(MakeDc(DcObject::Device::Memory)));
}

BOOL DeleteDC(HDC hdc) {
  if (!FindDc(hdc)) return FALSE;
  return RemoveObject(hdc) ? TRUE : FALSE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  const auto dc = FindDc(hdc);
  const auto object = FindObject(obj);
  if (!dc || !object) return nullptr;
  DcState& s = dc->state;
  switch (object->kind) {
    case Kind::Pen: return Swap(s.pen, std::static_pointer_cast<PenObject>(object));
    case Kind::Brush: return Swap(s.brush, std::static_pointer_cast<BrushObject>(object));
    case Kind::Font: return Swap(s.font, std::static_pointer_cast<FontObject>(object));
    case Kind::Bitmap:
      if (dc->device != DcObject::Device::Memory) return nullptr;
      return Swap(s.bitmap, std::static_pointer_cast<BitmapObject>(object));
    case Kind::Region:
      return reinterpret_cast<HGDIOBJ>(static_cast<std::intptr_t>(SelectClipRgn(hdc, static_cast<HRGN>(obj))));
    default: return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ obj) {
  const auto object = FindObject(obj);
  if (!object || object->kind == Kind::Dc) return FALSE;
  return object->stock || RemoveObject(obj) ? TRUE : FALSE;
}

HGDIOBJ GetStockObject(int index) {
  const auto object = StockObject(index);
  return object ? object->handle : nullptr;
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  const auto dc = FindDc(hdc);
  if (!dc) return nullptr;
  const DcState& s = dc->state;
  switch (type) {
    case OBJ_PEN: return s.pen->handle;
    case OBJ_BRUSH: return s.brush->handle;
    case OBJ_FONT: return s.font->handle;
    case OBJ_PAL: return s.palette->handle;
    case OBJ_BITMAP: return s.bitmap ? s.bitmap->handle : nullptr;
    default: return nullptr;
  }
}

int SaveDC(HDC hdc) {
  const auto dc = FindDc(hdc);
  if (!dc) return 0;
  dc->saved.push_back(dc->state);
  return static_cast<int>(dc->saved.size());
}

// A positive level names a SaveDC result, a negative one counts back from the latest.
BOOL RestoreDC(HDC hdc, int saved) {
  const auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  const int depth = static_cast<int>(dc->saved.size());
  const int level = saved < 0 ? depth + 1 + saved : saved;
  if (saved == 0 || level < 1 || level > depth) return FALSE;
  dc->state = dc->saved[static_cast<std::size_t>(level - 1)];
  dc->saved.resize(static_cast<std::size_t>(level - 1));
  return TRUE;
}

// Contexts over another layer's pixels report those pixels; the others report the desktop.
int GetDeviceCaps(HDC hdc, int index) {
  const auto dc = FindDc(hdc);
  if (!dc) return 0;
  const DesktopMode desktop = GetDesktopMode();
  const PixelBuffer px = TargetOf(*dc);
  const bool own = dc->device == DcObject::Device::Pixels;
  const int bits = own ? px.bitsPerPixel : desktop.bitsPerPixel;
  switch (index) {
    case HORZRES: return own ? px.width : desktop.width;
    case VERTRES: return own ? px.height : desktop.height;
    case BITSPIXEL: return bits;
    case PLANES: return 1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    case NUMCOLORS: return bits <= 8 ? 1 << bits : -1;
    case SIZEPALETTE: return bits <= 8 ? 1 << bits : 0;
    case RASTERCAPS:
      return RC_BITBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB | (bits <= 8 ? RC_PALETTE : 0);
    default: return 0;
  }
}

int SetBkMode(HDC hdc, int mode) {
  return mode == TRANSPARENT || mode == OPAQUE ? SetField(hdc, &DcState::bkMode, mode, 0) : 0;
}
int GetBkMode(HDC hdc) { return GetField(hdc, &DcState::bkMode, 0); }
COLORREF SetBkColor(HDC hdc, COLORREF color) { return SetField(hdc, &DcState::bkColor, color, CLR_INVALID); }
COLORREF GetBkColor(HDC hdc) { return GetField(hdc, &DcState::bkColor, CLR_INVALID); }
COLORREF SetTextColor(HDC hdc, COLORREF color) { return SetField(hdc, &DcState::textColor, color, CLR_INVALID); }
COLORREF GetTextColor(HDC hdc) { return GetField(hdc, &DcState::textColor, CLR_INVALID); }
int SetPolyFillMode(HDC hdc, int mode) {
  return mode == ALTERNATE || mode == WINDING ? SetField(hdc, &DcState::polyFillMode, mode, 0) : 0;
}
int SetStretchBltMode(HDC hdc, int mode) {
  return mode >= BLACKONWHITE && mode <= HALFTONE ? SetField(hdc, &DcState::stretchMode, mode, 0) : 0;
}
int GetStretchBltMode(HDC hdc) { return GetField(hdc, &DcState::stretchMode, 0); }
int SetROP2(HDC hdc, int mode) { return mode >= R2_BLACK && mode <= R2_WHITE ? SetField(hdc, &DcState::mix, mode, 0) : 0; }
