// The GIF library through memory callbacks. Its rasters are in display order on both ends: it
// interlaces on writing and de-interlaces on reading.
#include "tests/imaging/GiflibReference.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
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

// What the encoder reads, held here: its close frees the file record and nothing it points at.
struct EncoderInput {
  struct Map {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
  };
  std::vector<std::unique_ptr<ColorMapObject, Map>> maps;
  std::vector<SavedImage> images;
  std::vector<std::vector<ExtensionBlock>> extensions;
  std::vector<std::vector<GifByteType>> bytes;

  ColorMapObject* MapOf(const std::vector<Rgb>& colors) {
    if (colors.empty()) return nullptr;
    std::vector<GifColorType> entries;
    for (const Rgb& c : colors) entries.push_back({c.r, c.g, c.b});
    maps.emplace_back(GifMakeMapObject(static_cast<int>(colors.size()), entries.data()));
    return maps.back().get();
  }
  GifByteType* Keep(std::vector<GifByteType> data) {
    bytes.push_back(std::move(data));
    return bytes.back().data();
  }
};

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
  EncoderInput input;
  input.images.resize(image.frames.size());
  input.extensions.resize(image.frames.size());
  for (std::size_t i = 0; i < image.frames.size(); ++i) {
    const Frame& f = image.frames[i];
    std::vector<ExtensionBlock>& blocks = input.extensions[i];
    if (i == 0 && image.loopCount >= 0) {
      const char* name = "NETSCAPE2.0";
      blocks.push_back({11, input.Keep({name, name + 11}), APPLICATION_EXT_FUNC_CODE});
      blocks.push_back({3, input.Keep({1, static_cast<GifByteType>(image.loopCount & 0xFF),
                                       static_cast<GifByteType>(image.loopCount >> 8)}),
                        CONTINUE_EXT_FUNC_CODE});
    }
    if (f.delay >= 0 || f.disposal >= 0 || f.transparent >= 0) {
      const GraphicsControlBlock gcb{std::max(f.disposal, 0), false, std::max(f.delay, 0), f.transparent};
      std::vector<GifByteType> control(4);
      EGifGCBToExtension(&gcb, control.data());
      blocks.push_back({4, input.Keep(std::move(control)), GRAPHICS_EXT_FUNC_CODE});
    }
    SavedImage& saved = input.images[i];
    saved.ImageDesc = {f.left, f.top, f.width, f.height, f.interlaced, input.MapOf(f.colors)};
    saved.RasterBits = input.Keep(f.indices);
    saved.ExtensionBlockCount = static_cast<int>(blocks.size());
    saved.ExtensionBlocks = blocks.empty() ? nullptr : blocks.data();
  }
  Output out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteBytes, &error);
  if (gif == nullptr) Fail("EGifOpen", error);
  gif->SWidth = image.width;
  gif->SHeight = image.height;
  gif->SColorResolution = image.colorResolution;
  gif->SBackGroundColor = image.background;
  gif->SColorMap = input.MapOf(image.colors);
  gif->ImageCount = static_cast<int>(input.images.size());
  gif->SavedImages = input.images.data();
  if (EGifSpew(gif) != GIF_OK) Fail("EGifSpew", error);  // closes the file either way
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

int Slurp(std::span<const std::uint8_t> bytes) {
  Input input{bytes};
  const Decoder decoder(input);
  return decoder.gif->ImageCount;
}

void DecodeInto(std::span<const std::uint8_t> bytes, std::vector<std::vector<std::uint8_t>>& frames) {
  Input input{bytes};
  Decoder decoder(input);
  frames.resize(static_cast<std::size_t>(decoder.gif->ImageCount));
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const SavedImage& saved = decoder.gif->SavedImages[i];
    const int width = saved.ImageDesc.Width;
    const int height = saved.ImageDesc.Height;
    const std::ptrdiff_t stride = (width + 3) / 4 * 4;
    frames[i].resize(static_cast<std::size_t>(stride * height));
    for (int y = 0; y < height; ++y)
      std::memcpy(frames[i].data() + (height - 1 - y) * stride, saved.RasterBits + static_cast<std::ptrdiff_t>(y) * width,
                  static_cast<std::size_t>(width));
  }
}

}  // namespace giflib_ref
