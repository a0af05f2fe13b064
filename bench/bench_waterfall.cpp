// The waterfall scene's whole frame (RenderFrame through the flip on the headless display) at
// the setup dialog's resolutions and depths, with every layer, both flyer kinds, clock and lines;
// beside it the same pixels moved by plain primitives, the reference the frame is held to; and
// the scene's set-up at the same modes.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/BenchScene.h"
#include "platform/ddraw/DDraw.h"
#include "savers/waterfall/Unit1.h"

namespace {

// The waterfall's settings for a fixed mode, without sound.
void StoreMode(TSetReg& Store, const TDesktopMode& Mode) {
  TWaterfallSettings s = FirstRunSettings(Mode);
  s.flag_defres = false;
  s.flag_PlaySound = false;
  WriteWaterfallSettings(Store, s);
}

struct TWaterfallBench : TBenchScene<TForm1> {
  TWaterfallBench(int Width, int Height, int Depth) : TBenchScene("Rillmoor", {Width, Height, Depth}, StoreMode) {}
};

void SceneFrame(benchmark::State& state) {
  TWaterfallBench scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                    static_cast<int>(state.range(2)));
  if (!scene.Form->DDmain1->GetEnabled()) {
    state.SkipWithError("the display did not open");
    return;
  }
  bool done = false;
  for (auto _ : state) scene.Form->RenderFrame(scene.Form, done);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The scene's set-up: the form made with its pictures and its set-up run (every surface
// stretched and keyed); the teardown is left out of the timing.
void SceneSetUp(benchmark::State& state) {
  for (auto _ : state) {
    auto scene = std::make_unique<TWaterfallBench>(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                                   static_cast<int>(state.range(2)));
    state.PauseTiming();
    const bool opened = scene->Form->DDmain1->GetEnabled();
    scene.reset();
    state.ResumeTiming();
    if (!opened) return state.SkipWithError("the display did not open");
  }
}

// One layer as the frame blits it: the visible part of a sprite's surface and where it goes.
struct TPlainLayer {
  const std::byte* Pixels;
  int Pitch;
  int Width, Height;  // of the visible part
  int X, Y;
  bool Keyed;
  std::uint32_t Key;
};

// The part of [Position, Position + Size) a sprite may draw on a display Limit long: its last
// row and column stay clear.
std::pair<int, int> Visible(int Position, int Size, int Limit) {
  return {std::max(Position, 0), std::min(Position + Size, Limit - 1)};
}

void AddLayer(std::vector<TPlainLayer>& Layers, TDDsprite* Sprite, IDirectDrawSurface7* Surface, int W, int H) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof desc;
  if (!Surface || FAILED(Surface->Lock(nullptr, &desc, 0, nullptr))) return;
  Surface->Unlock(nullptr);  // the memory stays where it is; the reference only reads it
  const auto [left, right] = Visible(Sprite->GetShowX(), static_cast<int>(desc.dwWidth), W);
  const auto [top, bottom] = Visible(Sprite->GetShowY(), static_cast<int>(desc.dwHeight), H);
  if (left >= right || top >= bottom) return;
  const int bytes = static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount / 8);
  const auto* pixels = static_cast<const std::byte*>(desc.lpSurface) + (top - Sprite->GetShowY()) * desc.lPitch +
                       (left - Sprite->GetShowX()) * bytes;
  Layers.push_back({pixels, static_cast<int>(desc.lPitch), right - left, bottom - top, left, top,
                    Sprite->GetTransparency(), Sprite->DDColorMatch(Surface, CLR_INVALID)});
}

// The layers of the scene's frame in draw order (the flyers left out: a few hundred pixels).
std::vector<TPlainLayer> SceneLayers(TForm1& Form) {
  const int W = Form.DDmain1->GetWidth(), H = Form.DDmain1->GetHeight();
  std::vector<TPlainLayer> layers;
  auto still = [&](TDDbmp* Sprite) { AddLayer(layers, Sprite, Sprite->GetSurface(), W, H); };
  auto sheet = [&](TDDani* Sprite) { AddLayer(layers, Sprite, Sprite->GetSurface(0), W, H); };
  still(Form.DDbmp1ground);
  sheet(Form.DDani1Waterfall);
  still(Form.DDbmp1maskstone);
  sheet(Form.DDani1hightwater);
  sheet(Form.DDani1lowwater);
  still(Form.DDbmp1mask1);
  still(Form.DDbmp1mask2);
  still(Form.DDbmp1mask3);
  still(Form.DDbmp1mask4);
  return layers;
}

// The straightforward keyed loop: each pixel compared and, unless it is the key, stored.
template <int Bytes>
void KeyedRow(std::byte* Out, const std::byte* In, int Width, std::uint32_t Key) {
  for (int x = 0; x < Width; ++x) {
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, In + x * Bytes, Bytes);
    if (pixel != Key) std::memcpy(Out + x * Bytes, &pixel, Bytes);
  }
}

// The scene's frame from memset, memcpy and the keyed loop over the same pixels: the clear and
// every layer (the flip hands the frame to the display without moving pixels).
void PlainFrame(benchmark::State& state) {
  const int W = static_cast<int>(state.range(0)), H = static_cast<int>(state.range(1));
  const int bytes = static_cast<int>(state.range(2)) / 8;
  TWaterfallBench scene(W, H, static_cast<int>(state.range(2)));
  if (!scene.Form->DDmain1->GetEnabled()) return state.SkipWithError("the display did not open");
  const std::vector<TPlainLayer> layers = SceneLayers(*scene.Form);
  const int pitch = (W * bytes + 3) & ~3;
  std::vector<std::byte> back(static_cast<std::size_t>(pitch) * H);
  using TKeyedRow = void (*)(std::byte*, const std::byte*, int, std::uint32_t);
  const TKeyedRow keyed = bytes == 2 ? &KeyedRow<2> : bytes == 3 ? &KeyedRow<3> : &KeyedRow<4>;
  for (auto _ : state) {
    for (int y = 0; y < H; ++y) std::memset(back.data() + static_cast<std::size_t>(y) * pitch, 0, static_cast<std::size_t>(W * bytes));
    for (const TPlainLayer& layer : layers) {
      for (int y = 0; y < layer.Height; ++y) {
        std::byte* out = back.data() + static_cast<std::ptrdiff_t>(layer.Y + y) * pitch + layer.X * bytes;
        const std::byte* in = layer.Pixels + static_cast<std::ptrdiff_t>(y) * layer.Pitch;
        if (layer.Keyed) {
          keyed(out, in, layer.Width, layer.Key);
        } else {
          std::memcpy(out, in, static_cast<std::size_t>(layer.Width * bytes));
        }
      }
    }
    benchmark::ClobberMemory();
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void Modes(benchmark::internal::Benchmark* b) {
  b->ArgNames({"width", "height", "bits"})
      ->ArgsProduct({{800}, {600}, {16, 24, 32}})
      ->ArgsProduct({{1024}, {768}, {16, 24, 32}})
      ->ArgsProduct({{1280}, {1024}, {16, 24, 32}})
      ->Unit(benchmark::kMillisecond);
}

BENCHMARK(SceneFrame)->Apply(Modes);
BENCHMARK(PlainFrame)->Apply(Modes);
BENCHMARK(SceneSetUp)->Apply(Modes);

}  // namespace

BENCHMARK_MAIN();
