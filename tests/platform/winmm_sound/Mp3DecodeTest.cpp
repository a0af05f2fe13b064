// Layer-3 decoding: a stream made here by the LAME encoder comes back with exactly its own
// frames, unshifted (the padding at both ends trimmed), and damaged streams fail safely.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "WaveImages.h"
#include "platform/winmm/Mp3Decode.h"

namespace {

using namespace soundtest;
using winmm::DecodeMp3;

std::vector<std::int16_t> Samples(const winmm::PcmSound& sound) {
  std::vector<std::int16_t> samples(sound.bytes.size() / 2);
  std::memcpy(samples.data(), sound.bytes.data(), samples.size() * 2);
  return samples;
}

// Root-mean-square difference of `b` shifted by `lag` frames against `a`, relative to `a`.
double RelativeError(const std::vector<std::int16_t>& a, const std::vector<std::int16_t>& b, int channels,
                     int lag) {
  double error = 0;
  double power = 0;
  const long n = static_cast<long>(a.size());
  for (long i = 0; i < n; ++i) {
    const long j = i + static_cast<long>(lag) * channels;
    const double other = j >= 0 && j < n ? b[static_cast<std::size_t>(j)] : 0.0;
    error += (a[static_cast<std::size_t>(i)] - other) * (a[static_cast<std::size_t>(i)] - other);
    power += static_cast<double>(a[static_cast<std::size_t>(i)]) * a[static_cast<std::size_t>(i)];
  }
  return std::sqrt(error / power);
}

struct StreamCase {
  int channels;
  int rate;
  int kbps;
  std::size_t frames;
};

class Mp3RoundTripTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(Mp3RoundTripTest, GivesBackExactlyTheEncodedFramesInPlace) {
  const StreamCase c = GetParam();
  const auto input = TestSignal(c.channels, c.rate, c.frames);
  const auto sound = DecodeMp3(EncodeMp3(input, c.channels, c.rate, c.kbps));
  ASSERT_TRUE(sound);
  EXPECT_EQ(sound->format, (winmm::PcmFormat{c.rate, c.channels, 16}));
  const auto output = Samples(*sound);
  ASSERT_EQ(output.size(), input.size());
  // Lossy, but in place: a copy shifted by the decoder's delay or a frame would be far off.
  const double inPlace = RelativeError(input, output, c.channels, 0);
  EXPECT_LT(inPlace, 0.2);
  for (int lag : {-576, -529, 529, 576, 1105})
    EXPECT_GT(RelativeError(input, output, c.channels, lag), 2 * inPlace) << "lag " << lag;
}

INSTANTIATE_TEST_SUITE_P(Mp3DecodeTest, Mp3RoundTripTest,
                         ::testing::Values(StreamCase{2, 22050, 64, 22050 + 333}, StreamCase{1, 44100, 64, 10000},
                                           StreamCase{2, 48000, 128, 4800}),
                         [](const auto& info) {
                           const StreamCase& c = info.param;
                           return (c.channels == 2 ? "Stereo" : "Mono") + std::to_string(c.rate) + "At" +
                                  std::to_string(c.kbps);
                         });

// The waterfall's kind of stream, 40 kbit/s at 22050 Hz, has frames too small for a tag; the
// WAVE header then says where the sound lies in the decoder's output.
TEST(Mp3DecodeTest, KeepsTheGivenSpanOfAStreamWithoutTag) {
  const std::size_t frames = 11025 + 77;
  const auto input = TestSignal(2, 22050, frames);
  const Bytes stream = EncodeMp3(input, 2, 22050, 40);
  const auto sound = DecodeMp3(stream, {kCoderDelay, frames});
  ASSERT_TRUE(sound);
  const auto output = Samples(*sound);
  ASSERT_EQ(output.size(), input.size());
  const double inPlace = RelativeError(input, output, 2, 0);
  EXPECT_LT(inPlace, 0.3);
  for (int lag : {-576, -529, 529, 576})
    EXPECT_GT(RelativeError(input, output, 2, lag), 2 * inPlace) << "lag " << lag;

  // A span reaching past the decoded sound keeps what there is; one wholly beyond it, nothing.
  const auto all = DecodeMp3(stream, {0, std::size_t{1} << 30});
  ASSERT_TRUE(all);
  EXPECT_GT(all->bytes.size(), input.size() * 2);
  EXPECT_FALSE(DecodeMp3(stream, {std::size_t{1} << 30, 10}));
}

TEST(Mp3DecodeTest, RefusesDataWithoutFrames) {
  EXPECT_FALSE(DecodeMp3({}));
  const Bytes text(4000, 'a');
  EXPECT_FALSE(DecodeMp3(text));
}

// Under the address checker: cut or damaged streams decode to less or to nothing, never past
// their buffers.
TEST(Mp3DecodeTest, DamagedStreamsFailSafely) {
  const auto input = TestSignal(2, 22050, 11025);
  const Bytes good = EncodeMp3(input, 2, 22050, 40);
  const auto whole = DecodeMp3(good);
  ASSERT_TRUE(whole);
  for (std::size_t size : {std::size_t{1}, std::size_t{4}, std::size_t{100}, good.size() / 2, good.size() - 1}) {
    const auto sound = DecodeMp3(std::span(good).first(size));
    if (sound) {
      EXPECT_LT(sound->bytes.size(), whole->bytes.size());
    }
  }
  std::mt19937 random(55);
  for (int round = 0; round < 50; ++round) {
    Bytes damaged = good;
    for (int i = 0; i < 40; ++i) damaged[random() % damaged.size()] = static_cast<BYTE>(random());
    const auto sound = DecodeMp3(damaged);
    if (sound) {
      EXPECT_EQ(sound->bytes.size() % static_cast<std::size_t>(sound->format.FrameBytes()), 0u);
    }
  }
}

}  // namespace
