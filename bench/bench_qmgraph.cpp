// Reducing a 1920 x 1080 photograph-like picture (the waterfall's landscape, scaled smoothly)
// to 8 bits with each of the six methods, and, beside them, quantising the same pixels to 256
// colours with the reference quantiser at its default settings. Each reports its time and the
// mean squared error per channel of what it made. Goals: the median cut at least five times
// faster than the reference, the popularity method faster still.
#include <benchmark/benchmark.h>
#include <libimagequant.h>

#include <cstring>
#include <memory>
#include <vector>

#include "imaging/QmGraph.h"
#include "platform/vcl/Jpeg.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

// The picture as a 24-bit bitmap, and its colours, top row first, as blue, green, red.
struct Photo {
  std::unique_ptr<TBitmap> bitmap;
  std::vector<BYTE> bgr;
};

// Bilinear scaling, so the enlarged picture keeps a photograph's many colours.
std::vector<BYTE> Scaled(TBitmap& source) {
  const int w = source.GetWidth(), h = source.GetHeight();
  std::vector<BYTE> out(static_cast<std::size_t>(kWidth) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y) {
    const double fy = (y + 0.5) * h / kHeight - 0.5;
    const int y0 = std::max(0, static_cast<int>(fy)), y1 = std::min(h - 1, y0 + 1);
    const double ty = std::clamp(fy - y0, 0.0, 1.0);
    const auto* row0 = static_cast<const BYTE*>(source.GetScanLine(y0));
    const auto* row1 = static_cast<const BYTE*>(source.GetScanLine(y1));
    for (int x = 0; x < kWidth; ++x) {
      const double fx = (x + 0.5) * w / kWidth - 0.5;
      const int x0 = std::max(0, static_cast<int>(fx)), x1 = std::min(w - 1, x0 + 1);
      const double tx = std::clamp(fx - x0, 0.0, 1.0);
      for (int c = 0; c < 3; ++c) {
        const double top = row0[3 * x0 + c] * (1 - tx) + row0[3 * x1 + c] * tx;
        const double bottom = row1[3 * x0 + c] * (1 - tx) + row1[3 * x1 + c] * tx;
        out[(static_cast<std::size_t>(y) * kWidth + x) * 3 + c] = static_cast<BYTE>(top * (1 - ty) + bottom * ty + 0.5);
      }
    }
  }
  return out;
}

const Photo& ThePhoto() {
  static const Photo photo = [] {
    TJPEGImage jpeg;
    jpeg.LoadFromFile(QM_PHOTO_FILE);
    TBitmap decoded;
    decoded.Assign(&jpeg);
    decoded.SetPixelFormat(pf24bit);
    Photo p{std::make_unique<TBitmap>(), Scaled(decoded)};
    p.bitmap->SetPixelFormat(pf24bit);
    p.bitmap->SetSize(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y)
      std::memcpy(p.bitmap->GetScanLine(y), p.bgr.data() + static_cast<std::size_t>(y) * kWidth * 3, kWidth * 3);
    return p;
  }();
  return photo;
}

// The mean over every pixel and channel of the squared difference to the picture; `shown`
// gives the colour (blue, green, red) that the result shows at a pixel, top row first.
template <class Shown>
double MeanSquaredError(const Photo& photo, Shown shown) {
  double sum = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const BYTE* want = photo.bgr.data() + (static_cast<std::size_t>(y) * kWidth + x) * 3;
      const RGBQUAD got = shown(x, y);
      const int db = want[0] - got.rgbBlue, dg = want[1] - got.rgbGreen, dr = want[2] - got.rgbRed;
      sum += db * db + dg * dg + dr * dr;
    }
  return sum / (3.0 * kWidth * kHeight);
}

constexpr const char* kMethodNames[] = {"popularity", "median cut", "truncation 7-8-4", "truncation 6-6-6",
                                        "interleave", "grey"};

void BM_ReduceTo8Bits(benchmark::State& state) {
  const auto method = static_cast<TMappingMethod>(state.range(0));
  const Photo& photo = ThePhoto();
  std::unique_ptr<TMemoryStream> stream;
  for (auto _ : state) {
    stream = BitmapToMemoryStream(photo.bitmap.get(), pf8bit, method);
    benchmark::DoNotOptimize(stream->GetMemory());
  }
  const auto* file = static_cast<const BYTE*>(stream->GetMemory());
  DWORD offset = 0;
  std::memcpy(&offset, file + 10, sizeof offset);
  const auto* colors = reinterpret_cast<const RGBQUAD*>(file + 54);
  const std::size_t stride = (kWidth + 3) / 4 * 4;
  state.counters["mse"] = MeanSquaredError(photo, [&](int x, int y) {
    return colors[file[offset + stride * static_cast<std::size_t>(kHeight - 1 - y) + x]];
  });
  state.SetLabel(kMethodNames[method]);
}
BENCHMARK(BM_ReduceTo8Bits)->DenseRange(mmHistogram, mmGrayscale)->Unit(benchmark::kMillisecond);

// The whole quantisation from the same pixels: analysis, palette and the remapped image.
void BM_ReferenceQuantiser(benchmark::State& state) {
  const Photo& photo = ThePhoto();
  std::vector<BYTE> rgba(static_cast<std::size_t>(kWidth) * kHeight * 4);
  for (std::size_t i = 0; i < static_cast<std::size_t>(kWidth) * kHeight; ++i) {
    rgba[4 * i] = photo.bgr[3 * i + 2];
    rgba[4 * i + 1] = photo.bgr[3 * i + 1];
    rgba[4 * i + 2] = photo.bgr[3 * i];
    rgba[4 * i + 3] = 255;
  }
  std::vector<BYTE> indices(static_cast<std::size_t>(kWidth) * kHeight);
  liq_palette palette{};
  for (auto _ : state) {
    liq_attr* attr = liq_attr_create();
    liq_image* image = liq_image_create_rgba(attr, rgba.data(), kWidth, kHeight, 0);
    liq_result* result = nullptr;
    if (liq_image_quantize(image, attr, &result) != LIQ_OK) {
      state.SkipWithError("the reference quantiser failed");
      break;
    }
    liq_write_remapped_image(result, image, indices.data(), indices.size());
    palette = *liq_get_palette(result);
    liq_result_destroy(result);
    liq_image_destroy(image);
    liq_attr_destroy(attr);
  }
  state.counters["mse"] = MeanSquaredError(photo, [&](int x, int y) {
    const liq_color c = palette.entries[indices[static_cast<std::size_t>(y) * kWidth + x]];
    return RGBQUAD{c.b, c.g, c.r, 0};
  });
  state.SetLabel("reference, default speed");
}
BENCHMARK(BM_ReferenceQuantiser)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
