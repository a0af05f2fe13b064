// What every in-process test of a screensaver program starts from: a fresh settings folder,
// display driver, headless display, desktop, clock and application per test, message boxes
// recorded; and a click as a control's peer posts it.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/Driver.h"
#include "platform/ddraw/HeadlessDevice.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/user/UserPeer.h"
#include "platform/vcl/Forms.h"
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
