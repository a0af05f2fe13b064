// Interoperability with the GIF library a user already has: files written by it and by
// ImageMagick decode here to the indices it decodes them to, with the same tables and frame
// properties.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "imaging/QmGIF.h"
#include "tests/imaging/GifTestUtil.h"
#include "tests/imaging/GiflibReference.h"

namespace {

using giflib_ref::Rgb;

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Rgb> Palette(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<Rgb> colors(static_cast<std::size_t>(count));
  for (Rgb& c : colors)
    c = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random())};
  return colors;
}

// Indices below `colors` in runs and patches, as pictures have them.
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

giflib_ref::Frame Frame(int left, int top, int width, int height, int colors, unsigned seed) {
  giflib_ref::Frame f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.indices = Picture(width, height, colors, seed);
  return f;
}

// The GIFs written by the GIF library: every table size, interlacing, transparency, local
// tables, disposal methods, odd sizes.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> GiflibFiles() {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
  for (int bits = 1; bits <= 8; ++bits) {
    giflib_ref::Image image;
    image.width = 150 + bits * 37;
    image.height = 90 + bits * 11;
    image.colors = Palette(1 << bits, bits);
    image.frames.push_back(Frame(0, 0, image.width, image.height, 1 << bits, bits));
    files.emplace_back("still, " + std::to_string(1 << bits) + " colours", giflib_ref::Write(image));
    image.frames[0].interlaced = true;
    files.emplace_back("interlaced, " + std::to_string(1 << bits) + " colours", giflib_ref::Write(image));
  }
  for (int height : {1, 2, 3, 4, 5, 8, 9, 97}) {
    giflib_ref::Image image;
    image.width = 7;
    image.height = height;
    image.colors = Palette(16, 3);
    image.frames.push_back(Frame(0, 0, 7, height, 16, height));
    image.frames[0].interlaced = true;
    files.emplace_back("interlaced, height " + std::to_string(height), giflib_ref::Write(image));
  }
  for (auto [width, height] : {std::pair{1, 1}, std::pair{1000, 1}, std::pair{1, 1000}, std::pair{641, 479}}) {
    giflib_ref::Image image;
    image.width = width;
    image.height = height;
    image.colors = Palette(256, 9);
    image.frames.push_back(Frame(0, 0, width, height, 256, 5));
    files.emplace_back(std::to_string(width) + " x " + std::to_string(height), giflib_ref::Write(image));
  }
  {
    giflib_ref::Image image;
    image.width = 64;
    image.height = 48;
    image.colors = Palette(32, 1);
    image.loopCount = 0;
    for (int disposal = 0; disposal < 4; ++disposal) {
      giflib_ref::Frame f = Frame(disposal * 5, disposal * 3, 40 - disposal, 30 + disposal, 32, 20 + disposal);
      f.delay = 5 + disposal * 10;
      f.disposal = disposal;
      f.transparent = disposal == 2 ? -1 : disposal;
      if (disposal % 2 == 1) {
        f.colors = Palette(1 << (disposal + 1), disposal);
        for (std::uint8_t& v : f.indices) v = static_cast<std::uint8_t>(v % f.colors.size());
      }
      image.frames.push_back(f);
    }
    files.emplace_back("animated with every disposal", giflib_ref::Write(image));
  }
  {
    giflib_ref::Image image;
    image.width = 30;
    image.height = 20;
    for (int i = 0; i < 3; ++i) {
      giflib_ref::Frame f = Frame(i, i, 20, 10, 4, 40 + i);
      f.colors = Palette(4, 40 + i);
      f.interlaced = i == 1;
      image.frames.push_back(f);
    }
    files.emplace_back("local tables only", giflib_ref::Write(image));
  }
  return files;
}

std::vector<std::pair<std::string, std::vector<std::uint8_t>>> ImageMagickFiles() {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
  for (const auto& entry : std::filesystem::directory_iterator(GIF_FIXTURES))
    if (entry.path().extension() == ".gif") files.emplace_back(entry.path().filename().string(), FileBytes(entry.path()));
  std::sort(files.begin(), files.end());
  return files;
}

void ExpectTable(const TGIFColorTable& table, const std::vector<Rgb>& colors) {
  ASSERT_EQ(table.Count, static_cast<int>(colors.size()));
  for (std::size_t i = 0; i < colors.size(); ++i) {
    const TGIFColorItem& c = table.Colors[i];
    ASSERT_EQ((Rgb{c.Red, c.Green, c.Blue}), colors[i]) << "entry " << i;
  }
}

TColor ColorOf(const Rgb& c) { return c.r | c.g << 8 | c.b << 16; }

// Decodes the file here and through the GIF library and compares every frame.
void ExpectSameAsGiflib(const std::vector<std::uint8_t>& bytes) {
  const giflib_ref::Image reference = giflib_ref::Read(bytes);
  TGIFImage image;
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  image.LoadFromStream(&stream);
  EXPECT_FALSE(image.GetCorrupted());
  ExpectTable(image.GetGlobalColorTable(), reference.colors);
  ASSERT_EQ(image.GetCount(), static_cast<int>(reference.frames.size()));
  for (int i = 0; i < image.GetCount(); ++i) {
    SCOPED_TRACE(testing::Message() << "frame " << i);
    const giflib_ref::Frame& f = reference.frames[static_cast<std::size_t>(i)];
    TGIFFrame* frame = image.GetFrames(i);
    EXPECT_EQ(frame->GetTopLeft().x, f.left);
    EXPECT_EQ(frame->GetTopLeft().y, f.top);
    EXPECT_EQ(frame->GetWidth(), f.width);
    EXPECT_EQ(frame->GetHeight(), f.height);
    EXPECT_EQ(frame->GetInterlaced(), f.interlaced);
    const std::vector<Rgb>& colors = f.colors.empty() ? reference.colors : f.colors;
    EXPECT_EQ(frame->GetColorCount(), static_cast<int>(colors.size()));
    EXPECT_EQ(gif_test::IndicesOf(frame->GetBitmap()), f.indices);
    if (f.delay >= 0) {
      EXPECT_EQ(frame->GetAnimateInterval(), f.delay * 10);
      EXPECT_EQ(frame->GetDisposalMethod(), f.disposal);
      const TColor transparent = f.transparent >= 0 ? ColorOf(colors[static_cast<std::size_t>(f.transparent)]) : clNone;
      EXPECT_EQ(frame->GetTransparentColor(), transparent);
    }
  }
}

TEST(GifInterop, ReadsWhatTheGifLibraryWrites) {
  for (const auto& [name, bytes] : GiflibFiles()) {
    SCOPED_TRACE(name);
    ExpectSameAsGiflib(bytes);
  }
}

TEST(GifInterop, ReadsWhatImageMagickWrites) {
  const auto files = ImageMagickFiles();
  ASSERT_GE(files.size(), 8u);
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    ExpectSameAsGiflib(bytes);
  }
}

}  // namespace
