// Scaling helpers of the art generators: nearest pixel (what the display does with the layers)
// and area averaging (for the small still pictures, which should look smooth); drawing layers.
#include "tools/art/Raster.h"

namespace art {

namespace {

int CentreSample(int i, int from, int to) {
  return static_cast<int>((2 * static_cast<long long>(i) + 1) * from / (2 * static_cast<long long>(to)));
}

}  // namespace

RgbImage ScaleNearest(const RgbImage& src, int w, int h) {
  RgbImage out(w, h);
  for (int y = 0; y < h; ++y) {
    const int sy = CentreSample(y, src.height, h);
    for (int x = 0; x < w; ++x) out.at(x, y) = src.at(CentreSample(x, src.width, w), sy);
  }
  return out;
}

RgbImage ScaleArea(const RgbImage& src, int w, int h) {
  RgbImage out(w, h);
  const double kx = static_cast<double>(src.width) / w, ky = static_cast<double>(src.height) / h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      double r = 0, g = 0, b = 0, n = 0;
      const double x0 = x * kx, x1 = (x + 1) * kx, y0 = y * ky, y1 = (y + 1) * ky;
      for (int sy = static_cast<int>(y0); sy < y1 && sy < src.height; ++sy) {
        const double wy = std::min<double>(sy + 1, y1) - std::max<double>(sy, y0);
        for (int sx = static_cast<int>(x0); sx < x1 && sx < src.width; ++sx) {
          const double wgt = wy * (std::min<double>(sx + 1, x1) - std::max<double>(sx, x0));
          const Pixel8 p = src.at(sx, sy);
          r += p.r * wgt;
          g += p.g * wgt;
          b += p.b * wgt;
          n += wgt;
        }
      }
      out.at(x, y) = {static_cast<std::uint8_t>(std::lround(r / n)), static_cast<std::uint8_t>(std::lround(g / n)),
                      static_cast<std::uint8_t>(std::lround(b / n))};
    }
  }
  return out;
}

RgbImage FrameOf(const RgbImage& sheet, int frameHeight, int index) {
  RgbImage out(sheet.width, frameHeight);
  CopyRect(sheet, 0, index * frameHeight, sheet.width, frameHeight, out, 0, 0);
  return out;
}

void DrawStretched(RgbImage& screen, const RgbImage& picture, int x, int y, int w, int h, bool keyed) {
  if (w <= 0 || h <= 0) return;
  const RgbImage s = ScaleNearest(picture, w, h);
  const Pixel8 key = s.at(0, 0);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const int sx = x + i, sy = y + j;
      if (sx < 0 || sy < 0 || sx >= screen.width || sy >= screen.height) continue;
      if (keyed && s.at(i, j) == key) continue;
      screen.at(sx, sy) = s.at(i, j);
    }
}

}  // namespace art
