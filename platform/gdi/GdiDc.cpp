// Device contexts: creation and deletion, selecting objects, saving and restoring their state,
// capabilities, the drawing modes and the mapping of logical coordinates they keep.
#include <algorithm>
#include <cmath>

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

// ---- Mapping modes

namespace {

// The extents a mode starts with: logical units per inch against the device's 96 pixels.
bool FixedExtents(int mode, SIZE& window, SIZE& viewport) {
  int perInch = 0;
  switch (mode) {
    case MM_TEXT: window = viewport = SIZE{1, 1}; return true;
    case MM_LOMETRIC: perInch = 254; break;
    case MM_HIMETRIC: perInch = 2540; break;
    case MM_LOENGLISH: perInch = 100; break;
    case MM_HIENGLISH: perInch = 1000; break;
    case MM_TWIPS: perInch = 1440; break;
    default: return false;
  }
  window = SIZE{perInch, perInch};
  viewport = SIZE{96, -96};
  return true;
}

// An isotropic context keeps a unit as wide as it is high: the viewport extent whose scale is
// larger shrinks to the other's, its sign kept.
void KeepIsotropic(DcState& s) {
  if (s.mapMode != MM_ISOTROPIC) return;
  const long double sx = std::abs(static_cast<long double>(s.viewportExt.cx) / s.windowExt.cx);
  const long double sy = std::abs(static_cast<long double>(s.viewportExt.cy) / s.windowExt.cy);
  const auto shrink = [](LONG& extent, long double scale, LONG window) {
    const auto magnitude = static_cast<LONG>(std::llround(scale * std::abs(static_cast<long double>(window))));
    extent = extent < 0 ? -magnitude : magnitude;
  };
  if (sx > sy) shrink(s.viewportExt.cx, sy, s.windowExt.cx);
  else if (sy > sx) shrink(s.viewportExt.cy, sx, s.windowExt.cy);
}

template <typename T>
BOOL Exchange(HDC hdc, T DcState::*field, T value, T* previous) {
  const auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.*field;
  dc->state.*field = value;
  return TRUE;
}

template <typename T>
BOOL Read(HDC hdc, T DcState::*field, T* out) {
  const auto dc = FindDc(hdc);
  if (!dc || !out) return FALSE;
  *out = dc->state.*field;
  return TRUE;
}

BOOL SetExtent(HDC hdc, SIZE DcState::*field, int x, int y, SIZE* previous) {
  const auto dc = FindDc(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.*field;
  const int mode = dc->state.mapMode;
  if (mode != MM_ISOTROPIC && mode != MM_ANISOTROPIC) return TRUE;  // fixed by the mode
  if (x == 0 || y == 0) return FALSE;
  dc->state.*field = SIZE{x, y};
  KeepIsotropic(dc->state);
  return TRUE;
}

BOOL Convert(HDC hdc, POINT* points, int count, bool toDevice) {
  const auto dc = FindDc(hdc);
  if (!dc || (!points && count > 0)) return FALSE;
  const Mapping map(dc->state);
  for (int i = 0; i < count; ++i) {
    if (toDevice) {
      const Point d = map.point(points[i]);
      points[i] = {d.x, d.y};
    } else {
      points[i] = map.logical(points[i].x, points[i].y);
    }
  }
  return TRUE;
}

}  // namespace

int SetMapMode(HDC hdc, int mode) {
  const auto dc = FindDc(hdc);
  if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  DcState& s = dc->state;
  const int previous = s.mapMode;
  s.mapMode = mode;
  FixedExtents(mode, s.windowExt, s.viewportExt);  // the two scalable modes keep what they had
  KeepIsotropic(s);
  return previous;
}

int GetMapMode(HDC hdc) { return GetField(hdc, &DcState::mapMode, 0); }
BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* previous) {
  return Exchange(hdc, &DcState::windowOrg, POINT{x, y}, previous);
}
BOOL GetWindowOrgEx(HDC hdc, POINT* origin) { return Read(hdc, &DcState::windowOrg, origin); }
BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* previous) {
  return Exchange(hdc, &DcState::viewportOrg, POINT{x, y}, previous);
}
BOOL GetViewportOrgEx(HDC hdc, POINT* origin) { return Read(hdc, &DcState::viewportOrg, origin); }
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, POINT* previous) {
  POINT origin{};
  if (!GetViewportOrgEx(hdc, &origin)) return FALSE;
  return SetViewportOrgEx(hdc, origin.x + dx, origin.y + dy, previous);
}
BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* previous) { return SetExtent(hdc, &DcState::windowExt, x, y, previous); }
BOOL GetWindowExtEx(HDC hdc, SIZE* extent) { return Read(hdc, &DcState::windowExt, extent); }
BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* previous) {
  return SetExtent(hdc, &DcState::viewportExt, x, y, previous);
}
BOOL GetViewportExtEx(HDC hdc, SIZE* extent) { return Read(hdc, &DcState::viewportExt, extent); }
BOOL LPtoDP(HDC hdc, POINT* points, int count) { return Convert(hdc, points, count, true); }
BOOL DPtoLP(HDC hdc, POINT* points, int count) { return Convert(hdc, points, count, false); }
