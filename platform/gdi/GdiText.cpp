// Fonts and text: creating fonts, drawing a line of 8-bit text at the top-left of its cell,
// and measuring it.
#include <cstring>

#include "platform/gdi/Context.h"
#include "platform/gdi/Fonts.h"

using namespace gdi;

namespace {

const LOGFONTA& FontOf(const DcObject& dc) { return dc.state.font->font; }

// Draws one line with its cell's top-left corner at device (x, y); an opaque
// background fills the whole cell first. The font's underline and strike-out run across the
// whole advance, blanks included.
void DrawRun(const DcObject& dc, Painter& painter, int x, int y, std::string_view text) {
  const LOGFONTA& font = FontOf(dc);
  const TextRun run = LayOut(font, text);
  if (dc.state.bkMode == OPAQUE)
    painter.fill({x, y, x + run.width, y + run.metrics.height},
                 Ink{painter.coder().encode(ResolveColor(dc, dc.state.bkColor))});
  const Pixel ink = painter.coder().encode(ResolveColor(dc, dc.state.textColor));
  int penX = x;
  for (std::size_t i = 0; i < run.text.size(); ++i) {
    const Glyph& g = run.glyph(i);
    painter.mask(penX + g.left, y + g.top, g.width, g.height, g.mask, ink);
    penX += g.advance;
  }
  const auto line = [&](const LineBand& band) {
    painter.fill({x, y + band.top, x + run.width, y + band.top + band.height}, Ink{ink});
  };
  if (font.lfUnderline) line(run.metrics.underline);
  if (font.lfStrikeOut) line(run.metrics.strikeOut);
}

bool ValidText(LPCSTR text, int length) { return length >= 0 && (length == 0 || text); }

}  // namespace

HFONT CreateFontIndirectA(const LOGFONTA* font) {
  if (!font) return nullptr;
  auto f = std::make_shared<FontObject>();
  f->font = *font;
  f->font.lfFaceName[sizeof f->font.lfFaceName - 1] = '\0';
  return static_cast<HFONT>(AddObject(f));
}

HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCSTR faceName) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic != 0);
  lf.lfUnderline = static_cast<BYTE>(underline != 0);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (faceName) std::strncpy(lf.lfFaceName, faceName, sizeof lf.lfFaceName - 1);
  return CreateFontIndirectA(&lf);
}


BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
  const auto dc = FindDc(hdc);
  if (!dc || !ValidText(text, length)) return FALSE;
  const PixelBuffer px = DrawTargetOf(*dc);
  if (!px.bits || length == 0) return TRUE;
  Painter painter(px, ClipOf(*dc));
  const Point at = Mapping(dc->state).point(x, y);
  DrawRun(*dc, painter, at.x, at.y, {text, static_cast<std::size_t>(length)});
  return TRUE;
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT length, const INT*) {
  const auto dc = FindDc(hdc);
  if (!dc || !ValidText(text, static_cast<int>(length)) || length > INT32_MAX) return FALSE;
  const PixelBuffer px = DrawTargetOf(*dc);
  if (!px.bits) return TRUE;
  const Mapping map(dc->state);
  const Rect box = rect ? map.rect(*rect) : Rect{};
  if (rect && (options & ETO_OPAQUE)) {
    Painter fill(px, ClipOf(*dc));
    fill.fill(box, Ink{fill.coder().encode(ResolveColor(*dc, dc->state.bkColor))});
  }
  if (length == 0) return TRUE;
  Painter painter(px, rect && (options & ETO_CLIPPED) ? ClipOf(*dc).intersected(box) : ClipOf(*dc));
  const Point at = map.point(x, y);
  DrawRun(*dc, painter, at.x, at.y, {text, length});
  return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, SIZE* size) {
  const auto dc = FindDc(hdc);
  if (!dc || !size || length < 0 || (length > 0 && !text)) return FALSE;
  const TextRun run = LayOut(FontOf(*dc), {text ? text : "", static_cast<std::size_t>(length)});
  size->cx = run.width;
  size->cy = run.metrics.height;
  return TRUE;
}

BOOL GetTextMetricsA(HDC hdc, TEXTMETRICA* metrics) {
  const auto dc = FindDc(hdc);
  if (!dc || !metrics) return FALSE;
  const FontMetrics m = MetricsOf(FontOf(*dc));
  metrics->tmHeight = m.height;
  metrics->tmAscent = m.ascent;
  metrics->tmDescent = m.descent;
  metrics->tmInternalLeading = m.internalLeading;
  metrics->tmExternalLeading = m.externalLeading;
  metrics->tmAveCharWidth = m.aveCharWidth;
  metrics->tmMaxCharWidth = m.maxCharWidth;
  metrics->tmWeight = m.weight;
  return TRUE;
}
