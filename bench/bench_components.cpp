// A frame like the waterfall scene's on the headless display at each benchmark mode (clear,
// eleven layers with two eagles and three butterflies, clock, frame-rate line, flip), and the
// set-up of the scene's surfaces.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "components/DDani.h"
#include "components/DDbmp.h"
#include "components/DDmain.h"
#include "components/DXClock.h"
#include "platform/ddraw/Driver.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/vcl/Forms.h"

namespace {

// Pictures of the scene's native sizes. Their content matters to the blits only as much as
// this: photographs and water sheets are opaque, masks and flyer frames are keyed by their
// top-left colour and opaque elsewhere in part.
std::unique_ptr<TBitmap> Photo(int width, int height) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<std::uint8_t*>(bitmap->GetScanLine(y));
    for (int x = 0; x < 3 * width; ++x) row[x] = static_cast<std::uint8_t>(x * 7 + y * 13);
  }
  return bitmap;
}

// 8 bits with the standard palette: index 0 (the key) outside `inside`, other indices in it.
template <class Inside>
std::unique_ptr<TBitmap> Keyed(int width, int height, Inside inside) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf8bit);
  bitmap->SetSize(width, height);
  for (int y = 0; y < height; ++y) {
    auto* row = static_cast<std::uint8_t*>(bitmap->GetScanLine(y));
    for (int x = 0; x < width; ++x) row[x] = inside(x, y) ? static_cast<std::uint8_t>(1 + (x + y) % 200) : 0;
  }
  return bitmap;
}

// A mask: a foreground silhouette rising from its lower edge, the sky keyed out.
std::unique_ptr<TBitmap> Mask(int width, int height) {
  return Keyed(width, height, [=](int x, int y) { return y > height / 3 + (x * 37 % 17) && x > 0; });
}

// A flyer sheet: a body in the middle of each frame.
std::unique_ptr<TBitmap> Flyers(int width, int frameHeight, int frames) {
  return Keyed(width, frameHeight * frames, [=](int x, int y) {
    const int dx = 2 * x - width, dy = 2 * (y % frameHeight) - frameHeight;
    return dx * dx + 4 * dy * dy < width * width / 2;
  });
}

// The scene's pictures as their decoders would leave them; made once, outside the timing.
struct Pictures {
  std::unique_ptr<TBitmap> ground = Photo(800, 418), waterfall = Photo(202, 3232), stone = Mask(202, 101),
                           high = Photo(654, 1216), low = Photo(800, 5984), mask1 = Mask(268, 281),
                           mask2 = Mask(193, 281), mask3 = Mask(121, 305), mask4 = Mask(88, 113),
                           eagles = Flyers(46, 23, 144), butterflies = Flyers(40, 30, 16);
};

const Pictures& ScenePictures() {
  static const Pictures pictures;
  return pictures;
}

class WaterfallFrame {
 public:
  WaterfallFrame(int width, int height, int bitsPerPixel) : W(width), H(height) {
    ddraw::ResetDriver();
    gdi::SetDesktopMode({1280, 1024, 32});
    Form = std::make_unique<TForm>(nullptr);
    DDmain = new TDDmain(Form.get());
    DDmain->SetWidth(W);
    DDmain->SetHeight(H);
    DDmain->SetColorDepth(bitsPerPixel);
    Clock = new TDXClock(Form.get());
    Clock->DDmainModule = DDmain;
    Clock->SetXcenter(W * 700 / 800);
    Clock->SetYcenter(H * 100 / 600);
    Clock->SetRadius(60);
  }

  // The form destroys the sprites (releasing their surfaces), then the display owner.
  ~WaterfallFrame() {
    DDmain->SetEnabled(false);
    Form.reset();
    ddraw::ResetDriver();
  }

  // The display opened and every layer's surface made, in the scene's set-up order.
  bool SetUp() {
    DDmain->SetEnabled(true);
    if (!DDmain->FpDDSBack) return false;
    DDmain->ClearBackSurface();
    DDmain->FlipSurfaces();
    DDmain->SetshowFPS(true);
    const Pictures& p = ScenePictures();
    Ground = Layer<TDDbmp>(p.ground.get(), 0, W, H * 418 / 600, 0, 0, false);
    Waterfall =
        Layer<TDDani>(p.waterfall.get(), 101, W * 202 / 800, H * 101 / 600, W * 290 / 800, H * 280 / 600, false);
    MaskStone = Layer<TDDbmp>(p.stone.get(), 0, W * 202 / 800, H * 101 / 600, W * 290 / 800, H * 280 / 600, true);
    HighWater = Layer<TDDani>(p.high.get(), 38, W * 654 / 800, H * 38 / 600, W * 40 / 800, H * 375 / 600, false);
    LowWater = Layer<TDDani>(p.low.get(), 187, W, H * 187 / 600, 0, H * 413 / 600, false);
    Mask1 = Layer<TDDbmp>(p.mask1.get(), 0, W * 268 / 800, H * 281 / 600, 0, 0, true);
    Mask2 = Layer<TDDbmp>(p.mask2.get(), 0, W * 193 / 800, H * 281 / 600, W * 607 / 800, 0, true);
    Mask3 = Layer<TDDbmp>(p.mask3.get(), 0, W * 121 / 800, H * 305 / 600, 0, H * 295 / 600, true);
    Mask4 = Layer<TDDbmp>(p.mask4.get(), 0, W * 88 / 800, H * 113 / 600, W * 712 / 800, H * 487 / 600, true);
    Eagles = Layer<TDDani>(p.eagles.get(), 23, 18, 9, 0, 0, true);
    Butterflies = Layer<TDDani>(p.butterflies.get(), 30, 15, 15, 0, 0, true);
    return true;
  }

  // The first error text any component stored, empty when all went well.
  AnsiString FirstError() const {
    for (TDDbmp* s : {Ground, MaskStone, Mask1, Mask2, Mask3, Mask4})
      if (!s->GetErrorResult().empty()) return s->GetErrorResult();
    for (TDDani* s : {Waterfall, HighWater, LowWater, Eagles, Butterflies})
      if (!s->GetErrorResult().empty()) return s->GetErrorResult();
    return DDmain->GetErrorResult();
  }

  // One frame in the scene's draw order; `tick` moves the animation and the flyers.
  void Draw(int tick) {
    const int frame = tick % 32;
    DDmain->ClearBackSurface();
    Ground->DrawImage();
    Animate(Waterfall, frame);
    MaskStone->DrawImage();
    Animate(HighWater, frame);
    Animate(LowWater, frame);
    for (int i = 0; i < 2; ++i) Fly(Eagles, 150 + 250 * i + tick % 300, 120 + 60 * i, (tick + 40 * i) % 144);
    Mask1->DrawImage();
    Mask2->DrawImage();
    for (int i = 0; i < 3; ++i) Fly(Butterflies, 220 + 140 * i, 380 + (tick + 20 * i) % 100, tick % 15);
    Mask3->DrawImage();
    Mask4->DrawImage();
    Clock->ShowClock();
    DDmain->FlipSurfaces();
  }

 private:
  template <class T>
  T* Layer(TBitmap* picture, int frameHeight, int stretchWidth, int stretchHeight, int x, int y,
           bool keyed) {
    auto* sprite = new T(Form.get());
    sprite->DDmainModule = DDmain;
    sprite->SetBitmap(picture);
    if (frameHeight) sprite->SetYOffsetFrame(frameHeight);
    sprite->SetStretching(true);
    sprite->SetStretchWidth(stretchWidth);
    sprite->SetStretchHeight(stretchHeight);
    sprite->CreateSurface();
    if (keyed) sprite->SetTransparency(true);
    sprite->SetShowX(x);
    sprite->SetShowY(y);
    return sprite;
  }

  static void Animate(TDDani* sprite, int frame) {
    sprite->SetNumberFrame(frame);
    sprite->DrawAni();
  }

  // A flyer at scene position (x, y) of the 800 x 600 reference.
  void Fly(TDDani* sprite, int x, int y, int frame) {
    sprite->SetShowX(W * x / 800);
    sprite->SetShowY(H * y / 600);
    Animate(sprite, frame);
  }

  const int W;
  const int H;
  std::unique_ptr<TForm> Form;
  TDDmain* DDmain = nullptr;  // components owned by Form
  TDXClock* Clock = nullptr;
  TDDbmp *Ground = nullptr, *MaskStone = nullptr, *Mask1 = nullptr, *Mask2 = nullptr, *Mask3 = nullptr,
         *Mask4 = nullptr;
  TDDani *Waterfall = nullptr, *HighWater = nullptr, *LowWater = nullptr, *Eagles = nullptr, *Butterflies = nullptr;
};

void BM_WaterfallFrame(benchmark::State& state) {
  WaterfallFrame scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                       static_cast<int>(state.range(2)));
  if (!scene.SetUp()) {
    state.SkipWithError("the scene could not be set up in this mode");
    return;
  }
  int tick = 0;
  for (auto _ : state) scene.Draw(tick++);
  if (const AnsiString error = scene.FirstError(); !error.empty()) state.SkipWithError(error.c_str());
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_SceneSurfaces(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto scene = std::make_unique<WaterfallFrame>(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                                  static_cast<int>(state.range(2)));
    state.ResumeTiming();
    if (!scene->SetUp() || !scene->FirstError().empty()) {
      state.SkipWithError("the scene could not be set up in this mode");
      return;
    }
    state.PauseTiming();
    scene.reset();
    state.ResumeTiming();
  }
}

void Modes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"w", "h", "bpp"});
  for (const auto& [w, h] : {std::pair{800, 600}, {1024, 768}, {1280, 1024}})
    for (int bpp : {16, 24, 32}) b->Args({w, h, bpp});
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_WaterfallFrame)->Apply(Modes);
BENCHMARK(BM_SceneSurfaces)->Apply(Modes)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
