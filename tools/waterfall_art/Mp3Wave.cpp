// A RIFF WAVE file holding MPEG Layer-3 data: LAME encodes at a constant 40 kbit/s (5000 bytes
// a second). The loop is encoded with a stretch of its own end before it and of its start
// after it, so the coder sees the loop's seam like any other moment; the format chunk's codec
// delay says how many decoded samples come before the loop, the fact chunk how many it has.
#include "tools/waterfall_art/Mp3Wave.h"

#include <lame/lame.h>

#include <stdexcept>

#include "tools/art/LittleEndian.h"
#include "tools/waterfall_art/Rush.h"

namespace art {
namespace {

constexpr int kBitRate = 40;
constexpr std::uint32_t kBytesPerSecond = kBitRate * 1000 / 8;
constexpr int kDecoderDelay = 529;  // samples the Layer-3 synthesis filter bank lags behind
constexpr int kContext = 1152;      // samples of the loop's far end coded before and after it

struct Encoded {
  std::vector<std::uint8_t> frames;
  int delay;
};

Encoded EncodeMp3(const std::vector<std::int16_t>& stereo) {
  lame_global_flags* lame = lame_init();
  if (!lame) throw std::runtime_error("lame_init failed");
  lame_set_num_channels(lame, 2);
  lame_set_in_samplerate(lame, kSampleRate);
  lame_set_out_samplerate(lame, kSampleRate);
  lame_set_mode(lame, JOINT_STEREO);
  lame_set_VBR(lame, vbr_off);
  lame_set_brate(lame, kBitRate);
  lame_set_quality(lame, 2);
  lame_set_bWriteVbrTag(lame, 0);  // a 40 kbit/s frame at 22050 Hz is too small for the info frame
  lame_set_disable_reservoir(lame, 0);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    throw std::runtime_error("lame_init_params failed");
  }
  const int frames = static_cast<int>(stereo.size() / 2);
  std::vector<unsigned char> out(static_cast<std::size_t>(frames) * 5 / 4 + 7200 + 65536);
  int used = lame_encode_buffer_interleaved(lame, const_cast<short*>(stereo.data()), frames, out.data(),
                                            static_cast<int>(out.size()));
  if (used < 0) throw std::runtime_error("lame_encode_buffer_interleaved failed");
  const int tail = lame_encode_flush(lame, out.data() + used, static_cast<int>(out.size()) - used);
  if (tail < 0) throw std::runtime_error("lame_encode_flush failed");
  out.resize(static_cast<std::size_t>(used + tail));
  Encoded result{std::vector<std::uint8_t>(out.begin(), out.end()), lame_get_encoder_delay(lame) + kDecoderDelay};
  lame_close(lame);
  return result;
}

// The loop with its own end before it and its own start after it.
std::vector<std::int16_t> WithContext(const std::vector<std::int16_t>& stereo) {
  const std::size_t n = stereo.size(), k = 2 * static_cast<std::size_t>(kContext);
  std::vector<std::int16_t> out;
  out.reserve(n + 2 * k);
  for (std::size_t i = 0; i < n + 2 * k; ++i) out.push_back(stereo[(i + n - k % n) % n]);
  return out;
}

}  // namespace

std::vector<std::uint8_t> EncodeMp3Wave(const std::vector<std::int16_t>& stereo) {
  const Encoded mp3 = EncodeMp3(WithContext(stereo));
  std::vector<std::uint8_t> fmt;
  Put16(fmt, 0x55);  // MPEG Layer-3
  Put16(fmt, 2);
  Put32(fmt, kSampleRate);
  Put32(fmt, kBytesPerSecond);
  Put16(fmt, 1);   // block align: the frames are of varying length
  Put16(fmt, 0);   // bits per sample: not applicable
  Put16(fmt, 12);  // size of what follows
  Put16(fmt, 1);   // ID: MPEG
  Put32(fmt, 0);   // padding as the standard places it
  Put16(fmt, 72 * kBitRate * 1000 / kSampleRate);  // bytes of a frame without padding
  Put16(fmt, 1);   // frames per block
  Put16(fmt, static_cast<unsigned>(mp3.delay + kContext));  // decoded samples before the loop

  std::vector<std::uint8_t> out;
  PutTag(out, "RIFF");
  Put32(out, 0);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, static_cast<std::uint32_t>(fmt.size()));
  out.insert(out.end(), fmt.begin(), fmt.end());
  PutTag(out, "fact");
  Put32(out, 4);
  Put32(out, static_cast<std::uint32_t>(stereo.size() / 2));  // samples per channel
  PutTag(out, "data");
  Put32(out, static_cast<std::uint32_t>(mp3.frames.size()));
  out.insert(out.end(), mp3.frames.begin(), mp3.frames.end());
  if (mp3.frames.size() % 2) out.push_back(0);  // chunks end on even offsets
  Set32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
  return out;
}

}  // namespace art
