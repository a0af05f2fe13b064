// Decompression of JPEG bytes through libjpeg for TJPEGImage. libjpeg reports errors by a long
// jump back into the guarded step that called it; the step then raises EJPEG in plain C++.
#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace vcl::jpeg {

struct Options {
  bool grayscale = false;
  bool quantize = false;  // 256 colours with a palette instead of 24 bits
  int scaleDenominator = 1;  // 1, 2, 4 or 8
  bool fast = false;
  bool operator==(const Options&) const = default;
};

// One decode of one JPEG image; the data must outlive it. Any failure raises EJPEG.
class Decompressor {
 public:
  // Reads the header.
  explicit Decompressor(std::span<const std::byte> data);
  ~Decompressor();
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  int ImageWidth() const;
  int ImageHeight() const;
  // Starts decoding; then the output size and format are known.
  void Start(const Options& options);
  int OutputWidth() const;
  int OutputHeight() const;
  // 3 (blue, green, red bytes) or 1 (palette index).
  int OutputComponents() const;
  // The colours of one-component output: the quantiser's map or a grey ramp.
  std::vector<RGBQUAD> Palette() const;
  // Decodes every row into rows (top first, OutputHeight of them, each wide enough).
  void ReadRows(std::span<std::byte* const> rows);

 private:
  struct State;
  std::unique_ptr<State> FState;
};

}  // namespace vcl::jpeg
