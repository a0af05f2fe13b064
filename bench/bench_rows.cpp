// The row routines of the blits and of presenting a frame, baseline and vectorised side by side,
// over a 1024 x 768 frame: keyed copies of a mask-like picture and the conversion of a whole
// frame through the identity, a product and an arbitrary ramp. Bytes per second next to
// memcpy of the same rows show how close each comes to memory speed.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "platform/ddraw/RowKernels.h"

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

struct Frame {
  explicit Frame(int bytes) : bytes(bytes), rowBytes(kWidth * bytes), source(rowBytes * kHeight), target(source.size()) {
    std::mt19937 random(1);
    // Runs of keyed and opaque pixels, as a mask's silhouette gives them.
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        for (int b = 0; b < bytes; ++b)
          source[static_cast<std::size_t>(y * rowBytes + x * bytes + b)] =
              static_cast<std::byte>((x + y) % 97 < 40 ? 0x10 : random());
  }
  std::byte* Row(std::vector<std::byte>& v, int y) { return v.data() + static_cast<std::ptrdiff_t>(y) * rowBytes; }
  int bytes;
  int rowBytes;
  std::vector<std::byte> source, target;
};

const ddraw::RowKernels* SetOf(const benchmark::State& state) {
  return state.range(1) ? ddraw::VectorKernels() : &ddraw::BaselineKernels();
}

void Keyed(benchmark::State& state) {
  const ddraw::RowKernels* set = SetOf(state);
  if (!set) return state.SkipWithError("no vectorised set on this processor");
  Frame frame(static_cast<int>(state.range(0)));
  const std::uint32_t key = 0x10101010u & (frame.bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * frame.bytes)) - 1);
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y)
      set->keyed[frame.bytes - 1](frame.Row(frame.target, y), frame.Row(frame.source, y), kWidth, key);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(frame.source.size()));
}

void Copy(benchmark::State& state) {
  Frame frame(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y) std::memcpy(frame.Row(frame.target, y), frame.Row(frame.source, y), frame.rowBytes);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(frame.source.size()));
}

DDGAMMARAMP Ramp(int kind) {
  DDGAMMARAMP ramp{};
  std::mt19937 random(2);
  for (int i = 0; i < 256; ++i) {
    const auto level = static_cast<WORD>(kind == 0 ? i * 257 : kind == 1 ? i * 200 : random());
    ramp.red[i] = ramp.green[i] = ramp.blue[i] = level;
  }
  return ramp;
}

void Convert(benchmark::State& state) {
  const ddraw::RowKernels* set = SetOf(state);
  if (!set) return state.SkipWithError("no vectorised set on this processor");
  Frame frame(static_cast<int>(state.range(0)));
  const ddraw::Levels levels = ddraw::LevelsOf(Ramp(static_cast<int>(state.range(2))));
  std::vector<std::uint32_t> out(static_cast<std::size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    for (int y = 0; y < kHeight; ++y)
      set->convert[frame.bytes - 2](out.data() + static_cast<std::ptrdiff_t>(y) * kWidth, frame.Row(frame.source, y),
                                    kWidth, levels, 0);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(out.size() * 4));
}

BENCHMARK(Keyed)->ArgNames({"bytes", "vector"})->ArgsProduct({{2, 3, 4}, {0, 1}})->Unit(benchmark::kMicrosecond);
BENCHMARK(Copy)->ArgNames({"bytes"})->DenseRange(2, 4)->Unit(benchmark::kMicrosecond);
BENCHMARK(Convert)
    ->ArgNames({"bytes", "vector", "ramp"})
    ->ArgsProduct({{2, 3, 4}, {0, 1}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
