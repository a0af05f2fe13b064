// WAVE parsing: good PCM and Layer-3 images, the chunk walk, and damaged images that must give
// no result, down to every truncation and byte flip of a good image.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "WaveImages.h"
#include "platform/winmm/WaveFile.h"

namespace {

using namespace soundtest;
using winmm::ParseWave;

const Bytes kSamples{1, 2, 3, 4, 5, 6, 7, 8};

Bytes WithDword(Bytes image, std::size_t at, DWORD value) {
  for (int i = 0; i < 4; ++i) image[at + i] = static_cast<BYTE>(value >> (8 * i));
  return image;
}

TEST(WaveFileTest, ReadsPcmHeaderAndData) {
  const Bytes image = PcmWave(2, 22050, 16, kSamples);
  const auto wave = ParseWave(image);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->header.formatTag, WAVE_FORMAT_PCM);
  EXPECT_EQ(wave->header.channels, 2);
  EXPECT_EQ(wave->header.samplesPerSec, 22050u);
  EXPECT_EQ(wave->header.bitsPerSample, 16);
  EXPECT_EQ(Bytes(wave->data.begin(), wave->data.end()), kSamples);
  EXPECT_EQ(wave->data.data(), image.data() + 44);  // points into the image, not a copy
}

TEST(WaveFileTest, ReadsLayer3Header) {
  const Bytes frames{0xFF, 0xFB, 0x50, 0xC4, 9};
  const Bytes image = Mp3Wave(2, 22050, frames);
  const auto wave = ParseWave(image);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->header.formatTag, WAVE_FORMAT_MPEGLAYER3);
  EXPECT_EQ(wave->header.channels, 2);
  EXPECT_EQ(wave->header.samplesPerSec, 22050u);
  EXPECT_EQ(Bytes(wave->data.begin(), wave->data.end()), frames);
  EXPECT_FALSE(wave->sampleLength);
}

TEST(WaveFileTest, ReadsTheLayer3CodecDelayAndTheFactLength) {
  Bytes fmt = FmtChunk(WAVE_FORMAT_MPEGLAYER3, 2, 22050, 0, 1, 14);
  fmt[8 + 28] = 0xD1;  // nCodecDelay 2257
  fmt[8 + 29] = 0x08;
  Bytes length;
  PutDword(length, 131072);
  const auto wave = ParseWave(Riff({fmt, Chunk("fact", length), Chunk("data", kSamples)}));
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->header.codecDelay, 2257);
  EXPECT_EQ(wave->sampleLength, 131072u);
  // A header without the Layer-3 extension has no delay.
  const auto plain = ParseWave(Riff({FmtChunk(WAVE_FORMAT_MPEGLAYER3, 2, 22050, 0, 1), Chunk("data", kSamples)}));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->header.codecDelay, 0);
}

TEST(WaveFileTest, SkipsOtherChunksWithTheirPadAndTakesChunksInAnyOrder) {
  const Bytes odd{'x', 'y', 'z'};
  const Bytes image = Riff({Chunk("LIST", odd), Chunk("data", kSamples), Chunk("JUNK", odd),
                            FmtChunk(WAVE_FORMAT_PCM, 1, 8000, 8, 1)});
  const auto wave = ParseWave(image);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->header.samplesPerSec, 8000u);
  EXPECT_EQ(Bytes(wave->data.begin(), wave->data.end()), kSamples);
}

TEST(WaveFileTest, IgnoresBytesBeyondTheRiffSize) {
  Bytes image = PcmWave(1, 8000, 8, kSamples);
  image.insert(image.end(), {'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0x7F});
  EXPECT_TRUE(ParseWave(image));
}

TEST(WaveFileTest, AcceptsAMissingPadByteAtTheEnd) {
  Bytes image = PcmWave(1, 8000, 8, Bytes{1, 2, 3});
  image.pop_back();
  image = WithDword(image, 4, static_cast<DWORD>(image.size() - 8));
  const auto wave = ParseWave(image);
  ASSERT_TRUE(wave);
  EXPECT_EQ(wave->data.size(), 3u);
}

struct DamagedCase {
  std::string name;
  Bytes image;
};

std::vector<DamagedCase> DamagedImages() {
  const Bytes good = PcmWave(2, 22050, 16, kSamples);
  Bytes notWave = good;
  notWave[8] = 'A';
  Bytes truncated = good;
  truncated.resize(good.size() - 1);
  const Bytes fmt = FmtChunk(WAVE_FORMAT_PCM, 2, 22050, 16, 4);
  Bytes shortFmt = fmt;
  shortFmt.resize(8 + 14);
  shortFmt[4] = 14;
  return {
      {"Empty", {}},
      {"ShorterThanTheRiffHeader", Bytes(good.begin(), good.begin() + 11)},
      {"NotRiff", WithDword(good, 0, 0x46464952 + 1)},
      {"NotWave", notWave},
      {"TruncatedRiff", truncated},
      {"RiffSizeBelowTheWaveTag", WithDword(good, 4, 3)},
      {"RiffSizeHuge", WithDword(good, 4, 0xFFFFFFFF)},
      {"ChunkSizePastTheEnd", WithDword(good, 40, 9)},
      {"ChunkSizeHuge", WithDword(good, 16, 0xFFFFFFF0)},
      {"FloatFormat", Riff({FmtChunk(3, 2, 22050, 32, 8), Chunk("data", kSamples)})},
      {"AdpcmFormat", Riff({FmtChunk(2, 2, 22050, 4, 2048), Chunk("data", kSamples)})},
      {"Pcm24Bit", Riff({FmtChunk(WAVE_FORMAT_PCM, 2, 22050, 24, 6), Chunk("data", kSamples)})},
      {"PcmBlockAlignWrong", Riff({FmtChunk(WAVE_FORMAT_PCM, 2, 22050, 16, 2), Chunk("data", kSamples)})},
      {"NoChannels", Riff({FmtChunk(WAVE_FORMAT_PCM, 0, 22050, 8, 0), Chunk("data", kSamples)})},
      {"ThreeChannels", Riff({FmtChunk(WAVE_FORMAT_PCM, 3, 22050, 8, 3), Chunk("data", kSamples)})},
      {"NoSampleRate", Riff({FmtChunk(WAVE_FORMAT_PCM, 2, 0, 8, 2), Chunk("data", kSamples)})},
      {"FmtShorterThanItsFields", Riff({shortFmt, Chunk("data", kSamples)})},
      {"MissingData", Riff({fmt})},
      {"MissingFmt", Riff({Chunk("data", kSamples)})},
      {"FactTooShort", Riff({fmt, Chunk("fact", Bytes{1, 2}), Chunk("data", kSamples)})},
  };
}

class DamagedWaveTest : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedWaveTest, GivesNoResult) { EXPECT_FALSE(ParseWave(GetParam().image)); }

INSTANTIATE_TEST_SUITE_P(WaveFileTest, DamagedWaveTest, ::testing::ValuesIn(DamagedImages()),
                         [](const auto& info) { return info.param.name; });

// Under the address checker these show that no damaged image makes the parser read outside it.
TEST(WaveFileTest, EveryTruncationStaysInsideTheImage) {
  const Bytes good = Riff({Chunk("LIST", Bytes{1, 2, 3}), FmtChunk(WAVE_FORMAT_PCM, 2, 22050, 16, 4),
                           Chunk("data", kSamples)});
  for (std::size_t size = 0; size < good.size(); ++size) {
    const Bytes part(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
    const auto wave = ParseWave(part);
    if (wave) {
      EXPECT_GE(wave->data.data(), part.data());
      EXPECT_LE(wave->data.data() + wave->data.size(), part.data() + part.size());
    }
  }
}

TEST(WaveFileTest, RandomDamageStaysInsideTheImage) {
  const Bytes good = PcmWave(2, 22050, 16, kSamples);
  std::mt19937 random(5);
  for (int round = 0; round < 2000; ++round) {
    Bytes image = good;
    for (int flips = 1 + round % 4; flips > 0; --flips)
      image[random() % image.size()] = static_cast<BYTE>(random());
    const auto wave = ParseWave(image);
    if (wave) {
      EXPECT_GE(wave->data.data(), image.data());
      EXPECT_LE(wave->data.data() + wave->data.size(), image.data() + image.size());
    }
  }
}

}  // namespace
