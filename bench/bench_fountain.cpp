// The fountain scene's whole frame (RenderFrame through the flip on the headless display) at the
// setup dialog's resolutions and depths: the background, the four animations, clock and line.
#include <benchmark/benchmark.h>

#include "bench/BenchScene.h"
#include "savers/fountain/FountainSettings.h"
#include "savers/fountain/Unit1.h"

namespace {

void StoreMode(TSetReg& Store, const TDesktopMode& Mode) {
  TSaverSettings s = FountainFirstRunSettings(Mode);
  s.flag_defres = false;
  s.flag_PlaySound = false;
  WriteFountainSettings(Store, s);
}

void SceneFrame(benchmark::State& state) {
  TBenchScene<TForm1> scene("Sorrelin",
                            {static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                             static_cast<int>(state.range(2))},
                            StoreMode);
  if (!scene.Form->DDmain1->GetEnabled()) return state.SkipWithError("the display did not open");
  bool done = false;
  for (auto _ : state) {
    scene.Form->DDtimer1Timer(scene.Form);  // every frame another picture of each animation
    scene.Form->RenderFrame(scene.Form, done);
  }
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

BENCHMARK(SceneFrame)
    ->ArgNames({"width", "height", "bits"})
    ->ArgsProduct({{800}, {600}, {16, 24, 32}})
    ->ArgsProduct({{1024}, {768}, {16, 24, 32}})
    ->ArgsProduct({{1280}, {1024}, {16, 24, 32}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
