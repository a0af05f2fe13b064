// Test helpers: a memory device context over a fresh device-independent bitmap, pictures of its
// pixels as text rows ('#' where a pixel has the ink colour, '.' elsewhere), and where an ink lies.
#pragma once

#include <algorithm>
#include <string>
#include <utility>
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

  // The bounding box of the pixels of one colour, empty when there are none.
  RECT inkBox(COLORREF ink) const {
    RECT box{width, height, 0, 0};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (GetPixel(dc, x, y) == ink) {
          box.left = std::min<LONG>(box.left, x);
          box.top = std::min<LONG>(box.top, y);
          box.right = std::max<LONG>(box.right, x + 1);
          box.bottom = std::max<LONG>(box.bottom, y + 1);
        }
    return box;
  }

  // Bands of rows, as {top, bottom}, in which one colour covers columns x0..x1-1 whole and
  // neither column beside them: the lines drawn across a text.
  std::vector<std::pair<int, int>> fullRows(int x0, int x1, COLORREF ink) const {
    std::vector<std::pair<int, int>> bands;
    for (int y = 0; y < height; ++y) {
      bool full = GetPixel(dc, x0 - 1, y) != ink && GetPixel(dc, x1, y) != ink;
      for (int x = x0; x < x1 && full; ++x) full = GetPixel(dc, x, y) == ink;
      if (!full) continue;
      if (!bands.empty() && bands.back().second == y)
        bands.back().second = y + 1;
      else
        bands.emplace_back(y, y + 1);
    }
    return bands;
  }
};
