// The fountain program through its entry, in-process on the headless display: a whole run that
// draws and ticks until a key ends it, one that cannot read its settings, the setup dialog with
// its title, and the still preview.
#include <chrono>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

#include "platform/registry/Registry.h"
#include "platform/user/WinUser.h"
#include "platform/winmm/AudioSink.h"
#include "platform/winmm/SoundRecorder.h"
#include "savers/fountain/WinMain.h"
#include "tests/savers/fountain/FountainFixture.h"
#include "tests/Watchdog.h"

namespace fountain_test {
namespace {

using namespace std::chrono_literals;

class EntryTest : public FountainTest {
 protected:
  void TearDown() override {
    winmm::SetAudioSinkFactory(nullptr);
    FountainTest::TearDown();
  }
  static int Run(std::vector<AnsiString> Params) { return WinMain(Params); }
};

TEST_F(EntryTest, FullScreenRunDrawsTicksAndEndsOnAKey) {
  const auto sound = winmm::InstallSoundRecorder();
  std::vector<std::uint32_t> water[2];
  std::thread host([&] {
    if (!saver_test::WaitForFrames(30)) return;
    for (auto& seen : water) {  // the water's rectangle, ticks apart
      std::this_thread::sleep_for(300ms);
      const ddraw::HeadlessFrame frame = ddraw::HeadlessLastFrame();
      for (int y = 642; y < 766; ++y)
        for (int x = 189; x < 695; ++x) seen.push_back(frame.At(x, y));
    }
    HWND window = Application->GetMainForm()->GetHandle();
    user::PostInput(window, WM_KEYDOWN, VK_SPACE, 0);
    user::PostInput(window, WM_CHAR, ' ', 0);
  });
  const int result = Run({"/s"});
  host.join();

  EXPECT_EQ(result, 0);
  EXPECT_TRUE(Shown().empty());
  EXPECT_GE(ddraw::HeadlessFramesPresented(), 30);
  auto* form = dynamic_cast<TForm1*>(Application->GetMainForm());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(Application->GetComponentCount(), 1);  // the scene form alone
  EXPECT_NE(water[0], water[1]);  // the ticks moved the water on
  EXPECT_EQ(sound->Starts(), 1);
  EXPECT_EQ(sound->Format(), (winmm::PcmFormat{22050, 2, 8}));
  EXPECT_FALSE(sound->Playing());
  EXPECT_EQ(ddraw::HeadlessMode(), std::nullopt);
  EXPECT_FALSE(user::ScreenSaverRunning());
  EXPECT_EQ(user::CursorCounter(), 0);
  TRegistry key;
  ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Sorrelin", false));
  for (const auto& value : SaverSettingValues) EXPECT_TRUE(key.ValueExists(value.Name)) << value.Name;
}

TEST_F(EntryTest, SetupArgumentOpensTheDialogWithTheProgramsTitle) {
  bool pressed = false;
  Application->OnIdle = [&](TObject*, bool&) {
    if (!std::exchange(pressed, true)) saver_test::ClickControl(Form2->Button1Cancel);
  };
  EXPECT_EQ(Run({"/c"}), 0);
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Application->GetTitle(), "Vellanor Sunset Screensaver ");
  EXPECT_EQ(Application->GetMainForm(), Form2);
}

TEST_F(EntryTest, PreviewDrawsTheFountainsPictureIntoTheHostWindow) {
  user::WindowState host;
  host.visible = true;
  const HWND window = saver_test::PreviewHost(host);
  EXPECT_EQ(Run({"/p", std::to_string(reinterpret_cast<std::uintptr_t>(window))}), 0);
  saver_test::ExpectPreviewIn(window);
}

// The store's box is the run's only one: the run ends at once, with an error, without a frame.
TEST_F(EntryTest, ASettingThatCannotBeReadGivesOneBoxAndEndsTheRun) {
  Store(Plain());
  TRegistry key;
  ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Sorrelin", false));
  key.DeleteValue("clockRad");
  const Watchdog watchdog(std::chrono::seconds(60), "a run that could not read its settings");
  EXPECT_EQ(Run({"/s"}), 1);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Failed to get data for 'clockRad'");
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);
}

}  // namespace
}  // namespace fountain_test
