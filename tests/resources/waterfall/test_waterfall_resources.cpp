// Reads every committed picture and sound of the waterfall program and checks its format,
// size and frame layout, the key colour rule of the masked pictures, that the pieces line up
// with the ground, that the water loops and moves, and that the sound loops without a jump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "tests/resources/ResourceReaders.h"
#include "tests/resources/SheetChecks.h"

namespace {

using res::Bytes;
using res::Diff;

const std::string kDir = QM_WATERFALL_RESOURCES;

Bytes Load(const std::string& name) { return res::ReadFile(kDir + "/" + name); }

const res::Jpeg& Picture(const std::string& name) {
  static std::map<std::string, res::Jpeg> cache;
  auto it = cache.find(name);
  if (it == cache.end()) {
    std::string error;
    auto jpeg = res::ReadJpeg(Load(name), error);
    if (!jpeg) ADD_FAILURE() << name << ": " << error;
    it = cache.emplace(name, jpeg ? *jpeg : res::Jpeg{}).first;
  }
  return it->second;
}

const res::Bmp8& Bitmap(const std::string& name) {
  static std::map<std::string, res::Bmp8> cache;
  auto it = cache.find(name);
  if (it == cache.end()) {
    std::string error;
    auto bmp = res::ReadBmp8(Load(name), error);
    if (!bmp) ADD_FAILURE() << name << ": " << error;
    it = cache.emplace(name, bmp ? *bmp : res::Bmp8{}).first;
  }
  return it->second;
}

bool SameAtSixteenBits(res::Rgb a, res::Rgb b) {
  const bool same565 = (a.r >> 3) == (b.r >> 3) && (a.g >> 2) == (b.g >> 2) && (a.b >> 3) == (b.b >> 3);
  const bool same555 = (a.r >> 3) == (b.r >> 3) && (a.g >> 3) == (b.g >> 3) && (a.b >> 3) == (b.b >> 3);
  return same565 || same555;
}

// The layer table on the 800 x 600 reference screen.
struct Layer {
  const char* file;
  int x, y, w, h, frames;
};
constexpr Layer kGround{"ground.jpg", 0, 0, 800, 418, 1};
constexpr Layer kWaterfall{"waterfall.jpg", 290, 280, 202, 101, 32};
constexpr Layer kHighWater{"highwater.jpg", 40, 375, 654, 38, 32};
constexpr Layer kLowWater{"lowwater.jpg", 0, 413, 800, 187, 32};
constexpr Layer kAnimated[] = {kWaterfall, kHighWater, kLowWater};

bool Covers(const Layer& l, int x, int y) { return x >= l.x && x < l.x + l.w && y >= l.y && y < l.y + l.h; }
bool Animated(int x, int y) {
  return std::any_of(std::begin(kAnimated), std::end(kAnimated), [&](const Layer& l) { return Covers(l, x, y); });
}

// A pixel of a JPEG layer's frame, by reference-screen position.
res::Rgb LayerPixel(const Layer& l, int frame, int x, int y) {
  return Picture(l.file).at(x - l.x, frame * l.h + (y - l.y));
}

// The reference screen in frame `frame` as the program draws it before the masks.
res::Rgb ScenePixel(int frame, int x, int y) {
  for (const Layer* l : {&kLowWater, &kHighWater, &kWaterfall})
    if (Covers(*l, x, y)) return LayerPixel(*l, frame, x, y);
  return LayerPixel(kGround, 0, x, y);
}

struct Keyed {
  const char* file;
  int x, y, w, h, frames;  // place on the reference screen (masks) and frame layout
};
constexpr Keyed kMasks[] = {{"maskstone.bmp", 290, 280, 202, 101, 1},
                            {"mask1.bmp", 0, 0, 268, 281, 1},
                            {"mask2.bmp", 607, 0, 193, 281, 1},
                            {"mask3.bmp", 0, 295, 121, 305, 1},
                            {"mask4.bmp", 712, 487, 88, 113, 1}};
// True where a mask shows its own picture, which hides whatever lies beneath it.
bool UnderAMask(int x, int y) {
  for (const Keyed& k : kMasks) {
    if (x < k.x || y < k.y || x >= k.x + k.w || y >= k.y + k.h) continue;
    const res::Bmp8& bmp = Bitmap(k.file);
    if (bmp.at(x - k.x, y - k.y) != bmp.at(0, 0)) return true;
  }
  return false;
}

// ---- JPEG pictures ----

TEST(WaterfallPictures, JpegsAreBaselineColourPicturesOfTheTableSizes) {
  for (const Layer& l : {kGround, kWaterfall, kHighWater, kLowWater}) {
    SCOPED_TRACE(l.file);
    const res::Jpeg& j = Picture(l.file);
    EXPECT_TRUE(j.baseline);
    EXPECT_EQ(j.components, 3);
    EXPECT_EQ(j.width, l.w);
    EXPECT_EQ(j.height, l.h * l.frames);
  }
}

// Where an animated layer meets the still ground, no frame shows a seam: along every stretch
// of the layer's edge the colour changes across it no more than the ground itself changes
// across the same line.
TEST(WaterfallPictures, AnimatedLayersMeetTheGroundWithoutASeam) {
  constexpr int kStretch = 16;  // edge pixels judged together
  for (const Layer& l : kAnimated) {
    SCOPED_TRACE(l.file);
    for (int frame = 0; frame < l.frames; ++frame) {
      long seam = 0, natural = 0, count = 0, stretches = 0;
      int lastX = 0, lastY = 0;
      const auto judge = [&] {
        if (count > 0) {
          EXPECT_LT(static_cast<double>(seam) / count, 1.3 * natural / count + 10)
              << "frame " << frame << ", edge up to " << lastX << ", " << lastY;
        }
        stretches += count > 0;
        seam = natural = count = 0;
      };
      const auto across = [&](int x, int y, int ox, int oy) {
        if (ox < 0 || ox > 799 || oy < 0 || Animated(ox, oy) || UnderAMask(x, y) || UnderAMask(ox, oy)) return;
        const res::Rgb outside = LayerPixel(kGround, 0, ox, oy);
        seam += Diff(LayerPixel(l, frame, x, y), outside);
        natural += Diff(LayerPixel(kGround, 0, x, y), outside);
        lastX = x;
        lastY = y;
        if (++count == kStretch) judge();
      };
      for (int x = l.x; x < l.x + l.w; ++x) across(x, l.y, x, l.y - 1);
      judge();
      for (int y = l.y; y < std::min(l.y + l.h, kGround.h); ++y) across(l.x, y, l.x - 1, y);
      judge();
      for (int y = l.y; y < std::min(l.y + l.h, kGround.h); ++y) across(l.x + l.w - 1, y, l.x + l.w, y);
      judge();
      EXPECT_GT(stretches, 0);
    }
  }
}

// Frame 31 runs into frame 0 like any frame into the next, and the water visibly moves.
TEST(WaterfallPictures, WaterAnimationsMoveAndLoop) {
  for (const Layer& l : kAnimated) {
    SCOPED_TRACE(l.file);
    res::ExpectMovesAndLoops(Picture(l.file), l.h, 3.0);
  }
}

// ---- 8-bit pictures with a key colour ----

constexpr Keyed kSheets[] = {{"eagles.bmp", 0, 0, 46, 23, 144}, {"butterflys.bmp", 0, 0, 40, 30, 16}};

// The key is the top-left pixel's index (of each frame, for sheets); no other palette entry
// has the key colour, even as the display's 16-bit pixels see it.
void ExpectKeyRule(const res::Bmp8& bmp, int frameHeight) {
  const std::uint8_t key = bmp.at(0, 0);
  for (int f = 0; f * frameHeight < bmp.height; ++f) EXPECT_EQ(bmp.at(0, f * frameHeight), key) << "frame " << f;
  for (std::size_t i = 0; i < bmp.palette.size(); ++i)
    if (i != key) {
      EXPECT_FALSE(bmp.palette[i] == bmp.palette[key]) << "entry " << i;
      EXPECT_FALSE(SameAtSixteenBits(bmp.palette[i], bmp.palette[key])) << "entry " << i;
    }
}

TEST(WaterfallPictures, MasksAndSheetsAreKeyedEightBitBitmaps) {
  for (const auto& k : {kMasks[0], kMasks[1], kMasks[2], kMasks[3], kMasks[4], kSheets[0], kSheets[1]}) {
    SCOPED_TRACE(k.file);
    const res::Bmp8& bmp = Bitmap(k.file);
    EXPECT_EQ(bmp.compression, 0u);
    EXPECT_EQ(bmp.width, k.w);
    EXPECT_EQ(bmp.height, k.h * k.frames);
    ExpectKeyRule(bmp, k.h);
    const std::uint8_t key = bmp.at(0, 0);
    const auto shown = std::count_if(bmp.index.begin(), bmp.index.end(), [&](std::uint8_t i) { return i != key; });
    EXPECT_GT(shown, static_cast<long>(bmp.index.size() / 50));  // there is a picture
    EXPECT_LT(shown, static_cast<long>(bmp.index.size()));       // and something see-through
  }
}

// Each mask is cut from the landscape beneath it: at 800 x 600 its pixels are the scene's.
TEST(WaterfallPictures, MasksMatchTheSceneBeneathThem) {
  for (const Keyed& k : kMasks) {
    SCOPED_TRACE(k.file);
    const res::Bmp8& bmp = Bitmap(k.file);
    const std::uint8_t key = bmp.at(0, 0);
    long total = 0, count = 0;
    for (int y = 0; y < k.h; ++y)
      for (int x = 0; x < k.w; ++x)
        if (bmp.at(x, y) != key) {
          total += Diff(bmp.palette[bmp.at(x, y)], ScenePixel(0, k.x + x, k.y + y));
          ++count;
        }
    ASSERT_GT(count, 0);
    EXPECT_LT(static_cast<double>(total) / count, 20.0);
  }
}

// Shrunk to their size on screen (nearest pixel), every flyer frame still shows a body.
TEST(WaterfallPictures, FlyerFramesReadAtTheirShownSize) {
  struct Shown {
    Keyed sheet;
    int w, h, minimum;
  };
  for (const Shown& s : {Shown{kSheets[0], 18, 9, 14}, Shown{kSheets[1], 15, 15, 30}}) {
    SCOPED_TRACE(s.sheet.file);
    const res::Bmp8& bmp = Bitmap(s.sheet.file);
    for (int f = 0; f < s.sheet.frames; ++f) {
      const std::uint8_t key = bmp.at(0, f * s.sheet.h);
      int shown = 0;
      for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
          shown += bmp.at(x * s.sheet.w / s.w, f * s.sheet.h + y * s.sheet.h / s.h) != key;
      EXPECT_GE(shown, s.minimum) << "frame " << f;
    }
  }
}

// ---- Still pictures ----

TEST(WaterfallPictures, PreviewIsRunLengthEncodedAndAboutIsEightBit) {
  const res::Bmp8& preview = Bitmap("preview.bmp");
  EXPECT_EQ(preview.compression, 1u);
  EXPECT_EQ(preview.width, 154);
  EXPECT_EQ(preview.height, 116);
  const res::Bmp8& about = Bitmap("about.bmp");
  EXPECT_EQ(about.width, 154);
  EXPECT_EQ(about.height, 116);
  EXPECT_FALSE(about.palette.empty());
}

// The preview is the scene reduced: its average colour is the scene's.
TEST(WaterfallPictures, PreviewShowsTheScene) {
  const res::Bmp8& preview = Bitmap("preview.bmp");
  double pr = 0, pg = 0, pb = 0, sr = 0, sg = 0, sb = 0;
  for (std::uint8_t i : preview.index) {
    pr += preview.palette[i].r;
    pg += preview.palette[i].g;
    pb += preview.palette[i].b;
  }
  for (int y = 0; y < 600; y += 3)
    for (int x = 0; x < 800; x += 3) {
      const res::Rgb p = ScenePixel(0, x, y);
      sr += p.r;
      sg += p.g;
      sb += p.b;
    }
  const double n = static_cast<double>(preview.index.size()), m = 200.0 * 267.0;
  EXPECT_NEAR(pr / n, sr / m, 8);
  EXPECT_NEAR(pg / n, sg / m, 8);
  EXPECT_NEAR(pb / n, sb / m, 8);
}

// ---- Sound ----

struct Sound {
  Bytes file;
  std::vector<res::Chunk> chunks;
  const res::Chunk* Find(const std::string& id) const {
    for (const auto& c : chunks)
      if (c.id == id) return &c;
    return nullptr;
  }
};

const Sound& TheSound() {
  static const Sound s = [] {
    Sound out{Load("sound.wav"), {}};
    std::string error;
    auto chunks = res::ReadRiffWave(out.file, error);
    if (!chunks) ADD_FAILURE() << error;
    else out.chunks = *chunks;
    return out;
  }();
  return s;
}

TEST(WaterfallSound, IsMpegLayer3StereoAt22050HzAnd5000BytesASecond) {
  const Sound& s = TheSound();
  const res::Chunk* fmt = s.Find("fmt ");
  ASSERT_NE(fmt, nullptr);
  ASSERT_GE(fmt->size, 30u);
  const Bytes& f = s.file;
  EXPECT_EQ(res::Le16(f, fmt->offset), 0x55);
  EXPECT_EQ(res::Le16(f, fmt->offset + 2), 2);
  EXPECT_EQ(res::Le32(f, fmt->offset + 4), 22050u);
  EXPECT_EQ(res::Le32(f, fmt->offset + 8), 5000u);
  EXPECT_EQ(res::Le16(f, fmt->offset + 12), 1);
  EXPECT_EQ(res::Le16(f, fmt->offset + 16), 12);  // the Layer-3 fields follow
  EXPECT_EQ(res::Le16(f, fmt->offset + 18), 1);
  const res::Chunk* fact = s.Find("fact");
  ASSERT_NE(fact, nullptr);
  ASSERT_EQ(fact->size, 4u);
  const res::Chunk* data = s.Find("data");
  ASSERT_NE(data, nullptr);
  // Constant bit rate: the data lasts as long as the samples it holds.
  const double seconds = (res::Le32(f, fact->offset) + res::Le16(f, fmt->offset + 28)) / 22050.0;
  EXPECT_NEAR(data->size / 5000.0, seconds, 0.1);
  EXPECT_GT(seconds, 3.0);
}

// Decoded, the span after the codec delay and as long as the fact chunk is a loop: its end
// runs into its start like any sample into the next, with no gap of silence.
TEST(WaterfallSound, DecodedLoopHasNoJump) {
  const Sound& s = TheSound();
  const res::Chunk* fmt = s.Find("fmt ");
  const res::Chunk* fact = s.Find("fact");
  const res::Chunk* data = s.Find("data");
  ASSERT_TRUE(fmt && fact && data);
  const std::size_t delay = res::Le16(s.file, fmt->offset + 28), length = res::Le32(s.file, fact->offset);
  std::string error;
  const auto pcm = res::DecodeMp3(s.file.data() + data->offset, data->size, error);
  ASSERT_TRUE(pcm) << error;
  ASSERT_GE(pcm->size() / 2, delay + length);
  for (int ch = 0; ch < 2; ++ch) {
    const auto at = [&](std::size_t i) { return static_cast<double>((*pcm)[2 * (delay + i % length) + ch]); };
    double power = 0, steps = 0;
    for (std::size_t i = 0; i < length; ++i) {
      power += at(i) * at(i);
      steps += (at(i + 1) - at(i)) * (at(i + 1) - at(i));
    }
    const double rms = std::sqrt(power / length), stepRms = std::sqrt(steps / length);
    EXPECT_GT(rms, 1000.0);  // audible
    EXPECT_LT(std::fabs(at(0) - at(length - 1)), 4 * stepRms);
    // Loudness just before and just after the seam is the loop's own.
    for (std::size_t start : {length - 1024, std::size_t{0}}) {
      double e = 0;
      for (std::size_t i = 0; i < 1024; ++i) e += at(start + i) * at(start + i);
      EXPECT_NEAR(std::sqrt(e / 1024) / rms, 1.0, 0.35) << "channel " << ch << " at " << start;
    }
  }
}

TEST(WaterfallResources, StayWithinAFewMegabytes) {
  std::uintmax_t total = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kDir)) total += entry.file_size();
  EXPECT_LT(total, 5u * 1024 * 1024);
}

}  // namespace
