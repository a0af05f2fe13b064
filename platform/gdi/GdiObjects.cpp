// Pens, brushes, regions and clipping, and what GetObjectA reports about an object.
#include <algorithm>
#include <cstring>

#include "platform/gdi/Context.h"

using namespace gdi;

namespace {

int RegionType(const Rect& r) { return r.empty() ? NULLREGION : SIMPLEREGION; }

int GetBitmapObject(const BitmapObject& b, int size, LPVOID out) {
  const int needed = b.dibSection ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
  if (!out) return needed;
  if (size < static_cast<int>(sizeof(BITMAP))) return 0;
  BITMAP bm{};
  bm.bmWidth = b.pixels.width;
  bm.bmHeight = b.pixels.height;
  bm.bmWidthBytes = std::abs(b.pixels.pitch);
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(b.pixels.bitsPerPixel);
  bm.bmBits = b.dibBits;
  if (!b.dibSection || size < static_cast<int>(sizeof(DIBSECTION))) {
    std::memcpy(out, &bm, sizeof bm);
    return static_cast<int>(sizeof bm);
  }
  DIBSECTION ds{};
  ds.dsBm = bm;
  ds.dsBmih = b.dibHeader;
  const auto masks = ChannelMasks(b.pixels);
  std::copy(masks.begin(), masks.end(), ds.dsBitfields);
  std::memcpy(out, &ds, sizeof ds);
  return static_cast<int>(sizeof ds);
}

}  // namespace

HPEN CreatePen(int style, int width, COLORREF color) {
  auto pen = NewPen();
  pen->style = style >= PS_SOLID && style <= PS_INSIDEFRAME ? style : PS_SOLID;
  pen->width = std::clamp(width, 1, kCoordinateLimit);
  pen->color = color;
  return static_cast<HPEN>(AddObject(pen));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto brush = NewBrush();
  brush->color = color;
  return static_cast<HBRUSH>(AddObject(brush));
}

HBRUSH CreatePatternBrush(HBITMAP bmp) {
  const auto b = Find<BitmapObject>(bmp);
  if (!b) return nullptr;
  const ColorCoder coder(b->pixels);
  BrushPattern p;
  p.width = b->pixels.width;
  p.height = b->pixels.height;
  p.mono = b->pixels.bitsPerPixel == 1;
  p.colors.resize(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height));
  for (int y = 0; y < p.height; ++y) {
    Pixel* row = p.colors.data() + static_cast<std::ptrdiff_t>(y) * p.width;
    coder.ops().read(b->pixels.bits + static_cast<std::ptrdiff_t>(y) * b->pixels.pitch, 0, p.width, row);
    if (!p.mono) coder.decodeRow(row, p.width);
  }
  auto brush = NewBrush();
  brush->pattern = std::move(p);
  return static_cast<HBRUSH>(AddObject(brush));
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto region = std::make_shared<RegionObject>();
  region->rect = Rect::Normalized(left, top, right, bottom);
  return static_cast<HRGN>(AddObject(region));
}

HRGN CreatePolygonRgn(const POINT* points, int count, int mode) {
  if (!points || count < 0 || (mode != ALTERNATE && mode != WINDING)) return nullptr;
  auto region = std::make_shared<RegionObject>();
  region->winding = mode == WINDING;
  for (int i = 0; i < count; ++i) region->polygon.push_back(CoordOf(points[i]));
  if (count < 3) region->polygon.clear();  // covers nothing: an empty rectangle
  Rect bounds{kCoordinateLimit, kCoordinateLimit, -kCoordinateLimit, -kCoordinateLimit};
  const Rect rows{-kCoordinateLimit, -kCoordinateLimit, kCoordinateLimit, kCoordinateLimit};
  ForEachPolygonSpan(region->polygon, region->winding, rows, [&](int y, int x0, int x1) {
    bounds = {std::min(bounds.left, x0), std::min(bounds.top, y), std::max(bounds.right, x1), std::max(bounds.bottom, y + 1)};
  });
  region->rect = bounds.empty() ? Rect{} : bounds;
  if (region->rect.empty()) region->polygon.clear();
  return static_cast<HRGN>(AddObject(region));
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  const auto region = Find<RegionObject>(rgn);
  return region && region->contains(x, y) ? TRUE : FALSE;
}

int GetRgnBox(HRGN rgn, RECT* box) {
  const auto region = Find<RegionObject>(rgn);
  if (!region || !box) return RGN_ERROR;
  const Rect& r = region->rect;
  *box = {r.left, r.top, r.right, r.bottom};
  if (r.empty()) return NULLREGION;
  return region->rectangular() ? SIMPLEREGION : COMPLEXREGION;
}

// The context keeps a copy: the region may be deleted afterwards.
int SelectClipRgn(HDC hdc, HRGN rgn) {
  const auto dc = FindDc(hdc);
  if (!dc) return RGN_ERROR;
  if (!rgn) {
    dc->state.clip.reset();
    return SIMPLEREGION;
  }
  const auto region = Find<RegionObject>(rgn);
  if (!region || !region->rectangular()) return RGN_ERROR;
  dc->state.clip = region->rect;
  return RegionType(ClipOf(*dc));
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  const auto dc = FindDc(hdc);
  if (!dc) return RGN_ERROR;
  dc->state.clip = ClipOf(*dc).intersected(Mapping(dc->state).rect(left, top, right, bottom));
  return RegionType(*dc->state.clip);
}

int GetObjectA(HGDIOBJ obj, int size, LPVOID out) {
  const auto object = FindObject(obj);
  if (!object) return 0;
  switch (object->kind) {
    case Kind::Bitmap: return GetBitmapObject(static_cast<const BitmapObject&>(*object), size, out);
    case Kind::Font: {
      const auto& f = static_cast<const FontObject&>(*object);
      if (!out) return static_cast<int>(sizeof f.font);
      if (size < static_cast<int>(sizeof f.font)) return 0;
      std::memcpy(out, &f.font, sizeof f.font);
      return static_cast<int>(sizeof f.font);
    }
    case Kind::Palette: {
      const auto count = static_cast<WORD>(static_cast<const PaletteObject&>(*object).entries.size());
      if (!out) return static_cast<int>(sizeof count);
      if (size < static_cast<int>(sizeof count)) return 0;
      std::memcpy(out, &count, sizeof count);
      return static_cast<int>(sizeof count);
    }
    default: return 0;
  }
}
