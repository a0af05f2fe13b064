// GIF decoding and encoding side by side with the GIF library a user already has, on the same
// files: a photograph at 1920 x 1080 and 32 frames of the low water, reduced to 256 colours
// once, a 2000 x 2000 picture of 256 colours and the 72-frame eagle sheet. The whole load goes
// from a stream of the file to every frame's bitmap, beside the library's slurp of the same
// bytes into its rasters, and that slurp with the rasters copied into bottom-up rows as a
// caller needs them. Encoding starts from the same indices and tables. The counters give the
// encoded bytes.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "imaging/QmGIF.h"
#include "imaging/QmGraph.h"
#include "platform/vcl/Jpeg.h"
#include "tests/imaging/GifTestUtil.h"
#include "tests/imaging/GiflibFixtures.h"
#include "tests/imaging/GiflibReference.h"

namespace {

struct Frames {
  std::vector<std::unique_ptr<TBitmap>> bitmaps;  // 8 bits, each with its table
  giflib_ref::Image image;                        // the same indices and tables for the library
  std::vector<std::uint8_t> gif;                  // written by the library
};

std::string SourcePath(const char* name) { return std::string(QM_SOURCE_DIR) + "/resources/waterfall/" + name; }

std::unique_ptr<TBitmap> Reduced(TBitmap* truecolor) {
  const std::unique_ptr<TMemoryStream> stream = BitmapToMemoryStream(truecolor, pf8bit, mmHistogram);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->LoadFromStream(stream.get());
  return bitmap;
}

std::unique_ptr<TBitmap> Jpeg(const char* name) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(SourcePath(name));
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->Assign(&jpeg);
  return bitmap;
}

// Frames of `height` rows cut from an 8-bit sheet, all with the sheet's table.
Frames Sliced(TBitmap* sheet, int height, int count) {
  std::vector<PALETTEENTRY> entries(256);
  GetPaletteEntries(sheet->GetPalette(), 0, 256, entries.data());
  std::vector<RGBQUAD> colors;
  for (const PALETTEENTRY& e : entries) colors.push_back({e.peBlue, e.peGreen, e.peRed, 0});
  const std::vector<std::uint8_t> all = gif_test::IndicesOf(sheet);
  Frames frames;
  frames.image.width = sheet->GetWidth();
  frames.image.height = height;
  std::vector<giflib_ref::Rgb> table;
  for (const RGBQUAD& c : colors) table.push_back({c.rgbRed, c.rgbGreen, c.rgbBlue});
  frames.image.colors = table;
  for (int i = 0; i < count; ++i) {
    const std::size_t size = static_cast<std::size_t>(sheet->GetWidth()) * height;
    std::vector<std::uint8_t> indices(all.begin() + static_cast<std::ptrdiff_t>(i * size),
                                      all.begin() + static_cast<std::ptrdiff_t>((i + 1) * size));
    frames.bitmaps.push_back(gif_test::PalettedBitmap(sheet->GetWidth(), height, 8, colors, indices));
    giflib_ref::Frame f;
    f.width = sheet->GetWidth();
    f.height = height;
    f.indices = std::move(indices);
    // As our writer does: the first frame's table is the global one, the others local.
    if (i > 0) f.colors = table;
    frames.image.frames.push_back(std::move(f));
  }
  frames.gif = giflib_ref::Write(frames.image);
  return frames;
}

const Frames& Photo() {
  static const Frames frames = [] {
    std::unique_ptr<TBitmap> ground = Jpeg("ground.jpg");
    TBitmap screen;
    screen.SetPixelFormat(pf24bit);
    screen.SetSize(1920, 1080);
    screen.GetCanvas()->StretchDraw(TRect(0, 0, 1920, 1080), ground.get());
    return Sliced(Reduced(&screen).get(), 1080, 1);
  }();
  return frames;
}

// Runs and patches of 256 colours, as pictures have them.
const Frames& LargePicture() {
  static const Frames frames = [] {
    constexpr int kSide = 2000;
    std::vector<RGBQUAD> colors;
    for (const giflib_ref::Rgb& c : giflib_ref::Palette(256, 11)) colors.push_back({c.b, c.g, c.r, 0});
    const std::unique_ptr<TBitmap> sheet =
        gif_test::PalettedBitmap(kSide, kSide, 8, colors, giflib_ref::Picture(kSide, kSide, 256, 11));
    return Sliced(sheet.get(), kSide, 1);
  }();
  return frames;
}

const Frames& Eagles() {
  static const Frames frames = [] {
    TBitmap sheet;
    sheet.LoadFromFile(SourcePath("eagles.bmp"));
    return Sliced(&sheet, 46, 72);
  }();
  return frames;
}

const Frames& Water() {
  static const Frames frames = [] {
    std::unique_ptr<TBitmap> water = Jpeg("lowwater.jpg");
    return Sliced(Reduced(water.get()).get(), water->GetHeight() / 32, 32);
  }();
  return frames;
}

using Source = const Frames& (*)();

void DecodeGiflib(benchmark::State& state, Source source) {
  const Frames& frames = source();
  std::vector<std::vector<std::uint8_t>> rasters;
  for (auto _ : state) {
    giflib_ref::DecodeInto(frames.gif, rasters);
    benchmark::DoNotOptimize(rasters.back().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(frames.gif.size()));
}

void Load(benchmark::State& state, Source source) {
  const Frames& frames = source();
  TMemoryStream stream;
  stream.WriteBuffer(frames.gif.data(), static_cast<int>(frames.gif.size()));
  for (auto _ : state) {
    stream.SetPosition(0);
    TGIFImage image;
    image.LoadFromStream(&stream);
    image.DecodeAllFrames();
    benchmark::DoNotOptimize(image.GetFrames(image.GetCount() - 1)->GetBitmap()->GetScanLine(0));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(frames.gif.size()));
}

void SlurpGiflib(benchmark::State& state, Source source) {
  const Frames& frames = source();
  for (auto _ : state) benchmark::DoNotOptimize(giflib_ref::Slurp(frames.gif));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(frames.gif.size()));
}

void Encode(benchmark::State& state, Source source) {
  const Frames& frames = source();
  std::int64_t bytes = 0;
  for (auto _ : state) {
    TGIFImage image;
    for (const auto& bitmap : frames.bitmaps) image.AddFrame(bitmap.get());
    TMemoryStream stream;
    image.SaveToStream(&stream);
    bytes = stream.GetSize();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

void EncodeGiflib(benchmark::State& state, Source source) {
  const Frames& frames = source();
  std::int64_t bytes = 0;
  for (auto _ : state) bytes = static_cast<std::int64_t>(giflib_ref::Write(frames.image).size());
  state.counters["bytes"] = static_cast<double>(bytes);
}

}  // namespace

BENCHMARK_CAPTURE(Load, photo_1920x1080, Photo)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SlurpGiflib, photo_1920x1080, Photo)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeGiflib, photo_1920x1080, Photo)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, picture_2000x2000, LargePicture)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SlurpGiflib, picture_2000x2000, LargePicture)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeGiflib, picture_2000x2000, LargePicture)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, eagles_72_frames, Eagles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SlurpGiflib, eagles_72_frames, Eagles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeGiflib, eagles_72_frames, Eagles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Load, water_32_frames, Water)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SlurpGiflib, water_32_frames, Water)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(DecodeGiflib, water_32_frames, Water)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, photo_1920x1080, Photo)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeGiflib, photo_1920x1080, Photo)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, picture_2000x2000, LargePicture)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeGiflib, picture_2000x2000, LargePicture)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, eagles_72_frames, Eagles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeGiflib, eagles_72_frames, Eagles)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, water_32_frames, Water)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncodeGiflib, water_32_frames, Water)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
