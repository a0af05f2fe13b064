// Reads every picture and sound the fountain program embeds, by the names it finds them by, and
// checks formats, sizes and frame layout; that every frame of every sheet meets the background
// without a seam, on the committed pictures and as the display draws them at three screen sizes
// and three depths; that the animations move and loop; and that the sound loops without a jump.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

#include "components/DDani.h"
#include "components/DDbmp.h"
#include "components/DDmain.h"
#include "platform/ddraw/Driver.h"
#include "platform/ddraw/HeadlessDevice.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Jpeg.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"
#include "platform/winmm/WaveFile.h"
#include "tests/resources/ResourceReaders.h"
#include "tests/resources/SheetChecks.h"

namespace {

using res::Bytes;
using res::Diff;

Bytes Resource(const char* name, LPCSTR type) {
  HRSRC found = FindResourceA(nullptr, name, type);
  if (!found) {
    ADD_FAILURE() << "no resource " << name;
    return {};
  }
  const auto* data = static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
  return Bytes(data, data + SizeofResource(nullptr, found));
}

// The layer table on the 800 x 600 reference screen.
struct Layer {
  const char* name;
  int x, y, w, h, frames;
  bool Covers(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};
constexpr Layer kGround{"GROUND", 0, 0, 800, 600, 1};
constexpr Layer kWater{"WATER", 148, 502, 396, 98, 32};
constexpr Layer kJet{"JET", 392, 352, 45, 150, 32};
constexpr Layer kJet2{"JET2", 348, 291, 44, 75, 32};
constexpr Layer kShadow{"SHADOW", 223, 337, 37, 146, 32};
constexpr Layer kSheets[] = {kWater, kJet, kJet2, kShadow};  // in the program's draw order

const res::Jpeg& Picture(const Layer& l) {
  static std::map<std::string, res::Jpeg> cache;
  auto it = cache.find(l.name);
  if (it == cache.end()) {
    std::string error;
    auto jpeg = res::ReadJpeg(Resource(l.name, RT_RCDATA), error);
    if (!jpeg) ADD_FAILURE() << l.name << ": " << error;
    it = cache.emplace(l.name, jpeg ? *jpeg : res::Jpeg{}).first;
  }
  return it->second;
}

// A pixel of a layer's frame, by reference-screen position.
res::Rgb LayerPixel(const Layer& l, int frame, int x, int y) { return Picture(l).at(x - l.x, frame * l.h + (y - l.y)); }
res::Rgb Background(int x, int y) { return LayerPixel(kGround, 0, x, y); }

// Judges a sheet's border stretch by stretch: how far its outermost pixels are from the
// background they stand for, on average over each stretch, at worst over the border.
class BorderJudge {
 public:
  static constexpr int kStretch = 16;
  static constexpr double kVisible = 10;  // summed over red, green and blue

  void Add(int mismatch, int x, int y) {
    sum_ += mismatch;
    x_ = x;
    y_ = y;
    if (++count_ == kStretch) Close();
  }
  void Close() {
    if (count_ > 0) {
      const double mean = static_cast<double>(sum_) / count_;
      if (mean > worst_) {
        worst_ = mean;
        where_ = "the stretch ending at " + std::to_string(x_) + ", " + std::to_string(y_);
      }
      ++stretches_;
    }
    sum_ = count_ = 0;
  }
  double Worst() const { return worst_; }
  const std::string& Where() const { return where_; }
  int Stretches() const { return stretches_; }

 private:
  long sum_ = 0, count_ = 0;
  int x_ = 0, y_ = 0;
  double worst_ = 0;
  std::string where_;
  int stretches_ = 0;
};

// Walks the outermost pixels of a rectangle, side by side, handing each to `visit` with the
// pixel beyond it; `judge` closes a stretch at every corner.
template <typename Visit>
void AlongBorder(int x0, int y0, int x1, int y1, BorderJudge& judge, Visit visit) {
  for (int x = x0; x < x1; ++x) visit(x, y0, x, y0 - 1);
  judge.Close();
  for (int x = x0; x < x1; ++x) visit(x, y1 - 1, x, y1);
  judge.Close();
  for (int y = y0; y < y1; ++y) visit(x0, y, x0 - 1, y);
  judge.Close();
  for (int y = y0; y < y1; ++y) visit(x1 - 1, y, x1, y);
  judge.Close();
}

// ---- The pictures as embedded ----

TEST(FountainPictures, JpegsAreBaselineColourPicturesOfTheTableSizes) {
  for (const Layer& l : {kGround, kWater, kJet, kJet2, kShadow}) {
    SCOPED_TRACE(l.name);
    const res::Jpeg& j = Picture(l);
    EXPECT_TRUE(j.baseline);
    EXPECT_EQ(j.components, 3);
    EXPECT_EQ(j.width, l.w);
    EXPECT_EQ(j.height, l.h * l.frames);
  }
}

bool InAnotherSheet(const Layer& self, int x, int y) {
  return std::any_of(std::begin(kSheets), std::end(kSheets),
                     [&](const Layer& l) { return l.name != self.name && l.Covers(x, y); });
}

// At 800 x 600 every frame's border, where the background lies beyond it, is the background.
TEST(FountainPictures, EveryFrameMeetsTheBackgroundWithoutASeam) {
  for (const Layer& l : kSheets) {
    SCOPED_TRACE(l.name);
    for (int frame = 0; frame < l.frames; ++frame) {
      BorderJudge judge;
      AlongBorder(l.x, l.y, l.x + l.w, l.y + l.h, judge, [&](int x, int y, int ox, int oy) {
        if (ox < 0 || ox > 799 || oy < 0 || oy > 599 || InAnotherSheet(l, ox, oy)) return judge.Close();
        judge.Add(Diff(LayerPixel(l, frame, x, y), Background(x, y)), x, y);
      });
      EXPECT_GT(judge.Stretches(), 0);
      EXPECT_LT(judge.Worst(), BorderJudge::kVisible) << "frame " << frame << ", " << judge.Where();
    }
  }
}

// The main jet comes down into the basin through the water sheet's top edge: in every frame the
// jet's last row runs on into the water's first as the water's rows run on into each other.
TEST(FountainPictures, MainJetRunsOnIntoTheWaterInEveryFrame) {
  for (int frame = 0; frame < kJet.frames; ++frame) {
    long across = 0, within = 0;
    for (int x = kJet.x; x < kJet.x + kJet.w; ++x) {
      across += Diff(LayerPixel(kJet, frame, x, kWater.y - 1), LayerPixel(kWater, frame, x, kWater.y));
      within += Diff(LayerPixel(kWater, frame, x, kWater.y), LayerPixel(kWater, frame, x, kWater.y + 1));
    }
    EXPECT_LT(across, 1.5 * within + 8 * kJet.w) << "frame " << frame;
  }
}

// Every frame differs from the next, and frame 31 runs into frame 0 like any frame into the next.
TEST(FountainPictures, AnimationsMoveAndLoop) {
  for (const Layer& l : kSheets) {
    SCOPED_TRACE(l.name);
    res::ExpectMovesAndLoops(Picture(l), l.h, 0.5);
  }
}

// The highest row of a frame with a pixel clearly brighter (a jet's water) or darker (the
// shadow) than the row's first pixel, which shows the background beside them.
int TopOf(const Layer& l, int frame, int sign) {
  for (int y = l.y; y < l.y + l.h; ++y) {
    const res::Rgb b = LayerPixel(l, frame, l.x, y);
    for (int x = l.x; x < l.x + l.w; ++x) {
      const res::Rgb p = LayerPixel(l, frame, x, y);
      if (sign * ((p.r + p.g + p.b) - (b.r + b.g + b.b)) > 60) return y;
    }
  }
  return l.y + l.h;
}

double Correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const double ma = std::accumulate(a.begin(), a.end(), 0.0) / a.size(), mb = std::accumulate(b.begin(), b.end(), 0.0) / b.size();
  double ab = 0, aa = 0, bb = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    ab += (a[i] - ma) * (b[i] - mb);
    aa += (a[i] - ma) * (a[i] - ma);
    bb += (b[i] - mb) * (b[i] - mb);
  }
  return ab / std::sqrt(aa * bb);
}

// Both jets rise and fall over the loop, and the shadow on the house rises and falls with the
// main jet.
TEST(FountainPictures, JetsRiseAndFallAndTheShadowFollows) {
  std::vector<double> jet, jet2, shadow;
  for (int f = 0; f < kJet.frames; ++f) {
    jet.push_back(TopOf(kJet, f, 1));
    jet2.push_back(TopOf(kJet2, f, 1));
    shadow.push_back(TopOf(kShadow, f, -1));
  }
  for (const auto* tops : {&jet, &jet2, &shadow}) {
    const auto [low, high] = std::minmax_element(tops->begin(), tops->end());
    EXPECT_GE(*high - *low, 15);
  }
  EXPECT_GT(Correlation(jet, shadow), 0.9);
}

// ---- As the display draws them ----

struct Mode {
  int width, height, bits;
};
void PrintTo(const Mode& m, std::ostream* os) { *os << m.width << "x" << m.height << "x" << m.bits; }

// The program's layers on the headless display: the background stretched over the screen, the
// four sheets at their scaled places, each decoded and set up as the scene set-up does it.
class FountainOnScreen : public ::testing::TestWithParam<Mode> {
 protected:
  void SetUp() override {
    const Mode m = GetParam();
    ddraw::ResetDriver();
    gdi::SetDesktopMode({m.width, m.height, 32});
    ddraw::SetModes({{m.width, m.height, m.bits}});
    Form = std::make_unique<TForm>(nullptr);
    DDmain = new TDDmain(Form.get());
    DDmain->SetWidth(m.width);
    DDmain->SetHeight(m.height);
    DDmain->SetColorDepth(m.bits);
    DDmain->SetEnabled(true);
    ASSERT_NE(DDmain->FpDDSBack, nullptr) << DDmain->GetErrorResult();
    Ground = new TDDbmp(Form.get());
    Load(Ground, kGround);
    Ground->SetStretchWidth(m.width);
    Ground->SetStretchHeight(m.height);
    Ground->CreateSurface();
    for (const Layer& l : kSheets) {
      auto* sheet = new TDDani(Form.get());
      Load(sheet, l);
      sheet->SetYOffsetFrame(l.h);
      sheet->SetStretchWidth(m.width * l.w / 800);
      sheet->SetStretchHeight(m.height * l.h / 600);
      sheet->CreateSurface();
      sheet->SetShowX(m.width * l.x / 800);
      sheet->SetShowY(m.height * l.y / 600);
      Sheets.push_back(sheet);
    }
  }
  void TearDown() override {
    // The sprites' surfaces go before the display that made them.
    if (Ground) Ground->CloseSurface();
    for (TDDani* sheet : Sheets) sheet->CloseSurface();
    DDmain->SetEnabled(false);
    Form.reset();
    ddraw::ResetDriver();
    gdi::SetDesktopMode({});
  }

  void Load(TDDsprite* Sprite, const Layer& l) {
    Sprite->DDmainModule = DDmain;
    TResourceStream stream(GetModuleHandleA(nullptr), l.name, RT_RCDATA);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(&stream);
    jpeg.DIBNeeded();
    Sprite->GetBitmap()->Assign(&jpeg);
    Sprite->SetStretching(true);
  }

  // The screen with the background and, unless `frame` is negative, the sheets at that frame.
  ddraw::HeadlessFrame Draw(int frame) {
    DDmain->ClearBackSurface();
    Ground->DrawImage();
    if (frame >= 0)
      for (TDDani* sheet : Sheets) {
        sheet->SetNumberFrame(frame);
        sheet->DrawAni();
      }
    DDmain->FlipSurfaces();
    return ddraw::HeadlessLastFrame();
  }

  std::unique_ptr<TForm> Form;
  TDDmain* DDmain = nullptr;  // all owned by Form
  TDDbmp* Ground = nullptr;
  std::vector<TDDani*> Sheets;
};

res::Rgb OnScreenPixel(std::uint32_t p) {
  return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)};
}
res::Rgb OnScreen(const ddraw::HeadlessFrame& f, int x, int y) { return OnScreenPixel(f.At(x, y)); }

// How far apart two colours are on the display: at 16 bits, within a step of its 5 or 6 bits
// they may fall on either side of a step, and count as one colour.
int OnDisplayDiff(res::Rgb a, res::Rgb b, int bits) {
  if (bits != 16) return Diff(a, b);
  const auto beyond = [](int d, int step) { return std::max(0, std::abs(d) - step); };
  return beyond(a.r - b.r, 8) + beyond(a.g - b.g, 4) + beyond(a.b - b.b, 8);
}

// Along every edge of every sheet's rectangle on screen, where the background lies beyond it,
// each frame shows the background as the display draws it alone. Scaled, sheet and background
// are stretched apart and may sample the picture up to one of its pixels apart: then the
// frame's pixel may match the background's that far away.
TEST_P(FountainOnScreen, NoFrameShowsASeamAgainstTheBackground) {
  const Mode m = GetParam();
  // One pixel of the 800 x 600 picture covers up to this many of the screen's.
  const int slack = m.width == 800 && m.height == 600 ? 0 : static_cast<int>(std::ceil(std::max(m.width / 800.0, m.height / 600.0)));
  struct Rect {
    int x0, y0, x1, y1;
    bool Covers(int x, int y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
  };
  std::vector<Rect> rects;
  for (const Layer& l : kSheets) {
    const int x = m.width * l.x / 800, y = m.height * l.y / 600;
    rects.push_back({x, y, x + m.width * l.w / 800, y + m.height * l.h / 600});
  }
  // The display's last row and column are never drawn.
  const auto visible = [&](int x, int y) { return x >= 0 && y >= 0 && x < m.width - 1 && y < m.height - 1; };
  const ddraw::HeadlessFrame background = Draw(-1);
  // The sheets are drawn, and their frames differ: half a loop on, the water has moved.
  const auto changed = [](const ddraw::HeadlessFrame& a, const ddraw::HeadlessFrame& b) {
    long n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) n += Diff(OnScreenPixel(a.pixels[i]), OnScreenPixel(b.pixels[i])) > 30;
    return n;
  };
  EXPECT_GT(changed(Draw(0), Draw(16)), m.width * m.height / 200);
  for (int frame = 0; frame < 32; ++frame) {
    const ddraw::HeadlessFrame shown = Draw(frame);
    for (std::size_t i = 0; i < rects.size(); ++i) {
      const Rect& r = rects[i];
      BorderJudge judge;
      AlongBorder(r.x0, r.y0, r.x1, r.y1, judge, [&](int x, int y, int ox, int oy) {
        const bool open = visible(x, y) && visible(ox, oy) &&
                          std::none_of(rects.begin(), rects.end(), [&](const Rect& o) { return o.Covers(ox, oy); });
        if (!open) return judge.Close();
        int best = OnDisplayDiff(OnScreen(shown, x, y), OnScreen(background, x, y), m.bits);
        for (int dy = -slack; dy <= slack; ++dy)
          for (int dx = -slack; dx <= slack; ++dx)
            if (visible(x + dx, y + dy))
              best = std::min(best, OnDisplayDiff(OnScreen(shown, x, y), OnScreen(background, x + dx, y + dy), m.bits));
        judge.Add(best, x, y);
      });
      EXPECT_GT(judge.Stretches(), 0) << kSheets[i].name;
      EXPECT_LT(judge.Worst(), BorderJudge::kVisible) << kSheets[i].name << " frame " << frame << ", " << judge.Where();
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modes, FountainOnScreen,
                         ::testing::Values(Mode{800, 600, 16}, Mode{800, 600, 24}, Mode{800, 600, 32},
                                           Mode{1024, 768, 16}, Mode{1024, 768, 24}, Mode{1024, 768, 32},
                                           Mode{1280, 1024, 16}, Mode{1280, 1024, 24}, Mode{1280, 1024, 32}),
                         [](const ::testing::TestParamInfo<Mode>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height) + "x" +
                                  std::to_string(info.param.bits);
                         });

// ---- Still pictures ----

// A BITMAP resource is a BMP file without its 14-byte file header; put it back to read it.
std::optional<res::Bmp8> BitmapResource(const char* name, std::string& error) {
  const Bytes info = Resource(name, RT_BITMAP);
  if (info.size() < 40) return error = "shorter than its header", std::nullopt;
  std::uint32_t colours = res::Le32(info, 32);
  if (colours == 0) colours = 256;
  Bytes file{'B', 'M'};
  for (std::uint32_t v : {static_cast<std::uint32_t>(14 + info.size()), 0u, 14 + 40 + 4 * colours})
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  file.insert(file.end(), info.begin(), info.end());
  return res::ReadBmp8(file, error);
}

TEST(FountainStills, PreviewIsAnEightBitRunLengthBitmapOfTheScene) {
  std::string error;
  const auto preview = BitmapResource("PREV_BITMAP", error);
  ASSERT_TRUE(preview) << error;
  EXPECT_EQ(preview->compression, 1u);
  EXPECT_EQ(preview->width, 154);
  EXPECT_EQ(preview->height, 116);
  // The class library loads it as the preview mode does.
  TBitmap picture;
  picture.LoadFromResourceName(GetModuleHandleA(nullptr), "PREV_BITMAP");
  EXPECT_EQ(picture.GetWidth(), 154);
  EXPECT_EQ(picture.GetHeight(), 116);
  // The scene reduced: its average colour is the background's.
  double p[3] = {}, s[3] = {};
  for (std::uint8_t i : preview->index) {
    p[0] += preview->palette[i].r;
    p[1] += preview->palette[i].g;
    p[2] += preview->palette[i].b;
  }
  for (int y = 0; y < 600; y += 2)
    for (int x = 0; x < 800; x += 2) {
      const res::Rgb b = Background(x, y);
      s[0] += b.r;
      s[1] += b.g;
      s[2] += b.b;
    }
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(p[c] / preview->index.size(), s[c] / (400.0 * 300.0), 6) << "channel " << c;
}

TEST(FountainStills, AboutPictureIsAnEightBitBitmapOfTheDialogsSize) {
  std::string error;
  const auto about = res::ReadBmp8(Resource("ABOUT", RT_RCDATA), error);
  ASSERT_TRUE(about) << error;
  EXPECT_EQ(about->width, 156);
  EXPECT_EQ(about->height, 117);
  EXPECT_EQ(about->compression, 0u);
  EXPECT_GT(about->palette.size(), 100u);  // a picture, not a few flat colours
}

// ---- Sound ----

struct Sound {
  Bytes file;
  std::optional<winmm::WaveImage> wave;
};

const Sound& TheSound() {
  static const Sound s = [] {
    Sound out{Resource("SOUNDNAME", "WAVE"), std::nullopt};
    out.wave = winmm::ParseWave(std::span<const BYTE>(out.file.data(), out.file.size()));
    return out;
  }();
  return s;
}

TEST(FountainSound, IsEightBitStereoPcmAt22050HzWith258048BytesOfSamples) {
  const Sound& s = TheSound();
  std::string error;
  const auto chunks = res::ReadRiffWave(s.file, error);
  ASSERT_TRUE(chunks) << error;
  const auto fmt = std::find_if(chunks->begin(), chunks->end(), [](const res::Chunk& c) { return c.id == "fmt "; });
  ASSERT_NE(fmt, chunks->end());
  ASSERT_GE(fmt->size, 16u);
  EXPECT_EQ(res::Le16(s.file, fmt->offset), 1);                 // PCM
  EXPECT_EQ(res::Le16(s.file, fmt->offset + 2), 2);             // channels
  EXPECT_EQ(res::Le32(s.file, fmt->offset + 4), 22050u);        // samples a second
  EXPECT_EQ(res::Le32(s.file, fmt->offset + 8), 44100u);        // bytes a second
  EXPECT_EQ(res::Le16(s.file, fmt->offset + 12), 2);            // bytes a sample frame
  EXPECT_EQ(res::Le16(s.file, fmt->offset + 14), 8);            // bits
  // As the player reads it.
  ASSERT_TRUE(s.wave);
  EXPECT_EQ(s.wave->header.formatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(s.wave->header.channels, 2);
  EXPECT_EQ(s.wave->header.samplesPerSec, 22050u);
  EXPECT_EQ(s.wave->header.bitsPerSample, 8);
  EXPECT_EQ(s.wave->data.size(), 258048u);
}

// Water splashing: a steady noise, well within range, that runs from its last sample into its
// first like any sample into the next, as loud at the seam as anywhere.
TEST(FountainSound, SplashesSteadilyAndLoopsWithoutAJump) {
  const Sound& s = TheSound();
  ASSERT_TRUE(s.wave);
  const auto& data = s.wave->data;
  const std::size_t length = data.size() / 2;
  long clipped = 0;
  for (BYTE b : data) clipped += b == 0 || b == 255;
  EXPECT_LT(clipped, static_cast<long>(data.size() / 1000));
  for (int ch = 0; ch < 2; ++ch) {
    SCOPED_TRACE(ch ? "right" : "left");
    const auto at = [&](std::size_t i) { return static_cast<double>(data[2 * (i % length) + ch]) - 128; };
    double mean = 0, power = 0, steps = 0;
    for (std::size_t i = 0; i < length; ++i) mean += at(i);
    mean /= length;
    for (std::size_t i = 0; i < length; ++i) {
      power += (at(i) - mean) * (at(i) - mean);
      steps += (at(i + 1) - at(i)) * (at(i + 1) - at(i));
    }
    const double rms = std::sqrt(power / length), stepRms = std::sqrt(steps / length);
    EXPECT_GT(rms, 10.0);                // audible
    EXPECT_LT(rms, 50.0);                // and well below full scale
    EXPECT_GT(stepRms / rms, 0.5);       // hissing noise, not a hum or a tone
    EXPECT_LT(std::fabs(at(length) - at(length - 1)), 4 * stepRms);
    for (std::size_t start : {length - 2048, std::size_t{0}}) {
      double e = 0;
      for (std::size_t i = 0; i < 2048; ++i) e += (at(start + i) - mean) * (at(start + i) - mean);
      EXPECT_NEAR(std::sqrt(e / 2048) / rms, 1.0, 0.35) << "at " << start;
    }
  }
}

TEST(FountainResources, StayWithinAFewMegabytes) {
  std::size_t total = 0;
  for (const Layer& l : {kGround, kWater, kJet, kJet2, kShadow}) total += Resource(l.name, RT_RCDATA).size();
  total += Resource("ABOUT", RT_RCDATA).size() + Resource("PREV_BITMAP", RT_BITMAP).size() + TheSound().file.size();
  EXPECT_LT(total, 2u * 1024 * 1024);
}

}  // namespace
