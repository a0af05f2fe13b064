// Reading a 64-frame 32 x 32 animated cursor (8-bit frames, a rate per frame and a title) and
// turning it into a bitmap strip reduced to the frames' colours, beside a plain read of the
// same bytes from a stream into memory: the floor that any reader of the file pays.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "imaging/AniFile.h"
#include "tests/imaging/AniFiles.h"

namespace {

using namespace anifiles;

constexpr int kFrames = 64, kSide = 32;

// Each frame diagonal bands of five colours moved on by one step, inside a round outline.
Bytes CursorFile() {
  std::vector<Bytes> icons;
  Bytes rates;
  for (int f = 0; f < kFrames; ++f) {
    std::vector<std::string> rows(kSide, std::string(kSide, '.'));
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x)
        if ((x - 16) * (x - 16) + (y - 16) * (y - 16) <= 225) rows[y][x] = "WRGBY"[(x / 2 + y / 2 + f) % 5];
    icons.push_back(iconfiles::File(1, {{rows, 8}}));
    Put<std::uint32_t>(rates, static_cast<std::uint32_t>(3 + f % 4));
  }
  Header header;
  header.icons = header.steps = kFrames;
  header.bitCount = 8;
  return Riff({Anih(header), List("INFO", {Chunk("INAM", Text("Spinner"))}), Chunk("rate", rates), Frames(icons)});
}

const Bytes& File() {
  static const Bytes file = CursorFile();
  return file;
}

TMemoryStream& Source() {
  static const std::unique_ptr<TMemoryStream> stream = [] {
    auto s = std::make_unique<TMemoryStream>();
    s->WriteBuffer(File().data(), static_cast<int>(File().size()));
    return s;
  }();
  return *stream;
}

void BM_PlainRead(benchmark::State& state) {
  std::vector<std::byte> buffer(File().size());
  for (auto _ : state) {
    Source().SetPosition(0);
    Source().ReadBuffer(buffer.data(), static_cast<int>(buffer.size()));
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size()));
}
BENCHMARK(BM_PlainRead);

void BM_ReadCursor(benchmark::State& state) {
  for (auto _ : state) {
    TAnimatedCursorImage image;
    Source().SetPosition(0);
    image.LoadFromStream(&Source());
    benchmark::DoNotOptimize(image.GetIconCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size()));
}
BENCHMARK(BM_ReadCursor)->Unit(benchmark::kMicrosecond);

void BM_ReadCursorToStrip(benchmark::State& state) {
  for (auto _ : state) {
    TAnimatedCursorImage image;
    Source().SetPosition(0);
    image.LoadFromStream(&Source());
    TBitmap strip;
    image.AssignToBitmap(&strip, clWhite, true, false);
    benchmark::DoNotOptimize(strip.GetHandle());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size()));
}
BENCHMARK(BM_ReadCursorToStrip)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
