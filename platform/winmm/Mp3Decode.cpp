// Feeds the whole stream to libmpg123 at once and collects its output, then keeps the span
// the caller gives, or lets gapless decoding drop what the stream's encoder tag reports.
#include "platform/winmm/Mp3Decode.h"

#include <mpg123.h>

#include <algorithm>
#include <memory>

namespace winmm {
namespace {

// Ten minutes of 48 kHz stereo: far beyond a looping sound, and a bound on what a few bytes of
// damaged input can make the decoder produce.
constexpr std::size_t kMaxDecodedBytes = std::size_t{10} * 60 * 48000 * 4;

struct HandleDeleter {
  void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

// Any rate the decoder knows, one or two channels, always 16-bit signed samples.
Handle OpenFeed(bool gapless) {
  Handle handle(mpg123_new(nullptr, nullptr));
  if (!handle) return nullptr;
  mpg123_handle* h = handle.get();
  if (mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0) != MPG123_OK ||
      mpg123_param(h, gapless ? MPG123_ADD_FLAGS : MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0) != MPG123_OK)
    return nullptr;
  mpg123_format_none(h);
  const long* rates = nullptr;
  std::size_t count = 0;
  mpg123_rates(&rates, &count);
  for (std::size_t i = 0; i < count; ++i)
    mpg123_format(h, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_open_feed(h) != MPG123_OK) return nullptr;
  return handle;
}

// Keeps `length` frames after the first `skip`, as far as the sound reaches.
void Cut(PcmSound& sound, std::size_t skip, std::size_t length) {
  const std::size_t frame = static_cast<std::size_t>(sound.format.FrameBytes());
  const std::size_t frames = sound.bytes.size() / frame;
  const std::size_t first = std::min(skip, frames);
  const std::size_t count = std::min(length, frames - first);
  sound.bytes.erase(sound.bytes.begin() + static_cast<std::ptrdiff_t>((first + count) * frame), sound.bytes.end());
  sound.bytes.erase(sound.bytes.begin(), sound.bytes.begin() + static_cast<std::ptrdiff_t>(first * frame));
}

}  // namespace

std::optional<PcmSound> DecodeMp3(std::span<const BYTE> data, const Mp3Span& span) {
  if (data.empty()) return std::nullopt;
  Handle handle = OpenFeed(!span.length);
  if (!handle) return std::nullopt;
  mpg123_handle* h = handle.get();
  if (mpg123_feed(h, data.data(), data.size()) != MPG123_OK) return std::nullopt;

  PcmSound sound;
  bool formatKnown = false;
  std::vector<BYTE> block(mpg123_outblock(h));
  for (;;) {
    std::size_t done = 0;
    const int result = mpg123_read(h, block.data(), block.size(), &done);
    if (result == MPG123_NEW_FORMAT) {
      long rate = 0;
      int channels = 0;
      int encoding = 0;
      mpg123_getformat(h, &rate, &channels, &encoding);
      const PcmFormat format{static_cast<int>(rate), channels, 16};
      if (formatKnown && format != sound.format) return std::nullopt;
      sound.format = format;
      formatKnown = true;
      continue;
    }
    if (result != MPG123_OK && result != MPG123_NEED_MORE && result != MPG123_DONE) return std::nullopt;
    if (done > 0) {
      if (!formatKnown || done > kMaxDecodedBytes - sound.bytes.size()) return std::nullopt;
      sound.bytes.insert(sound.bytes.end(), block.begin(), block.begin() + static_cast<std::ptrdiff_t>(done));
    }
    if (result != MPG123_OK) break;  // all input used, or the stream's end
  }
  if (!formatKnown) return std::nullopt;
  sound.bytes.resize(sound.bytes.size() - sound.bytes.size() % sound.format.FrameBytes());
  if (span.length) Cut(sound, span.skip, *span.length);
  if (sound.bytes.empty()) return std::nullopt;
  return sound;
}

}  // namespace winmm
