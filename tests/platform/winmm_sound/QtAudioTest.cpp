// The Qt audio output with no sound server to reach: sounds start, replace and stop without
// hanging, a waiting call returns, and the process ends cleanly with a loop still playing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "WaveImages.h"
#include "platform/qt/QtApp.h"
#include "platform/qt/QtAudio.h"
#include "platform/win32/Resources.h"
#include "platform/winmm/AudioSink.h"
#include "platform/winmm/PlaySound.h"

namespace {

using namespace soundtest;

constexpr DWORD kLoopFlags = 0x4000D;
constexpr DWORD kStopFlags = 0x40004;

const Bytes& Image() {
  static const Bytes image = PcmWave(2, 22050, 8, Bytes(4410, 128));
  return image;
}

class QtAudioTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("PULSE_SERVER", "unix:/nonexistent/quillmont-test", 1);  // never the machine's sound
    win32::RegisterResource("SOUNDNAME", "WAVE", Image().data(), Image().size());
  }
  void SetUp() override { qt::InstallAudio(); }
  void TearDown() override {
    PlaySoundA(nullptr, nullptr, kStopFlags);
    winmm::SetAudioSinkFactory(nullptr);
  }
};

// A fresh process: no application object yet, a loop playing when it ends.
void PlayAndExit() {
  BOOL fromOtherThread = FALSE;
  std::thread([&] { fromOtherThread = PlaySoundA("SoundName", nullptr, kLoopFlags); }).join();
  const bool silentBeforeTheApplication = fromOtherThread == TRUE && !qt::ApplicationExists();
  const bool started = PlaySoundA("SoundName", nullptr, kLoopFlags) == TRUE && qt::ApplicationExists();
  std::exit(silentBeforeTheApplication && started ? 0 : 1);
}

using QtAudioDeathTest = QtAudioTest;

TEST_F(QtAudioDeathTest, MakesTheApplicationAndEndsWithTheLoopPlaying) {
  EXPECT_EXIT(PlayAndExit(), ::testing::ExitedWithCode(0), "");
}

TEST_F(QtAudioTest, StartsReplacesAndStopsWithoutADevice) {
  for (int i = 0; i < 20; ++i) EXPECT_EQ(PlaySoundA("SoundName", nullptr, kLoopFlags), TRUE);
  EXPECT_EQ(PlaySoundA(nullptr, nullptr, kStopFlags), TRUE);
  EXPECT_EQ(PlaySoundA("SoundName", nullptr, kLoopFlags), TRUE);
}

TEST_F(QtAudioTest, AWaitingCallReturnsWithoutADevice) {
  EXPECT_EQ(PlaySoundA("SoundName", nullptr, SND_RESOURCE), TRUE);
}

}  // namespace
