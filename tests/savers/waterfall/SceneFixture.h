// Shared set-up for the waterfall program's tests: a fresh settings folder, driver, desktop,
// clock and application per test, message boxes recorded, and the scene form made on request.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "components/SetReg.h"
#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/Driver.h"
#include "platform/ddraw/HeadlessDevice.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/user/UserPeer.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"
#include "savers/waterfall/Unit1.h"
#include "savers/waterfall/WaterfallSettings.h"

namespace waterfall_test {

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

class SceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/rillmoor-test-XXXXXX";
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

  // The settings key as a run left it, every value of `Settings` in it.
  static void Store(const TWaterfallSettings& Settings) {
    TSetReg store(nullptr);
    store.SetCompanyName("Quillmont");
    store.SetProductName("Rillmoor");
    WriteWaterfallSettings(store, Settings);
  }

  // Settings of a second run on the test desktop, with nothing that tints or sounds.
  static TWaterfallSettings Plain() {
    TWaterfallSettings s = FirstRunSettings({1024, 768, 32});
    s.FlagDemoDaytime = false;
    s.flag_PlaySound = false;
    return s;
  }

  // The scene of a second run with the settings of Plain() as `Edit` changes them.
  template <class TEdit>
  TForm1* SceneWith(TEdit Edit) {
    TWaterfallSettings s = Plain();
    Edit(s);
    Store(s);
    return CreateScene();
  }

  // Creates the scene form as the full-screen run does; `Still` stops its timer, so a test
  // drives the ticks itself.
  TForm1* CreateScene(bool Still = true) {
    TForm1* form = nullptr;
    Application->CreateForm(form);
    if (Still) form->DDtimer1->SetEnabled(false);
    return form;
  }

  const std::vector<user::MessageBoxCall>& Shown() const { return Boxes->Calls(); }

  std::filesystem::path Config;
  std::unique_ptr<user::ScopedMessageBoxSink> Boxes;
};

}  // namespace waterfall_test
