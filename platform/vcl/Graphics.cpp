// Colour resolution and the canvas's drawing tools (pen, brush, font): plain values that
// report each real change to whoever realises them in a device context.
#include <array>

#include "platform/vcl/Graphics.h"

namespace {

// The standard colour scheme, by system colour index.
constexpr std::array<TColor, 25> kSystemColors = {
    0xC0C0C0,  // scroll bar
    0x808000,  // desktop
    0x800000,  // active caption
    0x808080,  // inactive caption
    0xC0C0C0,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC0C0C0,  // active border
    0xC0C0C0,  // inactive border
    0x808080,  // application work space
    0x800000,  // highlight
    0xFFFFFF,  // highlight text
    0xC0C0C0,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC0C0C0,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x000000,  // 3-D dark shadow
    0xDFDFDF,  // 3-D light
    0x000000,  // tooltip text
    0xE1FFFF,  // tooltip background
};

// Stores Value in Field and reports a change, only when it differs.
template <class T>
void Update(T& Field, const T& Value, auto&& changed) {
  if (Field == Value) return;
  Field = Value;
  changed();
}

// value * numerator / denominator, rounded half away from zero, as points and pixels convert.
int ScaleRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product < 0 ? (product - half) / denominator : (product + half) / denominator);
}

}  // namespace

TColor ColorToRGB(TColor Color) {
  if (Color >= 0) return Color;
  const unsigned index = static_cast<unsigned>(Color) & 0xFF;
  return index < kSystemColors.size() ? kSystemColors[index] : clBlack;
}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TPen

void TPen::Assign(TPersistent* Source) {
  auto* pen = dynamic_cast<TPen*>(Source);
  if (pen == nullptr) return TGraphicsObject::Assign(Source);
  if (pen == this) return;
  FColor = pen->FColor;
  FWidth = pen->FWidth;
  FStyle = pen->FStyle;
  FMode = pen->FMode;
  Changed();
}

void TPen::SetColor(TColor Value) { Update(FColor, Value, [this] { Changed(); }); }
void TPen::SetWidth(int Value) { Update(FWidth, Value, [this] { Changed(); }); }
void TPen::SetStyle(TPenStyle Value) { Update(FStyle, Value, [this] { Changed(); }); }
void TPen::SetMode(TPenMode Value) { Update(FMode, Value, [this] { Changed(); }); }

// ---- TBrush

void TBrush::Assign(TPersistent* Source) {
  auto* brush = dynamic_cast<TBrush*>(Source);
  if (brush == nullptr) return TGraphicsObject::Assign(Source);
  if (brush == this) return;
  FColor = brush->FColor;
  FStyle = brush->FStyle;
  Changed();
}

void TBrush::SetColor(TColor Value) { Update(FColor, Value, [this] { Changed(); }); }
void TBrush::SetStyle(TBrushStyle Value) { Update(FStyle, Value, [this] { Changed(); }); }

// ---- TFont

void TFont::Assign(TPersistent* Source) {
  auto* font = dynamic_cast<TFont*>(Source);
  if (font == nullptr) return TGraphicsObject::Assign(Source);
  if (font == this) return;
  FName = font->FName;
  FHeight = font->FHeight;
  FColor = font->FColor;
  FStyle = font->FStyle;
  FPitch = font->FPitch;
  FCharset = font->FCharset;
  Changed();
}

void TFont::SetName(const AnsiString& Value) { Update(FName, Value, [this] { Changed(); }); }

int TFont::GetSize() const { return -ScaleRounded(FHeight, 72, PixelsPerInch); }
void TFont::SetSize(int Value) { SetHeight(-ScaleRounded(Value, PixelsPerInch, 72)); }

void TFont::SetHeight(int Value) { Update(FHeight, Value, [this] { Changed(); }); }
void TFont::SetColor(TColor Value) { Update(FColor, Value, [this] { Changed(); }); }
void TFont::SetStyle(TFontStyles Value) { Update(FStyle, Value, [this] { Changed(); }); }
void TFont::SetPitch(TFontPitch Value) { Update(FPitch, Value, [this] { Changed(); }); }
void TFont::SetCharset(TFontCharset Value) { Update(FCharset, Value, [this] { Changed(); }); }
