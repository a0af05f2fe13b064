// The font engine: one FreeType library, one fontconfig configuration and every realised face,
// guarded by one mutex; glyphs are rendered once, monochrome, and then only read.
#include "platform/gdi/Fonts.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <cmath>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>

namespace gdi {
namespace {

constexpr int kDefaultCellHeight = 16;
constexpr const char* kFallbackFamilies[] = {"DejaVu Sans", "sans-serif"};

// Faces the programs name that no Debian font carries, with an installed face of the same
// metrics, so every caption keeps the width it was laid out for.
constexpr std::pair<const char*, const char*> kSubstitutes[] = {{"ms sans serif", "Liberation Sans"}};

// The face to ask fontconfig for, given the lower-case face name.
const char* FamilyToAsk(const char* lowerFace) {
  for (const auto& [face, installed] : kSubstitutes)
    if (std::strcmp(face, lowerFace) == 0) return installed;
  return lowerFace;
}

// The face name in lower case, as the fixed-size field it comes from, so a lookup builds no string.
struct FontKey {
  std::array<char, sizeof(LOGFONTA::lfFaceName)> face{};
  int height;
  int weight;
  bool italic;
  auto operator<=>(const FontKey&) const = default;
};

// The height of the face's lower-case letters in font units: its "x", or half the em.
double XHeight(FT_Face face, double upem) {
  if (face && FT_Load_Char(face, 'x', FT_LOAD_NO_SCALE) == 0 && face->glyph->metrics.horiBearingY > 0)
    return static_cast<double>(face->glyph->metrics.horiBearingY);
  return upem / 2;
}

// A band moved and cut to lie inside a cell of `cellHeight` rows, so the lines stay where an
// opaque background and the text's extent are.
LineBand Inside(LineBand band, int cellHeight) {
  band.height = std::clamp(band.height, 1, std::max(1, cellHeight));
  band.top = std::clamp(band.top, 0, std::max(0, cellHeight - band.height));
  return band;
}

// The underline where the face's post table puts it (FreeType gives the line's centre below
// the baseline) and the strike-out where its OS/2 table does (the top of the stroke above the
// baseline), at `em` pixels to the em. A face without a post table gets an underline a
// twentieth of the em thick, a tenth of the em down; one without an OS/2 table a strike-out as
// thick as its underline across the middle of its lower-case letters.
void PlaceLines(FT_Face face, double upem, int em, FontMetrics& m) {
  double thickness = face ? face->underline_thickness : 0;
  double below = face ? -face->underline_position : 0;
  if (thickness <= 0) {
    thickness = upem / 20;
    below = upem / 10;
  }
  double strikeSize = thickness, strikeTop = 0;
  const auto* os2 = face ? static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
  if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
    strikeSize = os2->yStrikeoutSize;
    strikeTop = os2->yStrikeoutPosition;
  } else {
    strikeTop = (XHeight(face, upem) + strikeSize) / 2;
  }
  const double scale = em / upem;
  const auto rows = [scale](double units) { return static_cast<int>(std::lround(units * scale)); };
  const int underline = std::max(1, rows(thickness));
  const int strikeOut = std::max(1, rows(strikeSize));
  m.underline = Inside({m.ascent + rows(below - thickness / 2), underline}, m.height);
  m.strikeOut = Inside({m.ascent - rows(strikeTop), strikeOut}, m.height);
}

FontKey KeyOf(const LOGFONTA& lf) {
  FontKey key{{}, lf.lfHeight == 0 ? kDefaultCellHeight : lf.lfHeight, lf.lfWeight == 0 ? FW_NORMAL : lf.lfWeight,
              lf.lfItalic != 0};
  const std::size_t length = strnlen(lf.lfFaceName, key.face.size() - 1);
  for (std::size_t i = 0; i < length; ++i)
    key.face[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(lf.lfFaceName[i])));
  return key;
}

}  // namespace

// One face at one size, with the glyphs rendered so far.
struct Face {
  FT_Face face = nullptr;
  bool embolden = false;
  bool oblique = false;
  FontMetrics metrics;
  std::array<std::unique_ptr<Glyph>, 256> glyphs;
  ~Face() {
    if (face) FT_Done_Face(face);
  }
};

namespace {

class Engine {
 public:
  Engine() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
    config_ = FcInitLoadConfigAndFonts();
  }
  ~Engine() {
    faces_.clear();
    if (library_) FT_Done_FreeType(library_);
    if (config_) FcConfigDestroy(config_);
  }

  std::mutex& mutex() { return mutex_; }

  Face& face(const LOGFONTA& lf) {
    auto key = KeyOf(lf);
    auto& slot = faces_[key];
    if (!slot) slot = open(key);
    return *slot;
  }

  const Glyph& glyph(Face& f, unsigned char code) {
    auto& slot = f.glyphs[code];
    if (!slot) slot = render(f, code);
    return *slot;
  }

  // The installed family that drawing in `key.face` uses.
  std::string family(const FontKey& key) {
    std::string name;
    if (FcPattern* match = this->match(key)) {
      FcChar8* found = nullptr;
      if (FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch) name = reinterpret_cast<char*>(found);
      FcPatternDestroy(match);
    }
    return name;
  }

 private:
  // The caller destroys the match; null without fontconfig or a match.
  FcPattern* match(const FontKey& key) {
    if (!config_) return nullptr;
    FcPattern* pattern = FcPatternCreate();
    if (key.face[0] != '\0')
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(FamilyToAsk(key.face.data())));
    for (const char* family : kFallbackFamilies)
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(key.weight));
    FcPatternAddInteger(pattern, FC_SLANT, key.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(config_, pattern, &result);
    FcPatternDestroy(pattern);
    return found;
  }

  std::unique_ptr<Face> open(const FontKey& key) {
    auto f = std::make_unique<Face>();
    int weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
    std::string file;
    int index = 0;
    if (library_) {
      if (FcPattern* match = this->match(key)) {
        FcChar8* path = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) file = reinterpret_cast<char*>(path);
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        FcPatternDestroy(match);
      }
    }
    if (!file.empty() && FT_New_Face(library_, file.c_str(), index, &f->face) != 0) f->face = nullptr;
    f->embolden = key.weight >= 600 && weight < FC_WEIGHT_DEMIBOLD;
    f->oblique = key.italic && slant == FC_SLANT_ROMAN;
    f->metrics = size(*f, key);
    return f;
  }

  // Negative heights ask for the character (em) height, positive ones for the cell height.
  static FontMetrics size(Face& f, const FontKey& key) {
    FontMetrics m;
    m.weight = key.weight;
    const int wanted = std::abs(key.height);
    if (!f.face) {
      m.height = m.ascent = wanted;
      m.aveCharWidth = m.maxCharWidth = std::max(1, wanted / 2);
      PlaceLines(nullptr, wanted, wanted, m);
      return m;
    }
    const double upem = f.face->units_per_EM ? f.face->units_per_EM : 1000;
    double ascender = f.face->ascender, descender = -f.face->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2)); os2 && os2->usWinAscent) {
      ascender = os2->usWinAscent;
      descender = os2->usWinDescent;
    }
    if (ascender + descender <= 0) ascender = upem;
    int em = wanted;
    if (key.height > 0) {
      em = std::max(1, static_cast<int>(std::lround(wanted * upem / (ascender + descender))));
      m.ascent = static_cast<int>(std::lround(wanted * ascender / (ascender + descender)));
      m.descent = wanted - m.ascent;
    } else {
      m.ascent = static_cast<int>(std::lround(ascender * em / upem));
      m.descent = static_cast<int>(std::lround(descender * em / upem));
    }
    m.height = m.ascent + m.descent;
    m.internalLeading = std::max(0, m.height - em);
    FT_Set_Pixel_Sizes(f.face, 0, static_cast<FT_UInt>(em));
    m.maxCharWidth = static_cast<int>(std::lround(f.face->max_advance_width * em / upem));
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f.face, FT_SFNT_OS2));
    m.aveCharWidth = os2 && os2->xAvgCharWidth > 0 ? static_cast<int>(std::lround(os2->xAvgCharWidth * em / upem))
                                                   : std::max(1, em / 2);
    PlaceLines(f.face, upem, em, m);
    return m;
  }

  std::unique_ptr<Glyph> render(Face& f, unsigned char code) {
    auto g = std::make_unique<Glyph>();
    if (!f.face || FT_Load_Char(f.face, code, FT_LOAD_TARGET_MONO) != 0) {
      g->advance = f.metrics.aveCharWidth;
      return g;
    }
    FT_GlyphSlot slot = f.face->glyph;
    if (f.oblique) FT_GlyphSlot_Oblique(slot);
    if (f.embolden) FT_GlyphSlot_Embolden(slot);
    g->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return g;
    const FT_Bitmap& bm = slot->bitmap;
    g->left = slot->bitmap_left;
    g->top = f.metrics.ascent - slot->bitmap_top;
    g->width = static_cast<int>(bm.width);
    g->height = static_cast<int>(bm.rows);
    g->mask.resize(static_cast<std::size_t>(g->width) * static_cast<std::size_t>(g->height));
    for (int y = 0; y < g->height; ++y) {
      const unsigned char* row = bm.buffer + static_cast<std::ptrdiff_t>(y) * bm.pitch;
      for (int x = 0; x < g->width; ++x)
        g->mask[static_cast<std::size_t>(y * g->width + x)] = (row[x >> 3] >> (7 - (x & 7))) & 1;
    }
    return g;
  }

  std::mutex mutex_;
  FT_Library library_ = nullptr;
  FcConfig* config_ = nullptr;
  std::map<FontKey, std::unique_ptr<Face>> faces_;
};

Engine& TheEngine() {
  static Engine engine;
  return engine;
}

}  // namespace

FontMetrics MetricsOf(const LOGFONTA& font) {
  Engine& e = TheEngine();
  std::lock_guard lock(e.mutex());
  return e.face(font).metrics;
}

// Glyphs are rendered under the lock; a rendered glyph is never written again, so a run reads
// its glyphs without the lock.
TextRun LayOut(const LOGFONTA& font, std::string_view text) {
  Engine& e = TheEngine();
  std::lock_guard lock(e.mutex());
  Face& f = e.face(font);
  TextRun run;
  run.metrics = f.metrics;
  run.text = text;
  run.face = &f;
  for (char c : text) run.width += e.glyph(f, static_cast<unsigned char>(c)).advance;
  return run;
}

std::string InstalledFamily(std::string_view face) {
  LOGFONTA lf{};
  const std::size_t length = std::min(face.size(), sizeof(lf.lfFaceName) - 1);
  std::memcpy(lf.lfFaceName, face.data(), length);
  Engine& e = TheEngine();
  std::lock_guard lock(e.mutex());
  return e.family(KeyOf(lf));
}

const Glyph& TextRun::glyph(std::size_t i) const { return *face->glyphs[static_cast<unsigned char>(text[i])]; }

}  // namespace gdi
