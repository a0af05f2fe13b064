// The GIF library through memory callbacks. Its rasters are in display order on both ends: it
// interlaces on writing and de-interlaces on reading.
#include "tests/imaging/GiflibReference.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace giflib_ref {

namespace {

struct Output {
  std::vector<std::uint8_t> bytes;
};
struct Input {
  std::span<const std::uint8_t> bytes;
  std::size_t at = 0;
};

int WriteBytes(GifFileType* gif, const GifByteType* data, int count) {
  auto* out = static_cast<Output*>(gif->UserData);
  out->bytes.insert(out->bytes.end(), data, data + count);
  return count;
}

int ReadBytes(GifFileType* gif, GifByteType* data, int count) {
  auto* in = static_cast<Input*>(gif->UserData);
  const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), in->bytes.size() - in->at);
  std::memcpy(data, in->bytes.data() + in->at, n);
  in->at += n;
  return static_cast<int>(n);
}

[[noreturn]] void Fail(const char* what, int error) {
  const char* text = GifErrorString(error);
  throw std::runtime_error(std::string(what) + ": " + (text ? text : "unknown error"));
}

ColorMapObject* MapOf(const std::vector<Rgb>& colors) {
  if (colors.empty()) return nullptr;
  std::vector<GifColorType> entries;
  for (const Rgb& c : colors) entries.push_back({c.r, c.g, c.b});
  return GifMakeMapObject(static_cast<int>(colors.size()), entries.data());
}

std::vector<Rgb> ColorsOf(const ColorMapObject* map) {
  std::vector<Rgb> colors;
  if (map == nullptr) return colors;
  for (int i = 0; i < map->ColorCount; ++i) colors.push_back({map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue});
  return colors;
}

// Closes a decoder on every way out.
struct Decoder {
  explicit Decoder(Input& input) {
    int error = 0;
    gif = DGifOpen(&input, ReadBytes, &error);
    if (gif == nullptr) Fail("DGifOpen", error);
    if (DGifSlurp(gif) != GIF_OK) {
      const int code = gif->Error;
      DGifCloseFile(gif, &error);
      Fail("DGifSlurp", code);
    }
  }
  ~Decoder() {
    int error = 0;
    DGifCloseFile(gif, &error);
  }
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  GifFileType* gif = nullptr;
};

}  // namespace

std::vector<std::uint8_t> Write(const Image& image) {
  Output out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteBytes, &error);
  if (gif == nullptr) Fail("EGifOpen", error);
  gif->SWidth = image.width;
  gif->SHeight = image.height;
  gif->SColorResolution = image.colorResolution;
  gif->SBackGroundColor = image.background;
  gif->SColorMap = MapOf(image.colors);
  for (std::size_t i = 0; i < image.frames.size(); ++i) {
    const Frame& f = image.frames[i];
    SavedImage* saved = GifMakeSavedImage(gif, nullptr);
    saved->ImageDesc = {f.left, f.top, f.width, f.height, f.interlaced, MapOf(f.colors)};
    saved->RasterBits = static_cast<GifByteType*>(malloc(f.indices.size()));
    std::memcpy(saved->RasterBits, f.indices.data(), f.indices.size());
    if (i == 0 && image.loopCount >= 0) {
      const GifByteType name[] = "NETSCAPE2.0";
      const GifByteType count[] = {1, static_cast<GifByteType>(image.loopCount & 0xFF),
                                   static_cast<GifByteType>(image.loopCount >> 8)};
      GifAddExtensionBlock(&saved->ExtensionBlockCount, &saved->ExtensionBlocks, APPLICATION_EXT_FUNC_CODE, 11,
                           const_cast<GifByteType*>(name));
      GifAddExtensionBlock(&saved->ExtensionBlockCount, &saved->ExtensionBlocks, CONTINUE_EXT_FUNC_CODE, 3,
                           const_cast<GifByteType*>(count));
    }
    if (f.delay >= 0 || f.disposal >= 0 || f.transparent >= 0) {
      GraphicsControlBlock gcb{std::max(f.disposal, 0), false, std::max(f.delay, 0), f.transparent};
      EGifGCBToSavedExtension(&gcb, gif, static_cast<int>(i));
    }
  }
  if (EGifSpew(gif) != GIF_OK) Fail("EGifSpew", gif->Error);  // frees the file either way
  return std::move(out.bytes);
}

Image Read(std::span<const std::uint8_t> bytes) {
  Input input{bytes};
  Decoder decoder(input);
  GifFileType* gif = decoder.gif;
  Image image;
  image.width = gif->SWidth;
  image.height = gif->SHeight;
  image.colorResolution = gif->SColorResolution;
  image.colors = ColorsOf(gif->SColorMap);
  image.background = gif->SBackGroundColor;
  for (int i = 0; i < gif->ImageCount; ++i) {
    const SavedImage& saved = gif->SavedImages[i];
    Frame f;
    f.left = saved.ImageDesc.Left;
    f.top = saved.ImageDesc.Top;
    f.width = saved.ImageDesc.Width;
    f.height = saved.ImageDesc.Height;
    f.interlaced = saved.ImageDesc.Interlace;
    f.colors = ColorsOf(saved.ImageDesc.ColorMap);
    f.indices.assign(saved.RasterBits, saved.RasterBits + static_cast<std::size_t>(f.width) * f.height);
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) {
      f.delay = gcb.DelayTime;
      f.disposal = gcb.DisposalMode;
      f.transparent = gcb.TransparentColor;
    }
    image.frames.push_back(std::move(f));
  }
  return image;
}

void DecodeInto(std::span<const std::uint8_t> bytes, std::span<std::uint8_t> pixels, std::ptrdiff_t stride) {
  Input input{bytes};
  Decoder decoder(input);
  const SavedImage& saved = decoder.gif->SavedImages[0];
  const int width = saved.ImageDesc.Width;
  const int height = saved.ImageDesc.Height;
  if (static_cast<std::size_t>(stride * height) > pixels.size()) throw std::runtime_error("buffer too small");
  for (int y = 0; y < height; ++y)
    std::memcpy(pixels.data() + (height - 1 - y) * stride, saved.RasterBits + static_cast<std::ptrdiff_t>(y) * width,
                static_cast<std::size_t>(width));
}

}  // namespace giflib_ref
