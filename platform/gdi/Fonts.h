// Fonts found through fontconfig and drawn through FreeType: metrics and crisp one-bit glyph
// masks, cached per face and size behind one lock so contexts on several threads can draw text.
// Once a font and its glyphs are realised, measuring and laying out text allocate nothing.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace gdi {

// Rows of a text's cell, counted from its top, that one of the font's lines covers.
struct LineBand {
  int top = 0;
  int height = 0;
};

struct FontMetrics {
  int height = 0;
  int ascent = 0;
  int descent = 0;
  int internalLeading = 0;
  int externalLeading = 0;
  int aveCharWidth = 0;
  int maxCharWidth = 0;
  int weight = FW_NORMAL;
  LineBand underline;
  LineBand strikeOut;
};

// One character's mask (1 = ink), `left` and `top` from the pen position at the cell's top.
struct Glyph {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int advance = 0;
  std::vector<std::uint8_t> mask;
};

struct Face;  // one realised font, the engine's own

// A line of 8-bit text (each byte its own code point) laid out in one font. It refers to the
// caller's text; every glyph it needs is rendered and stays valid for the life of the program.
struct TextRun {
  FontMetrics metrics;
  int width = 0;
  std::string_view text;
  const Face* face = nullptr;
  // The glyph of text[i].
  const Glyph& glyph(std::size_t i) const;
};

FontMetrics MetricsOf(const LOGFONTA& font);
// The installed family that text in `face` is drawn with (after the layer's substitutions),
// so a toolkit can show the same font; empty when there is no font at all.
std::string InstalledFamily(std::string_view face);
TextRun LayOut(const LOGFONTA& font, std::string_view text);

}  // namespace gdi
