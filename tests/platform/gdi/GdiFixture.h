// Test helpers: a memory device context over a fresh device-independent bitmap, and pictures of
// its pixels as text rows ('#' where a pixel has the ink colour, '.' elsewhere).
#pragma once

#include <string>
#include <vector>

#include "platform/gdi/GdiMemory.h"
#include "tests/support/Pictures.h"

struct TestCanvas {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  void* bits = nullptr;
  int width = 0;
  int height = 0;

  // A top-down section unless `bottomUp`; paletted depths get `colors` (or black and white).
  TestCanvas(int w, int h, int bitsPerPixel = 32, std::vector<RGBQUAD> colors = {}, bool bottomUp = false)
      : width(w), height(h) {
    std::vector<std::byte> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
    bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi->bmiHeader.biWidth = w;
    bi->bmiHeader.biHeight = bottomUp ? h : -h;
    bi->bmiHeader.biPlanes = 1;
    bi->bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
    if (bitsPerPixel <= 8) {
      if (colors.empty()) colors = {{0, 0, 0, 0}, {255, 255, 255, 0}};
      bi->bmiHeader.biClrUsed = static_cast<DWORD>(colors.size());
      for (std::size_t i = 0; i < colors.size(); ++i) bi->bmiColors[i] = colors[i];
    }
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateDIBSection(dc, bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    previous = SelectObject(dc, bitmap);
  }
  ~TestCanvas() {
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  TestCanvas(const TestCanvas&) = delete;
  TestCanvas& operator=(const TestCanvas&) = delete;

  void clear(COLORREF color) {
    const HBRUSH brush = CreateSolidBrush(color);
    const RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }

  std::string picture(COLORREF ink) const {
    std::string out;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) out += GetPixel(dc, x, y) == ink ? '#' : '.';
      out += '\n';
    }
    return out;
  }
};
