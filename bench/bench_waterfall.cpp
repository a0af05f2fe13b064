// The waterfall scene's whole frame (RenderFrame through the flip on the headless display) at
// the setup dialog's resolutions and depths, with every layer, both flyer kinds, clock and lines.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

#include "platform/ddraw/Driver.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/vcl/Forms.h"
#include "savers/waterfall/Unit1.h"

namespace {

// A scene set up as a run in the given mode would have it, its timer stopped so only the
// frame loop runs.
class TBenchScene {
 public:
  TBenchScene(int Width, int Height, int Depth) {
    char folder[] = "/tmp/rillmoor-bench-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    FConfig = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    ddraw::ResetDriver();
    gdi::SetDesktopMode({1280, 1024, 32});
    TWaterfallSettings s = FirstRunSettings({Width, Height, Depth});
    s.flag_defres = false;
    s.flag_PlaySound = false;
    TSetReg store(nullptr);
    store.SetCompanyName("Quillmont");
    store.SetProductName("Rillmoor");
    WriteWaterfallSettings(store, s);
    Application->CreateForm(Form);
    Form->DDtimer1->SetEnabled(false);
  }
  ~TBenchScene() {
    ResetApplicationForTest();
    ddraw::ResetDriver();
    gdi::SetDesktopMode({});
    std::filesystem::remove_all(FConfig);
  }
  TBenchScene(const TBenchScene&) = delete;
  TBenchScene& operator=(const TBenchScene&) = delete;

  TForm1* Form = nullptr;

 private:
  std::filesystem::path FConfig;
};

void SceneFrame(benchmark::State& state) {
  TBenchScene scene(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                    static_cast<int>(state.range(2)));
  if (!scene.Form->DDmain1->GetEnabled()) {
    state.SkipWithError("the display did not open");
    return;
  }
  bool done = false;
  for (auto _ : state) scene.Form->RenderFrame(scene.Form, done);
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
