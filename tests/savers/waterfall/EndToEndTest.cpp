// A whole full-screen run in-process on the headless display: it draws and ticks for a while,
// a key posted from another thread ends it, and the program leaves everything as it found it.
#include <chrono>
#include <thread>

#include "platform/registry/Registry.h"
#include "platform/winmm/AudioSink.h"
#include "platform/winmm/SoundRecorder.h"
#include "savers/waterfall/WinMain.h"
#include "tests/savers/waterfall/SceneFixture.h"

namespace waterfall_test {
namespace {

using namespace std::chrono_literals;

using saver_test::WaitForFrames;

TEST_F(SceneTest, FullScreenRunDrawsTicksAndEndsOnAKey) {
  // An error end before does not carry over into the exit status of this run.
  const std::vector<AnsiString> failing = {"/p", "abc"};
  ASSERT_EQ(WinMain(failing), 1);
  ResetApplicationForTest();
  const std::size_t boxes = Shown().size();
  const auto sound = winmm::InstallSoundRecorder();
  std::thread host([] {
    if (!WaitForFrames(30)) return;
    std::this_thread::sleep_for(1500ms);  // let the timer tick a while
    HWND window = Application->GetMainForm()->GetHandle();
    user::PostInput(window, WM_KEYDOWN, VK_SPACE, 0);
    user::PostInput(window, WM_CHAR, ' ', 0);
  });
  const std::vector<AnsiString> params = {"/s"};
  const int result = WinMain(params);
  host.join();

  EXPECT_EQ(result, 0);
  EXPECT_EQ(Shown().size(), boxes);
  EXPECT_GE(ddraw::HeadlessFramesPresented(), 30);
  auto* form = dynamic_cast<TForm1*>(Application->GetMainForm());
  ASSERT_NE(form, nullptr);
  EXPECT_GT(form->TimeOfDay, 43200);  // the demo day went on from noon
  EXPECT_EQ(sound->Starts(), 1);
  EXPECT_FALSE(sound->Playing());
  EXPECT_EQ(ddraw::HeadlessMode(), std::nullopt);
  EXPECT_FALSE(user::ScreenSaverRunning());
  EXPECT_EQ(user::CursorCounter(), 0);

  TRegistry key;
  ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Rillmoor", false));
  for (const auto& value : WaterfallSettingValues) EXPECT_TRUE(key.ValueExists(value.Name)) << value.Name;
  winmm::SetAudioSinkFactory(nullptr);
}

}  // namespace
}  // namespace waterfall_test
