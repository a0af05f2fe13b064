// The interoperability set: GIF files written through the GIF library from fixed seeds, and
// the files ImageMagick wrote, read from their folder.
#include "tests/imaging/GiflibFixtures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace giflib_ref {

std::vector<Rgb> Palette(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<Rgb> colors(static_cast<std::size_t>(count));
  for (Rgb& c : colors)
    c = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random())};
  return colors;
}

std::vector<std::uint8_t> Picture(int width, int height, int colors, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> v(static_cast<std::size_t>(width) * height);
  for (std::size_t i = 0; i < v.size(); ++i) {
    const std::size_t above = i >= static_cast<std::size_t>(width) ? i - width : i;
    switch (random() % 4) {
      case 0: v[i] = static_cast<std::uint8_t>(random() % static_cast<unsigned>(colors)); break;
      case 1: v[i] = v[above]; break;
      default: v[i] = i > 0 ? v[i - 1] : 0;
    }
  }
  return v;
}

namespace {

Frame FrameOf(int left, int top, int width, int height, int colors, unsigned seed) {
  Frame f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.indices = Picture(width, height, colors, seed);
  return f;
}

}  // namespace

std::vector<NamedFile> GiflibFiles() {
  std::vector<NamedFile> files;
  for (int bits = 1; bits <= 8; ++bits) {
    Image image;
    image.width = 150 + bits * 37;
    image.height = 90 + bits * 11;
    image.colors = Palette(1 << bits, bits);
    image.frames.push_back(FrameOf(0, 0, image.width, image.height, 1 << bits, bits));
    files.emplace_back("still, " + std::to_string(1 << bits) + " colours", Write(image));
    image.frames[0].interlaced = true;
    files.emplace_back("interlaced, " + std::to_string(1 << bits) + " colours", Write(image));
  }
  for (int height : {1, 2, 3, 4, 5, 8, 9, 97}) {
    Image image;
    image.width = 7;
    image.height = height;
    image.colors = Palette(16, 3);
    image.frames.push_back(FrameOf(0, 0, 7, height, 16, height));
    image.frames[0].interlaced = true;
    files.emplace_back("interlaced, height " + std::to_string(height), Write(image));
  }
  for (auto [width, height] : {std::pair{1, 1}, std::pair{1000, 1}, std::pair{1, 1000}, std::pair{641, 479}}) {
    Image image;
    image.width = width;
    image.height = height;
    image.colors = Palette(256, 9);
    image.frames.push_back(FrameOf(0, 0, width, height, 256, 5));
    files.emplace_back(std::to_string(width) + " x " + std::to_string(height), Write(image));
  }
  {
    Image image;
    image.width = 64;
    image.height = 48;
    image.colors = Palette(32, 1);
    image.loopCount = 0;
    for (int disposal = 0; disposal < 4; ++disposal) {
      Frame f = FrameOf(disposal * 5, disposal * 3, 40 - disposal, 30 + disposal, 32, 20 + disposal);
      f.delay = 5 + disposal * 10;
      f.disposal = disposal;
      f.transparent = disposal == 2 ? -1 : disposal;
      if (disposal % 2 == 1) {
        f.colors = Palette(1 << (disposal + 1), disposal);
        for (std::uint8_t& v : f.indices) v = static_cast<std::uint8_t>(v % f.colors.size());
      }
      image.frames.push_back(f);
    }
    files.emplace_back("animated with every disposal", Write(image));
  }
  {
    Image image;
    image.width = 30;
    image.height = 20;
    for (int i = 0; i < 3; ++i) {
      Frame f = FrameOf(i, i, 20, 10, 4, 40 + i);
      f.colors = Palette(4, 40 + i);
      f.interlaced = i == 1;
      image.frames.push_back(f);
    }
    files.emplace_back("local tables only", Write(image));
  }
  return files;
}

std::vector<NamedFile> ImageMagickFiles(const std::string& folder) {
  std::vector<NamedFile> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".gif") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files.emplace_back(entry.path().filename().string(),
                       std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace giflib_ref
