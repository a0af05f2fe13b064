// Logical palettes: creation, entries, selection into a context, and nearest-colour queries.
#include <cstring>

#include "platform/gdi/Context.h"

using namespace gdi;

namespace {

std::vector<RGBQUAD> QuadsOf(const std::vector<PALETTEENTRY>& entries) {
  std::vector<RGBQUAD> quads;
  quads.reserve(entries.size());
  for (const auto& e : entries) quads.push_back({e.peBlue, e.peGreen, e.peRed, 0});
  return quads;
}

}  // namespace

HPALETTE CreatePalette(const LOGPALETTE* pal) {
  if (!pal || pal->palNumEntries == 0) return nullptr;
  auto palette = std::make_shared<PaletteObject>();
  palette->entries.assign(pal->palPalEntry, pal->palPalEntry + pal->palNumEntries);
  return static_cast<HPALETTE>(AddObject(palette));
}

HPALETTE SelectPalette(HDC hdc, HPALETTE pal, BOOL) {
  const auto dc = FindDc(hdc);
  const auto palette = Find<PaletteObject>(pal);
  if (!dc || !palette) return nullptr;
  const auto previous = static_cast<HPALETTE>(dc->state.palette->handle);
  dc->state.palette = palette;
  return previous;
}

// Bitmaps carry their own colour tables, so realising maps every entry and changes nothing.
UINT RealizePalette(HDC hdc) {
  const auto dc = FindDc(hdc);
  return dc ? static_cast<UINT>(dc->state.palette->entries.size()) : 0;
}

UINT GetPaletteEntries(HPALETTE pal, UINT start, UINT count, PALETTEENTRY* entries) {
  const auto palette = Find<PaletteObject>(pal);
  if (!palette) return 0;
  const auto size = static_cast<UINT>(palette->entries.size());
  if (!entries) return size;
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::memcpy(entries, palette->entries.data() + start, n * sizeof(PALETTEENTRY));
  return n;
}

UINT SetPaletteEntries(HPALETTE pal, UINT start, UINT count, const PALETTEENTRY* entries) {
  const auto palette = Find<PaletteObject>(pal);
  if (!palette || palette->stock || !entries) return 0;
  const auto size = static_cast<UINT>(palette->entries.size());
  if (start >= size) return 0;
  const UINT n = std::min(count, size - start);
  std::memcpy(palette->entries.data() + start, entries, n * sizeof(PALETTEENTRY));
  return n;
}

UINT GetNearestPaletteIndex(HPALETTE pal, COLORREF color) {
  const auto palette = Find<PaletteObject>(pal);
  if (!palette) return CLR_INVALID;
  if ((color >> 24) == 0x01 && (color & 0xFFFF) < palette->entries.size()) return color & 0xFFFF;
  return NearestIndex(QuadsOf(palette->entries), color & 0xFFFFFF);
}

// The colour the context's bitmap (or the desktop) would show for `color`.
COLORREF GetNearestColor(HDC hdc, COLORREF color) {
  const auto dc = FindDc(hdc);
  if (!dc) return CLR_INVALID;
  PixelBuffer px = TargetOf(*dc);
  if (!px.bits) px.bitsPerPixel = GetDesktopMode().bitsPerPixel;
  const ColorCoder coder(px);
  return coder.decode(coder.encode(ResolveColor(*dc, color)));
}
