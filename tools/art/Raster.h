// Pixel and image value types of the art generators: linear float colours, RGBA layers,
// 8-bit images, and the few blending and scaling helpers every drawing unit shares.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace art {

struct Rgb {
  float r = 0, g = 0, b = 0;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }

// Colour from 0..255 components.
constexpr Rgb Rgb8(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

inline float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }
inline float Mix(float a, float b, float t) { return a + (b - a) * t; }
inline Rgb Mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }
inline float SmoothStep(float e0, float e1, float x) {
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// A colour with coverage; `Over` paints it on a colour below.
struct Rgba {
  Rgb c;
  float a = 0;
};
inline Rgb Over(Rgb below, Rgba top) { return Mix(below, top.c, Clamp01(top.a)); }
inline Rgba OverA(Rgba below, Rgba top) {
  const float a = Clamp01(top.a) + below.a * (1 - Clamp01(top.a));
  if (a <= 0) return {};
  const Rgb c = (top.c * Clamp01(top.a) + below.c * (below.a * (1 - Clamp01(top.a)))) * (1 / a);
  return {c, a};
}

struct Pixel8 {
  std::uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Pixel8&) const = default;
};

inline std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0f)); }
inline Pixel8 ToPixel(Rgb c) { return {ToByte(c.r), ToByte(c.g), ToByte(c.b)}; }

// Row-major image of any pixel type.
template <typename T>
struct Image {
  int width = 0;
  int height = 0;
  std::vector<T> pixels;

  Image() = default;
  Image(int w, int h, T fill = {}) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}
  T& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const T& at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

using RgbImage = Image<Pixel8>;

// Copies the rectangle (x, y, w, h) of `src` into `dst` at (dx, dy).
template <typename T>
void CopyRect(const Image<T>& src, int x, int y, int w, int h, Image<T>& dst, int dx, int dy) {
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) dst.at(dx + i, dy + j) = src.at(x + i, y + j);
}

// Nearest-pixel scaling as the platform's default stretch mode does it: each pixel takes the
// source pixel under its centre.
RgbImage ScaleNearest(const RgbImage& src, int w, int h);
// Area-averaging reduction, for the small still pictures.
RgbImage ScaleArea(const RgbImage& src, int w, int h);

// Frame `index` of a sheet whose frames are stacked `frameHeight` rows apart.
RgbImage FrameOf(const RgbImage& sheet, int frameHeight, int index);

// Stretches `picture` to w x h and draws it at (x, y) on `screen`, clipped to it; a keyed
// picture leaves out every pixel of its top-left pixel's colour.
void DrawStretched(RgbImage& screen, const RgbImage& picture, int x, int y, int w, int h, bool keyed);

}  // namespace art
