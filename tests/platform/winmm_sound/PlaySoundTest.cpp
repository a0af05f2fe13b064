// PlaySoundA through the recording output: registered WAVE resources come out as a device
// would pull them, loops repeat seamlessly, and stop, replace and the refusals behave.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "WaveImages.h"
#include "platform/win32/Resources.h"
#include "platform/winmm/AudioSink.h"
#include "platform/winmm/PlaySound.h"
#include "platform/winmm/SoundRecorder.h"
#include "platform/winmm/WaveFile.h"

namespace {

using namespace soundtest;

constexpr DWORD kLoopFlags = 0x4000D;  // the programs' start call
constexpr DWORD kStopFlags = 0x40004;  // and their stop call

// Registered resources must stay in place, so every image lives until the program ends.
void Register(const char* name, Bytes image) {
  static std::vector<std::unique_ptr<Bytes>> kept;
  kept.push_back(std::make_unique<Bytes>(std::move(image)));
  win32::RegisterResource(name, "WAVE", kept.back()->data(), kept.back()->size());
}

Bytes Ramp(std::size_t size, BYTE first) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(first + i);
  return bytes;
}

Bytes Repeat(const Bytes& bytes, std::size_t size) {
  Bytes out;
  while (out.size() < size) out.push_back(bytes[out.size() % bytes.size()]);
  return out;
}

const Bytes kFirst = Ramp(600, 0);
const Bytes kSecond = Ramp(300, 100);

class PlaySoundTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Register("SOUNDNAME", PcmWave(2, 22050, 8, kFirst));
    Register("SECOND", PcmWave(2, 22050, 8, kSecond));
    Register("DAMAGED", Bytes{'R', 'I', 'F', 'F', 0xFF, 0xFF, 0, 0, 'W', 'A', 'V', 'E'});
    const Bytes odd = Ramp(13, 0);  // three whole 16-bit stereo frames and a piece of one
    Register("ODD", PcmWave(2, 44100, 16, odd));
  }
  void SetUp() override { recorder = winmm::InstallSoundRecorder(); }
  void TearDown() override {
    PlaySoundA(nullptr, nullptr, kStopFlags);
    winmm::SetAudioSinkFactory(nullptr);
  }

  std::shared_ptr<winmm::SoundRecorder> recorder;
};

TEST_F(PlaySoundTest, LoopsAPcmResourceWithoutAGap) {
  ASSERT_EQ(PlaySoundA("SoundName", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(recorder->Starts(), 1);
  EXPECT_EQ(recorder->Format(), (winmm::PcmFormat{22050, 2, 8}));
  // Pulled in pieces that do not line up with the sound's length.
  Bytes played;
  for (int i = 0; i < 7; ++i) {
    const Bytes piece = recorder->Pull(257);
    played.insert(played.end(), piece.begin(), piece.end());
  }
  EXPECT_EQ(played, Repeat(kFirst, 7 * 257));
  EXPECT_TRUE(recorder->Playing());
}

TEST_F(PlaySoundTest, PlaysOnceWithoutLoop) {
  ASSERT_EQ(PlaySoundA("SOUNDNAME", nullptr, SND_RESOURCE | SND_ASYNC), TRUE);
  EXPECT_EQ(recorder->Pull(1000), kFirst);
  EXPECT_FALSE(recorder->Playing());
  EXPECT_TRUE(recorder->Pull(10).empty());
}

TEST_F(PlaySoundTest, TheStopCallEndsTheLoop) {
  ASSERT_EQ(PlaySoundA("SoundName", nullptr, kLoopFlags), TRUE);
  recorder->Pull(100);
  EXPECT_EQ(PlaySoundA(nullptr, nullptr, kStopFlags), TRUE);
  EXPECT_FALSE(recorder->Playing());
  EXPECT_TRUE(recorder->Pull(10).empty());
  EXPECT_EQ(PlaySoundA(nullptr, nullptr, kStopFlags), TRUE);  // nothing left to stop
}

TEST_F(PlaySoundTest, ASecondSoundReplacesTheFirst) {
  ASSERT_EQ(PlaySoundA("SoundName", nullptr, kLoopFlags), TRUE);
  recorder->Pull(100);
  ASSERT_EQ(PlaySoundA("Second", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(recorder->Starts(), 2);
  EXPECT_EQ(recorder->Pull(700), Repeat(kSecond, 700));
}

TEST_F(PlaySoundTest, RefusalsLeaveThePlayingSoundAlone) {
  ASSERT_EQ(PlaySoundA("SoundName", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(PlaySoundA("NoSuchSound", nullptr, kLoopFlags), FALSE);
  EXPECT_EQ(PlaySoundA("Damaged", nullptr, kLoopFlags), FALSE);
  EXPECT_EQ(PlaySoundA("Second", nullptr, SND_ASYNC | SND_LOOP), FALSE);  // not a resource call
  EXPECT_EQ(PlaySoundA("Second", nullptr, SND_RESOURCE | SND_LOOP), FALSE);  // a loop must not wait
  EXPECT_EQ(PlaySoundA("Second", nullptr, kLoopFlags | SND_NOSTOP), FALSE);
  EXPECT_EQ(PlaySoundA("SoundName", reinterpret_cast<HMODULE>(0x1234), kLoopFlags), FALSE);
  EXPECT_EQ(recorder->Starts(), 1);
  EXPECT_EQ(recorder->Pull(600), kFirst);
}

TEST_F(PlaySoundTest, NoStopPlaysWhenNothingElseDoes) {
  EXPECT_EQ(PlaySoundA("Second", nullptr, kLoopFlags | SND_NOSTOP), TRUE);
  EXPECT_EQ(recorder->Pull(300), kSecond);
}

TEST_F(PlaySoundTest, PurgeStopsOnlyTheNamedSound) {
  ASSERT_EQ(PlaySoundA("SoundName", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(PlaySoundA("Second", nullptr, SND_RESOURCE | SND_PURGE), TRUE);
  EXPECT_TRUE(recorder->Playing());
  EXPECT_EQ(PlaySoundA("soundname", nullptr, SND_RESOURCE | SND_PURGE), TRUE);
  EXPECT_FALSE(recorder->Playing());
}

TEST_F(PlaySoundTest, DropsAPartialFrameAtTheEndOfTheData) {
  ASSERT_EQ(PlaySoundA("Odd", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(recorder->Format(), (winmm::PcmFormat{44100, 2, 16}));
  EXPECT_EQ(recorder->Pull(24), Repeat(Ramp(12, 0), 24));
}

TEST_F(PlaySoundTest, AWaitingCallReturnsWhenTheSoundHasPlayed) {
  std::atomic<BOOL> result{-1};
  std::thread caller([&] { result = PlaySoundA("Second", nullptr, SND_RESOURCE); });
  Bytes played;
  while (played.size() < kSecond.size()) {
    const Bytes piece = recorder->Pull(50);
    played.insert(played.end(), piece.begin(), piece.end());
  }
  caller.join();
  EXPECT_EQ(result, TRUE);
  EXPECT_EQ(played, kSecond);
}

TEST_F(PlaySoundTest, TheStopCallEndsAWaitingCall) {
  std::atomic<BOOL> result{-1};
  std::thread caller([&] { result = PlaySoundA("Second", nullptr, SND_RESOURCE); });
  while (!recorder->Playing()) std::this_thread::yield();
  PlaySoundA(nullptr, nullptr, kStopFlags);
  caller.join();
  EXPECT_EQ(result, TRUE);
}

TEST_F(PlaySoundTest, WithoutAnOutputTheSoundIsSilentAndTheCallerGoesOn) {
  winmm::SetAudioSinkFactory(nullptr);
  EXPECT_EQ(PlaySoundA("SoundName", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(PlaySoundA("Second", nullptr, SND_RESOURCE), TRUE);  // waits for nothing
  EXPECT_EQ(recorder->Starts(), 0);
}

TEST_F(PlaySoundTest, DecodesAndLoopsALayer3Resource) {
  const auto input = TestSignal(2, 22050, 5000);
  Register("MP3SOUND", Mp3Wave(2, 22050, EncodeMp3(input, 2, 22050, 64)));
  ASSERT_EQ(PlaySoundA("Mp3Sound", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(recorder->Format(), (winmm::PcmFormat{22050, 2, 16}));
  const std::size_t length = input.size() * 2;
  const Bytes twice = recorder->Pull(2 * length);
  ASSERT_EQ(twice.size(), 2 * length);
  EXPECT_TRUE(std::equal(twice.begin(), twice.begin() + static_cast<std::ptrdiff_t>(length),
                         twice.begin() + static_cast<std::ptrdiff_t>(length)));
}

// The waterfall's own sound: a fact chunk and the format's codec delay place the loop in the
// decoder's output, so the loop is exactly the fact chunk's length and its seam is smooth.
TEST_F(PlaySoundTest, LoopsTheWaterfallSoundOverItsFactLength) {
  std::ifstream file(QM_WATERFALL_SOUND, std::ios::binary);
  ASSERT_TRUE(file) << QM_WATERFALL_SOUND;
  Bytes image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const auto wave = winmm::ParseWave(image);
  ASSERT_TRUE(wave && wave->sampleLength);
  const std::size_t length = *wave->sampleLength * 4;
  Register("WATERFALL", std::move(image));

  ASSERT_EQ(PlaySoundA("Waterfall", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(recorder->Format(), (winmm::PcmFormat{22050, 2, 16}));
  const Bytes twice = recorder->Pull(2 * length);
  ASSERT_EQ(twice.size(), 2 * length);
  ASSERT_TRUE(std::equal(twice.begin(), twice.begin() + static_cast<std::ptrdiff_t>(length),
                         twice.begin() + static_cast<std::ptrdiff_t>(length)));
  std::vector<std::int16_t> samples(length / 2 + 2);
  std::memcpy(samples.data(), twice.data(), samples.size() * 2);  // the loop and the seam after it
  int largest = 0;
  for (std::size_t i = 2; i + 2 < samples.size(); ++i)
    largest = std::max(largest, std::abs(samples[i] - samples[i - 2]));
  for (std::size_t c = 0; c < 2; ++c)
    EXPECT_LE(std::abs(samples[length / 2 + c] - samples[length / 2 - 2 + c]), largest);
}

}  // namespace
