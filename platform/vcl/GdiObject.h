// Owning holders for the drawing layer's handles, so that the class library's objects free
// their bitmaps, palettes, pens, brushes, fonts and memory device contexts exactly once.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <type_traits>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace vcl {

struct DeleteGdiObject {
  void operator()(void* object) const { DeleteObject(object); }
};
struct DeleteMemoryDC {
  void operator()(HDC dc) const { DeleteDC(dc); }
};

template <class Handle>
using GdiObject = std::unique_ptr<std::remove_pointer_t<Handle>, DeleteGdiObject>;
using GdiBitmap = GdiObject<HBITMAP>;
using GdiPalette = GdiObject<HPALETTE>;
using GdiPen = GdiObject<HPEN>;
using GdiBrush = GdiObject<HBRUSH>;
using GdiFont = GdiObject<HFONT>;
using MemoryDC = std::unique_ptr<std::remove_pointer_t<HDC>, DeleteMemoryDC>;

}  // namespace vcl

namespace vcl {

// A palette object holding the colours of a colour table.
inline GdiPalette NewPalette(std::span<const RGBQUAD> colors) {
  std::vector<std::byte> storage(sizeof(LOGPALETTE) + colors.size() * sizeof(PALETTEENTRY));
  auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = static_cast<WORD>(colors.size());
  for (std::size_t i = 0; i < colors.size(); ++i)
    palette->palPalEntry[i] = PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
  return GdiPalette(CreatePalette(palette));
}

}  // namespace vcl
