// Reduction of a picture to an 8-bit palette: median cut over the picture's colours, weighted
// by how often each occurs, then every pixel to its nearest palette entry.
#include "tools/art/Palette.h"

#include <algorithm>
#include <map>

namespace art {
namespace {

struct Weighted {
  Pixel8 colour;
  std::uint32_t count;
};

int Channel(Pixel8 p, int c) { return c == 0 ? p.r : c == 1 ? p.g : p.b; }

struct Box {
  std::vector<Weighted> colours;
  int WidestChannel(int& range) const {
    int best = 0;
    range = -1;
    for (int c = 0; c < 3; ++c) {
      int lo = 255, hi = 0;
      for (const Weighted& w : colours) {
        lo = std::min(lo, Channel(w.colour, c));
        hi = std::max(hi, Channel(w.colour, c));
      }
      if (hi - lo > range) {
        range = hi - lo;
        best = c;
      }
    }
    return best;
  }
  Pixel8 Mean() const {
    double r = 0, g = 0, b = 0, n = 0;
    for (const Weighted& w : colours) {
      r += w.colour.r * double(w.count);
      g += w.colour.g * double(w.count);
      b += w.colour.b * double(w.count);
      n += w.count;
    }
    return {static_cast<std::uint8_t>(r / n + 0.5), static_cast<std::uint8_t>(g / n + 0.5),
            static_cast<std::uint8_t>(b / n + 0.5)};
  }
};

std::vector<Pixel8> MedianCut(std::vector<Weighted> colours, std::size_t wanted) {
  std::vector<Box> boxes{{std::move(colours)}};
  while (boxes.size() < wanted) {
    // Split the box with the widest spread (ties: the one holding more pixels).
    std::size_t pick = boxes.size();
    int pickRange = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      int range = 0;
      boxes[i].WidestChannel(range);
      if (boxes[i].colours.size() > 1 && range > pickRange) {
        pick = i;
        pickRange = range;
      }
    }
    if (pick == boxes.size()) break;
    int range = 0;
    const int c = boxes[pick].WidestChannel(range);
    auto& v = boxes[pick].colours;
    std::sort(v.begin(), v.end(), [c](const Weighted& a, const Weighted& b) {
      return Channel(a.colour, c) < Channel(b.colour, c);
    });
    std::uint64_t total = 0, half = 0;
    for (const Weighted& w : v) total += w.count;
    std::size_t cut = 0;
    while (cut + 1 < v.size() && (half += v[cut].count) * 2 < total) ++cut;
    cut = std::clamp<std::size_t>(cut + 1, 1, v.size() - 1);
    Box upper{std::vector<Weighted>(v.begin() + static_cast<std::ptrdiff_t>(cut), v.end())};
    v.resize(cut);
    boxes.push_back(std::move(upper));
  }
  std::vector<Pixel8> out;
  for (const Box& b : boxes) out.push_back(b.Mean());
  return out;
}

int Distance(Pixel8 a, Pixel8 b) {
  const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

// Moves a palette colour off the key, should median cut ever land on it.
Pixel8 AwayFromKey(Pixel8 p) {
  while (p == kKey || SameAtSixteenBits(p, kKey)) p.g = static_cast<std::uint8_t>(p.g + 8);
  return p;
}

}  // namespace

bool SameAtSixteenBits(Pixel8 a, Pixel8 b) {
  const bool same565 = (a.r >> 3) == (b.r >> 3) && (a.g >> 2) == (b.g >> 2) && (a.b >> 3) == (b.b >> 3);
  const bool same555 = (a.r >> 3) == (b.r >> 3) && (a.g >> 3) == (b.g >> 3) && (a.b >> 3) == (b.b >> 3);
  return same565 || same555;
}

IndexedImage Quantise(const RgbImage& picture, bool keyed) {
  std::map<std::uint32_t, std::uint32_t> histogram;
  const auto packed = [](Pixel8 p) { return (std::uint32_t(p.r) << 16) | (std::uint32_t(p.g) << 8) | p.b; };
  for (const Pixel8& p : picture.pixels)
    if (!(keyed && p == kKey)) ++histogram[packed(p)];
  std::vector<Weighted> colours;
  for (const auto& [rgb, n] : histogram)
    colours.push_back({{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                        static_cast<std::uint8_t>(rgb)},
                       n});
  IndexedImage out{picture.width, picture.height, {}, {}};
  if (keyed) out.palette.push_back(kKey);
  const std::size_t first = out.palette.size();
  for (Pixel8 p : MedianCut(std::move(colours), 256 - first)) out.palette.push_back(keyed ? AwayFromKey(p) : p);

  std::map<std::uint32_t, std::uint8_t> nearest;
  out.index.reserve(picture.pixels.size());
  for (const Pixel8& p : picture.pixels) {
    if (keyed && p == kKey) {
      out.index.push_back(0);
      continue;
    }
    auto [it, fresh] = nearest.try_emplace(packed(p), 0);
    if (fresh) {
      int best = 1 << 30;
      for (std::size_t i = first; i < out.palette.size(); ++i) {
        const int d = Distance(p, out.palette[i]);
        if (d < best) {
          best = d;
          it->second = static_cast<std::uint8_t>(i);
        }
      }
    }
    out.index.push_back(it->second);
  }
  return out;
}

RgbImage Expand(const IndexedImage& picture) {
  RgbImage out(picture.width, picture.height);
  for (std::size_t i = 0; i < picture.index.size(); ++i) out.pixels[i] = picture.palette[picture.index[i]];
  return out;
}

}  // namespace art
