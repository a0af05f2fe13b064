// Test pictures drawn as letters: a bitmap from rows of colour letters, and a bitmap's pixels
// read back as rows of the same letters ('?' for a colour without one).
#pragma once

#include <initializer_list>
#include <memory>
#include <string>

#include "platform/vcl/Graphics.h"
#include "tests/support/Pictures.h"

namespace art {

struct Letter {
  char letter;
  TColor color;
};
inline constexpr Letter kLetters[] = {
    {'K', clBlack}, {'W', clWhite},  {'R', clRed},    {'G', clLime}, {'B', clBlue},
    {'Y', clYellow}, {'M', clFuchsia}, {'S', clSilver}, {'D', clGray}, {'C', clAqua},
};

inline TColor ColorOf(char c) {
  for (const Letter& l : kLetters)
    if (l.letter == c) return l.color;
  return clBlack;
}

inline char LetterOf(TColor color) {
  for (const Letter& l : kLetters)
    if (l.color == color) return l.letter;
  return '?';
}

inline std::unique_ptr<TBitmap> Bitmap(std::initializer_list<const char*> rows, TPixelFormat format = pf24bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(format);
  const int height = static_cast<int>(rows.size());
  const int width = height ? static_cast<int>(std::string(*rows.begin()).size()) : 0;
  b->SetSize(width, height);
  int y = 0;
  for (const char* row : rows) {
    for (int x = 0; x < width; ++x) b->GetCanvas()->SetPixels(x, y, ColorOf(row[x]));
    ++y;
  }
  return b;
}

// A bitmap of one colour, to draw on.
inline std::unique_ptr<TBitmap> Plain(int width, int height, TColor color) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->GetCanvas()->GetBrush()->SetColor(color);
  b->SetSize(width, height);
  return b;
}

inline std::string Picture(TBitmap* b) {
  std::string out;
  for (int y = 0; y < b->GetHeight(); ++y) {
    for (int x = 0; x < b->GetWidth(); ++x) out += LetterOf(b->GetCanvas()->GetPixels(x, y));
    out += '\n';
  }
  return out;
}

}  // namespace art
