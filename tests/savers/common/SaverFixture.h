// What every in-process test of a screensaver program starts from: a fresh settings folder,
// display driver, headless display, desktop, clock and application per test, message boxes
// recorded; a click as a control's peer posts it, a fake password provider, the wait for a run's
// frames, a frame step without the display, and the host's preview window.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/Driver.h"
#include "platform/ddraw/HeadlessDevice.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/user/WinUser.h"
#include "platform/user/UserPeer.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/win32/Kernel32.h"

namespace saver_test {

// 21 June 2003, 10:00 local time.
inline SYSTEMTIME Midsummer() {
  SYSTEMTIME t{};
  t.wYear = 2003;
  t.wMonth = 6;
  t.wDay = 21;
  t.wHour = 10;
  return t;
}

// A click of the left button in the middle of a control, as the peer posts it; the message
// loop delivers it.
inline void ClickControl(TControl* Control) {
  TWinControl* window = dynamic_cast<TWinControl*>(Control);
  int x = Control->GetWidth() / 2, y = Control->GetHeight() / 2;
  if (!window) {  // a control without a window gets its clicks through its parent's
    window = Control->GetParent();
    x += Control->GetLeft();
    y += Control->GetTop();
  }
  user::PostInput(window->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y), {.left = true});
  user::PostInput(window->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

// Waits (without timing anything) until a run has shown `Frames` frames; false after a minute.
inline bool WaitForFrames(long Frames) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (ddraw::HeadlessFramesPresented() < Frames) {
    if (std::chrono::steady_clock::now() > giveUp) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

// A visible window of the host's, 200 x 150 in a colour of its own, for the preview to draw in.
inline HWND PreviewHost(user::WindowState& Host) {
  Host.width = 200;
  Host.height = 150;
  Host.color = RGB(1, 2, 3);
  return user::CreateWindowRecord(Host, nullptr);
}

// The program's preview picture, 154 x 116, drawn once at the window's top left, unscaled.
inline void ExpectPreviewIn(HWND Window) {
  TBitmap picture;
  picture.LoadFromResourceName(GetModuleHandleA(nullptr), "PREV_BITMAP");
  ASSERT_EQ(picture.GetWidth(), 154);
  ASSERT_EQ(picture.GetHeight(), 116);
  HDC dc = GetDC(Window);
  for (POINT p : {POINT{0, 0}, POINT{77, 58}, POINT{153, 115}})
    EXPECT_EQ(GetPixel(dc, p.x, p.y), static_cast<COLORREF>(picture.GetCanvas()->GetPixels(p.x, p.y)));
  EXPECT_EQ(GetPixel(dc, 154, 0), RGB(1, 2, 3));
  ReleaseDC(Window, dc);
}

// Reports a platform that asks the screensaver for the password, with a password provider
// whose answer a test sets.
class FakePasswordProvider {
 public:
  FakePasswordProvider();
  ~FakePasswordProvider();
  FakePasswordProvider(const FakePasswordProvider&) = delete;
  FakePasswordProvider& operator=(const FakePasswordProvider&) = delete;
  static inline BOOL Answer = TRUE;
  static inline int Asked = 0;
};

class SaverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/saver-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    Config = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    ResetApplicationForTest();
    ddraw::ResetDriver();
    ddraw::ResetHeadlessDisplay();
    gdi::SetDesktopMode({1024, 768, 32});
    win32::SetLocalTimeSource(Midsummer());
    win32::ResetVersionInfo();
    Boxes = std::make_unique<user::ScopedMessageBoxSink>();
  }

  void TearDown() override {
    ResetApplicationForTest();
    Boxes.reset();
    ddraw::ResetDriver();
    gdi::SetDesktopMode({});
    win32::ResetLocalTimeSource();
    win32::ResetVersionInfo();
    std::filesystem::remove_all(Config);
  }

  const std::vector<user::MessageBoxCall>& Shown() const { return Boxes->Calls(); }

  // A frame step of a scene whose display is not open: no frame, no "Error FpDD==NULL", and
  // the loop waits for input.
  template <class TScene>
  void ExpectNoFrameWithoutTheDisplay(TScene* Scene) {
    const long frames = ddraw::HeadlessFramesPresented();
    Scene->DDmain1->SetEnabled(false);
    bool done = false;
    Scene->RenderFrame(Scene, done);
    EXPECT_TRUE(done);
    EXPECT_TRUE(Shown().empty());
    EXPECT_EQ(ddraw::HeadlessFramesPresented(), frames);
  }

  std::filesystem::path Config;
  std::unique_ptr<user::ScopedMessageBoxSink> Boxes;
};

inline BOOL FakeVerifyScreenSavePwd(HWND) {
  ++FakePasswordProvider::Asked;
  return FakePasswordProvider::Answer;
}

inline FakePasswordProvider::FakePasswordProvider() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  version.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  win32::SetVersionInfo(version);
  win32::RegisterModule("PASSWORD.CPL", {{"VerifyScreenSavePwd", reinterpret_cast<FARPROC>(&FakeVerifyScreenSavePwd)}});
  Answer = TRUE;
  Asked = 0;
}

inline FakePasswordProvider::~FakePasswordProvider() {
  win32::UnregisterModule("PASSWORD.CPL");
  win32::ResetVersionInfo();
}

}  // namespace saver_test
