// libjpeg behind a small decoder: errors and warnings (damaged data) jump back to the guarded
// step, which raises EJPEG with libjpeg's message once no libjpeg frame is left on the stack.
#include "platform/vcl/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "platform/vcl/ImageLimits.h"
#include "platform/vcl/Jpeg.h"

namespace vcl::jpeg {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;  // first, so libjpeg's pointer to it points at the whole
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Fail(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// libjpeg reports a truncated stream or a bad entropy code as a warning and goes on with
// made-up data; here that is damage.
void OnMessage(j_common_ptr info, int level) {
  if (level < 0) Fail(info);
}

}  // namespace

struct Decompressor::State {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  bool quantized = false;

  State() {
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = Fail;
    errors.base.emit_message = OnMessage;
  }
  ~State() { jpeg_destroy_decompress(&info); }  // safe on a zeroed or half-made object

  // Runs one step of libjpeg calls. A step holds only plain values, since the jump back from
  // libjpeg skips its frames without running destructors.
  template <class Step>
  void Guard(Step step) {
    if (setjmp(errors.jump) != 0) throw EJPEG(errors.message);
    step();
  }
};

Decompressor::Decompressor(std::span<const std::byte> data) : FState(std::make_unique<State>()) {
  j_decompress_ptr info = &FState->info;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  const auto size = static_cast<unsigned long>(data.size());
  FState->Guard([info, bytes, size] {
    jpeg_create_decompress(info);
    jpeg_mem_src(info, bytes, size);
    jpeg_read_header(info, TRUE);
  });
}

Decompressor::~Decompressor() = default;

int Decompressor::ImageWidth() const { return static_cast<int>(FState->info.image_width); }
int Decompressor::ImageHeight() const { return static_cast<int>(FState->info.image_height); }
int Decompressor::OutputWidth() const { return static_cast<int>(FState->info.output_width); }
int Decompressor::OutputHeight() const { return static_cast<int>(FState->info.output_height); }
int Decompressor::OutputComponents() const { return FState->info.output_components; }

void Decompressor::Start(const Options& options) {
  j_decompress_ptr info = &FState->info;
  FState->quantized = options.quantize && !options.grayscale;
  info->out_color_space = options.grayscale ? JCS_GRAYSCALE : FState->quantized ? JCS_RGB : JCS_EXT_BGR;
  info->quantize_colors = FState->quantized;
  info->desired_number_of_colors = 256;
  info->two_pass_quantize = !options.fast;
  info->dither_mode = options.fast ? JDITHER_ORDERED : JDITHER_FS;
  info->dct_method = options.fast ? JDCT_IFAST : JDCT_ISLOW;
  info->do_fancy_upsampling = !options.fast;
  info->scale_num = 1;
  info->scale_denom = static_cast<unsigned>(options.scaleDenominator);
  FState->Guard([info] { jpeg_calc_output_dimensions(info); });
  // The size is checked before libjpeg takes memory for the image.
  if (!ImageSizeFits(OutputWidth(), OutputHeight(), 8 * info->output_components))
    throw EJPEG(Format("JPEG image is too large (%d x %d)", OutputWidth(), OutputHeight()));
  FState->Guard([info] { jpeg_start_decompress(info); });
}

std::vector<RGBQUAD> Decompressor::Palette() const {
  std::vector<RGBQUAD> colors(256, RGBQUAD{0, 0, 0, 0});
  const jpeg_decompress_struct& info = FState->info;
  if (FState->quantized) {
    for (int i = 0; i < info.actual_number_of_colors && i < 256; ++i)
      colors[static_cast<std::size_t>(i)] = RGBQUAD{info.colormap[2][i], info.colormap[1][i], info.colormap[0][i], 0};
  } else {
    for (int i = 0; i < 256; ++i) {
      const auto level = static_cast<BYTE>(i);
      colors[static_cast<std::size_t>(i)] = RGBQUAD{level, level, level, 0};
    }
  }
  return colors;
}

void Decompressor::ReadRows(std::span<std::byte* const> rows) {
  if (rows.size() < FState->info.output_height) throw EJPEG("JPEG output rows missing");
  std::vector<JSAMPROW> pointers(FState->info.output_height, nullptr);
  for (std::size_t i = 0; i < pointers.size(); ++i) pointers[i] = reinterpret_cast<JSAMPROW>(rows[i]);
  j_decompress_ptr info = &FState->info;
  JSAMPARRAY array = pointers.data();
  FState->Guard([info, array] {
    while (info->output_scanline < info->output_height) {
      const JDIMENSION done = info->output_scanline;
      if (jpeg_read_scanlines(info, array + done, info->output_height - done) == 0) break;
    }
    jpeg_finish_decompress(info);
  });
}

}  // namespace vcl::jpeg
