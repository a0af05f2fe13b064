// The image builders and the LAME encoding behind the test helpers.
#include "WaveImages.h"

#include <lame/lame.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace soundtest {

void PutWord(Bytes& out, WORD value) {
  out.push_back(static_cast<BYTE>(value));
  out.push_back(static_cast<BYTE>(value >> 8));
}

void PutDword(Bytes& out, DWORD value) {
  PutWord(out, static_cast<WORD>(value));
  PutWord(out, static_cast<WORD>(value >> 16));
}

Bytes Chunk(const char (&id)[5], std::span<const BYTE> body) {
  Bytes out(id, id + 4);
  PutDword(out, static_cast<DWORD>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 == 1) out.push_back(0);
  return out;
}

Bytes FmtChunk(WORD tag, WORD channels, DWORD rate, WORD bits, WORD blockAlign, std::size_t extra) {
  Bytes body;
  PutWord(body, tag);
  PutWord(body, channels);
  PutDword(body, rate);
  PutDword(body, rate * blockAlign);
  PutWord(body, blockAlign);
  PutWord(body, bits);
  body.resize(body.size() + extra);
  return Chunk("fmt ", body);
}

Bytes Riff(std::initializer_list<Bytes> chunks) {
  Bytes body{'W', 'A', 'V', 'E'};
  for (const Bytes& chunk : chunks) body.insert(body.end(), chunk.begin(), chunk.end());
  Bytes out{'R', 'I', 'F', 'F'};
  PutDword(out, static_cast<DWORD>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes PcmWave(WORD channels, DWORD rate, WORD bits, std::span<const BYTE> samples) {
  const WORD align = static_cast<WORD>(channels * bits / 8);
  return Riff({FmtChunk(WAVE_FORMAT_PCM, channels, rate, bits, align), Chunk("data", samples)});
}

Bytes Mp3Wave(WORD channels, DWORD rate, std::span<const BYTE> stream) {
  return Riff({FmtChunk(WAVE_FORMAT_MPEGLAYER3, channels, rate, 0, 1, 14), Chunk("data", stream)});
}

std::vector<std::int16_t> TestSignal(int channels, int rate, std::size_t frames) {
  std::vector<std::int16_t> samples;
  samples.reserve(frames * static_cast<std::size_t>(channels));
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / rate;
    const double envelope = 0.2 + 0.6 * static_cast<double>(i) / static_cast<double>(frames);
    for (int c = 0; c < channels; ++c)
      samples.push_back(
          static_cast<std::int16_t>(20000.0 * envelope * std::sin(2 * M_PI * (330.0 + 110.0 * c) * t)));
  }
  return samples;
}

Bytes EncodeMp3(std::span<const std::int16_t> samples, int channels, int rate, int kbps) {
  struct Closer {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
  };
  std::unique_ptr<lame_global_flags, Closer> lame(lame_init());
  lame_global_flags* l = lame.get();
  lame_set_num_channels(l, channels);
  lame_set_in_samplerate(l, rate);
  lame_set_out_samplerate(l, rate);
  lame_set_mode(l, channels == 2 ? JOINT_STEREO : MONO);
  lame_set_brate(l, kbps);
  lame_set_bWriteVbrTag(l, 1);  // the tag carries the delay and padding a gapless decoder trims
  if (lame_init_params(l) < 0) throw std::runtime_error("lame_init_params");

  const int frames = static_cast<int>(samples.size()) / channels;
  Bytes out(static_cast<std::size_t>(1.25 * frames + 7200));
  int size = channels == 2
                 ? lame_encode_buffer_interleaved(l, const_cast<short*>(samples.data()), frames, out.data(),
                                                  static_cast<int>(out.size()))
                 : lame_encode_buffer(l, samples.data(), nullptr, frames, out.data(), static_cast<int>(out.size()));
  if (size < 0) throw std::runtime_error("lame_encode_buffer");
  const int tail = lame_encode_flush(l, out.data() + size, static_cast<int>(out.size()) - size);
  if (tail < 0) throw std::runtime_error("lame_encode_flush");
  out.resize(static_cast<std::size_t>(size + tail));

  // The encoder left room for its tag in the first frame; the tag itself is known only now.
  // Frames too small to hold one (low rates) get none.
  BYTE tag[2880];
  const std::size_t tagSize = lame_get_lametag_frame(l, tag, sizeof tag);
  if (tagSize > sizeof tag || tagSize > out.size()) throw std::runtime_error("lame tag");
  std::memcpy(out.data(), tag, tagSize);
  return out;
}

}  // namespace soundtest
