// Icon and cursor files built in memory for tests: images drawn as rows of letters ('.' is
// transparent, K W R G B Y opaque black, white, red, green, blue, yellow) at a chosen depth;
// O, orange, is in no palette and serves 24- and 32-bit images only.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace iconfiles {

struct Image {
  std::vector<std::string> rows;
  int bits = 24;
  POINT hotSpot{0, 0};  // cursors only
  bool png = false;     // stored as a compressed image (only its signature is written)
};

inline COLORREF ColorOf(char c) {
  switch (c) {
    case 'W': return RGB(255, 255, 255);
    case 'R': return RGB(255, 0, 0);
    case 'G': return RGB(0, 255, 0);
    case 'B': return RGB(0, 0, 255);
    case 'Y': return RGB(255, 255, 0);
    case 'O': return RGB(255, 128, 0);
    default: return RGB(0, 0, 0);
  }
}

template <class T>
void Put(std::vector<std::byte>& out, T v) {
  const auto* p = reinterpret_cast<const std::byte*>(&v);
  out.insert(out.end(), p, p + sizeof v);
}

// One image as the files keep it: info header at twice the height, colours, XOR rows, AND rows.
inline std::vector<std::byte> ImageBytes(const Image& image) {
  if (image.png) return {std::byte{0x89}, std::byte{'P'}, std::byte{'N'}, std::byte{'G'}, std::byte{'\r'},
                         std::byte{'\n'}, std::byte{0x1A}, std::byte{'\n'}, std::byte{0}, std::byte{0}};
  const int h = static_cast<int>(image.rows.size()), w = static_cast<int>(image.rows[0].size());
  const int bits = image.bits;
  const std::string letters = "KWRGBY";
  std::vector<std::byte> out;
  Put(out, BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, 2 * h, 1, static_cast<WORD>(bits), BI_RGB, 0, 0, 0, 0, 0});
  if (bits <= 8)
    for (int i = 0; i < (1 << bits); ++i) {
      const COLORREF c = i < static_cast<int>(letters.size()) ? ColorOf(letters[static_cast<std::size_t>(i)]) : 0;
      Put(out, RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0});
    }
  const auto stride = static_cast<std::size_t>((w * bits + 31) / 32 * 4);
  const auto maskStride = static_cast<std::size_t>((w + 31) / 32 * 4);
  for (int y = h - 1; y >= 0; --y) {
    std::vector<std::byte> row(stride);
    for (int x = 0; x < w; ++x) {
      const char c = image.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
      const bool clear = c == '.';
      if (bits <= 8) {
        const auto index = clear ? 0u : static_cast<unsigned>(letters.find(c));
        const int bit = x * bits;
        row[static_cast<std::size_t>(bit / 8)] |= std::byte{static_cast<unsigned char>(index << (8 - bits - bit % 8))};
      } else {
        const COLORREF col = clear ? 0 : ColorOf(c);
        const std::byte px[4] = {std::byte{GetBValue(col)}, std::byte{GetGValue(col)}, std::byte{GetRValue(col)},
                                 std::byte{static_cast<unsigned char>(clear ? 0 : 255)}};
        std::memcpy(row.data() + x * bits / 8, px, static_cast<std::size_t>(bits / 8));
      }
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  for (int y = h - 1; y >= 0; --y) {
    std::vector<std::byte> row(maskStride);
    for (int x = 0; x < w; ++x)
      if (image.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == '.')
        row[static_cast<std::size_t>(x / 8)] |= std::byte{static_cast<unsigned char>(0x80 >> (x % 8))};
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

// A whole file: type 1 for icons, 2 for cursors.
inline std::vector<std::byte> File(WORD type, const std::vector<Image>& images) {
  std::vector<std::byte> out;
  Put<WORD>(out, 0);
  Put<WORD>(out, type);
  Put<WORD>(out, static_cast<WORD>(images.size()));
  std::vector<std::vector<std::byte>> bodies;
  for (const Image& i : images) bodies.push_back(ImageBytes(i));
  DWORD offset = static_cast<DWORD>(6 + 16 * images.size());
  for (std::size_t i = 0; i < images.size(); ++i) {
    const Image& img = images[i];
    const int w = static_cast<int>(img.rows.empty() ? 0 : img.rows[0].size()), h = static_cast<int>(img.rows.size());
    out.push_back(std::byte{static_cast<unsigned char>(w)});
    out.push_back(std::byte{static_cast<unsigned char>(h)});
    out.push_back(std::byte{static_cast<unsigned char>(img.bits <= 8 ? (1 << img.bits) & 0xFF : 0)});
    out.push_back(std::byte{0});
    Put<WORD>(out, static_cast<WORD>(type == 2 ? img.hotSpot.x : 1));
    Put<WORD>(out, static_cast<WORD>(type == 2 ? img.hotSpot.y : img.bits));
    Put<DWORD>(out, static_cast<DWORD>(bodies[i].size()));
    Put<DWORD>(out, offset);
    offset += static_cast<DWORD>(bodies[i].size());
  }
  for (const auto& b : bodies) out.insert(out.end(), b.begin(), b.end());
  return out;
}

// An animated cursor file: a RIFF "ACON" with its header chunk and a list of the frames.
inline std::vector<std::byte> AnimatedCursorFile(const std::vector<std::vector<std::byte>>& frames) {
  const auto tag = [](std::vector<std::byte>& out, const char* name) {
    out.insert(out.end(), reinterpret_cast<const std::byte*>(name), reinterpret_cast<const std::byte*>(name) + 4);
  };
  const auto chunk = [&](std::vector<std::byte>& out, const char* name, const std::vector<std::byte>& body) {
    tag(out, name);
    Put<DWORD>(out, static_cast<DWORD>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(std::byte{0});
  };
  std::vector<std::byte> body;
  tag(body, "ACON");
  chunk(body, "anih", std::vector<std::byte>(36));
  std::vector<std::byte> list;
  tag(list, "fram");
  for (const auto& f : frames) chunk(list, "icon", f);
  chunk(body, "LIST", list);
  std::vector<std::byte> file;
  chunk(file, "RIFF", body);
  return file;
}

// A square picture of one letter with a transparent border of one pixel.
inline std::vector<std::string> Square(int side, char letter) {
  std::vector<std::string> rows(static_cast<std::size_t>(side), std::string(static_cast<std::size_t>(side), '.'));
  for (int y = 1; y + 1 < side; ++y)
    for (int x = 1; x + 1 < side; ++x) rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = letter;
  return rows;
}

}  // namespace iconfiles
