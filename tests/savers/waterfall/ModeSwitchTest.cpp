// The entry's mode switch as the host uses it: the first argument's letter after its switch
// character, the setup stand-in, the preview into a window, and the password change.
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>

#include "platform/registry/Registry.h"
#include "platform/user/WinUser.h"
#include "savers/common/ScreenSaver.h"
#include "savers/waterfall/Unit2.h"
#include "savers/waterfall/WinMain.h"
#include "tests/savers/waterfall/SceneFixture.h"
#include "tests/Watchdog.h"

namespace waterfall_test {
namespace {

struct ModeCase {
  const char* Param1;
  TSaverMode Mode;
};

class ModeSwitch : public ::testing::TestWithParam<ModeCase> {};

TEST_P(ModeSwitch, FirstArgumentSelectsTheMode) { EXPECT_EQ(SaverMode(GetParam().Param1), GetParam().Mode); }

INSTANTIATE_TEST_SUITE_P(HostArguments, ModeSwitch,
                         ::testing::Values(ModeCase{"", TSaverMode::FullScreen}, ModeCase{"/s", TSaverMode::FullScreen},
                                           ModeCase{"-S", TSaverMode::FullScreen}, ModeCase{"xs", TSaverMode::FullScreen},
                                           ModeCase{"s", TSaverMode::FullScreen}, ModeCase{"/", TSaverMode::FullScreen},
                                           ModeCase{"a", TSaverMode::FullScreen}, ModeCase{"p", TSaverMode::FullScreen},
                                           ModeCase{"/q", TSaverMode::FullScreen}, ModeCase{"/c", TSaverMode::Setup},
                                           ModeCase{"/c:4711", TSaverMode::Setup}, ModeCase{"-C", TSaverMode::Setup},
                                           ModeCase{"/p", TSaverMode::Preview}, ModeCase{"/P", TSaverMode::Preview},
                                           ModeCase{"/a", TSaverMode::ChangePassword},
                                           ModeCase{"-a", TSaverMode::ChangePassword}));

// What the fake MPR.DLL was called with.
struct PasswordChange {
  int Calls = 0;
  std::string Provider;
  HWND Parent = nullptr;
  DWORD Reserved1 = 1;
  DWORD Reserved2 = 1;
};
PasswordChange changed;

DWORD FakePwdChangePasswordA(LPCSTR Provider, HWND Parent, DWORD Reserved1, DWORD Reserved2) {
  changed = {changed.Calls + 1, Provider, Parent, Reserved1, Reserved2};
  return 0;
}

class EntryTest : public SceneTest {
 protected:
  void TearDown() override {
    win32::UnregisterModule("MPR.DLL");
    changed = {};
    SceneTest::TearDown();
  }
  static int Run(std::vector<AnsiString> Params) { return WinMain(Params); }
};

// A full-screen run is told apart by its display: with the mode refused it ends at its box.
TEST_F(EntryTest, FullScreenArgumentsRunTheScene) {
  for (const char* arg : {"", "/s", "-S", "xs", "s", "/", "a", "p"}) {
    SCOPED_TRACE(arg);
    ddraw::FailCall(ddraw::Op::SetDisplayMode, 1, DDERR_INVALIDMODE);
    EXPECT_EQ(Run(*arg ? std::vector<AnsiString>{arg} : std::vector<AnsiString>{}), 1);  // an error end
    ASSERT_FALSE(Shown().empty());
    EXPECT_EQ(Shown().back().caption, "ERROR");
    EXPECT_EQ(Shown().back().text, "Error SetDisplayMode");
    ResetApplicationForTest();
    ddraw::ResetDriver();
  }
  EXPECT_EQ(Shown().size(), 8u);
}

// The dialog is the only form; its "Cancel", pressed once the loop runs, ends the program.
TEST_F(EntryTest, SetupArgumentOpensTheDialogWithTheDialogTitle) {
  bool pressed = false;
  Application->OnIdle = [&](TObject*, bool&) {
    if (!std::exchange(pressed, true)) ClickControl(Form2->Button1Cancel);
  };
  EXPECT_EQ(Run({"/c:4711"}), 0);
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(Shown().empty());
  EXPECT_EQ(Application->GetTitle(), "Lumivelle Waterfall Screensaver ");
  EXPECT_EQ(Application->GetMainForm(), Form2);
  EXPECT_EQ(Application->GetComponentCount(), 1);
}

TEST_F(EntryTest, TitleIsSetOnlyForTheSetupDialog) {
  ddraw::FailCall(ddraw::Op::SetDisplayMode, 1, DDERR_INVALIDMODE);
  Run({"/s"});
  EXPECT_NE(Application->GetTitle(), "Lumivelle Waterfall Screensaver ");
}

TEST_F(EntryTest, PreviewWithAHandleThatIsNoNumberShowsTheConversionError) {
  EXPECT_EQ(Run({"/p", "abc"}), 1);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "'abc' is not a valid integer value");
  EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);
}

TEST_F(EntryTest, PreviewDrawsThePictureIntoTheHostWindow) {
  user::WindowState host;
  host.visible = true;
  const HWND window = saver_test::PreviewHost(host);
  EXPECT_EQ(Run({"/p", std::to_string(reinterpret_cast<std::uintptr_t>(window))}), 0);
  EXPECT_TRUE(Shown().empty());
  saver_test::ExpectPreviewIn(window);
}

// The host shows its preview window a moment after starting the program.
TEST_F(EntryTest, PreviewWaitsForTheHostWindowToBecomeVisible) {
  user::WindowState host;
  const HWND window = saver_test::PreviewHost(host);
  std::thread shows([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    host.visible = true;
    user::UpdateWindow(window, host);
  });
  EXPECT_EQ(Run({"/p", std::to_string(reinterpret_cast<std::uintptr_t>(window))}), 0);
  shows.join();
  saver_test::ExpectPreviewIn(window);
}

// The host learns from the exit status and a line on standard error; there is no window for a box.
TEST_F(EntryTest, PreviewIntoAWindowThatIsNotThereSaysSoAndFails) {
  for (const char* handle : {"4711", "0", "-1", "99999999"}) {
    SCOPED_TRACE(handle);
    testing::internal::CaptureStderr();
    EXPECT_EQ(Run({"/p", handle}), 1);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(program_invocation_short_name) + ": there is no window " + handle + " to show the preview in\n");
  }
  EXPECT_TRUE(Shown().empty());
}

// The host closes its preview window before it was ever shown.
TEST_F(EntryTest, PreviewWhoseWindowGoesBeforeItIsShownSaysSoAndFails) {
  user::WindowState host;
  host.width = 200;
  host.height = 150;
  const HWND window = user::CreateWindowRecord(host, [](const MSG& Message) -> LRESULT {
    if (Message.message == WM_CLOSE) DestroyWindow(Message.hwnd);
    return 0;
  });
  PostMessageA(window, WM_CLOSE, 0, 0);  // handled while the preview waits
  const std::string handle = std::to_string(reinterpret_cast<std::uintptr_t>(window));
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run({"/p", handle}), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            std::string(program_invocation_short_name) + ": there is no window " + handle + " to show the preview in\n");
  EXPECT_FALSE(IsWindow(window));
}

// Reading the settings fails before the display opens: the store's box is the run's only one,
// and the run ends with an error at once instead of drawing frames on no display.
TEST_F(EntryTest, ASettingThatCannotBeReadGivesOneBoxAndEndsTheRun) {
  for (const bool missing : {true, false}) {
    SCOPED_TRACE(missing ? "missing" : "of another type");
    Store(Plain());
    TRegistry key;
    ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Rillmoor", false));
    if (missing)
      key.DeleteValue("SetSpeed");
    else
      key.WriteString("SetSpeed", "fast");
    const std::size_t before = Shown().size();
    const Watchdog watchdog(std::chrono::seconds(60), "a run that could not read its settings");
    EXPECT_EQ(Run({"/s"}), 1);
    ASSERT_EQ(Shown().size(), before + 1);
    EXPECT_EQ(Shown().back().text, missing ? "Failed to get data for 'SetSpeed'" : "Invalid data type for 'SetSpeed'");
    EXPECT_EQ(ddraw::HeadlessFramesPresented(), 0);
    ResetApplicationForTest();
  }
}

TEST_F(EntryTest, PasswordChangeCallsTheProviderWithTheParentWindow) {
  win32::RegisterModule("MPR.DLL", {{"PwdChangePasswordA", reinterpret_cast<FARPROC>(&FakePwdChangePasswordA)}});
  EXPECT_EQ(Run({"/a", "0"}), 0);
  EXPECT_EQ(changed.Calls, 1);
  EXPECT_EQ(changed.Provider, "SCRSAVE");
  EXPECT_EQ(changed.Parent, nullptr);
  EXPECT_EQ(changed.Reserved1, 0u);
  EXPECT_EQ(changed.Reserved2, 0u);
  EXPECT_EQ(Run({"-a", "1234"}), 0);
  EXPECT_EQ(changed.Calls, 2);
  EXPECT_EQ(changed.Parent, reinterpret_cast<HWND>(std::uintptr_t{1234}));
  EXPECT_TRUE(Shown().empty());
}

// A preview or a password change that did its work exits with 0, as a run ended by a key does
// (EndToEndTest); an unreadable setting ends the run with an error.
TEST_F(EntryTest, OnlyAnEndAfterAnErrorExitsNonZero) {
  Store(Plain());
  TRegistry key;  // a stored value that cannot be read
  ASSERT_TRUE(key.OpenKey("\\SOFTWARE\\Quillmont\\Rillmoor", false));
  key.WriteString("SetSpeed", "fast");
  EXPECT_EQ(Run({"/s"}), 1);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Invalid data type for 'SetSpeed'");
  ResetApplicationForTest();
  key.WriteInteger("SetSpeed", 1);

  win32::RegisterModule("MPR.DLL", {{"PwdChangePasswordA", reinterpret_cast<FARPROC>(&FakePwdChangePasswordA)}});
  EXPECT_EQ(Run({"/a", "0"}), 0);
  user::WindowState host;
  host.visible = true;
  EXPECT_EQ(Run({"/p", std::to_string(reinterpret_cast<std::uintptr_t>(saver_test::PreviewHost(host)))}), 0);
  EXPECT_EQ(Run({"/p", "4711"}), 1);  // no such window: nothing to draw into
}

TEST_F(EntryTest, PasswordChangeWithoutTheProviderSaysSo) {
  EXPECT_EQ(Run({"/a", "1234"}), 1);
  win32::RegisterModule("MPR.DLL", {});
  std::vector<bool> loadedDuringBox;
  Boxes->OnShow = [&](const user::MessageBoxCall&) { loadedDuringBox.push_back(GetModuleHandleA("MPR.DLL") != nullptr); };
  EXPECT_EQ(Run({"/a", "1234"}), 1);
  EXPECT_EQ(loadedDuringBox, std::vector<bool>{false});  // freed before the box
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].text, "MPR.DLL not found: cannot change password.");
  EXPECT_EQ(Shown()[1].text, "PwdChangeProc not found: cannot change password");
  for (const auto& box : Shown()) {
    EXPECT_EQ(box.caption, "Screen saver");
    EXPECT_EQ(box.owner, reinterpret_cast<HWND>(std::uintptr_t{1234}));
  }
  EXPECT_EQ(changed.Calls, 0);
}

}  // namespace
}  // namespace waterfall_test
