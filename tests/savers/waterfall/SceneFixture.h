// The waterfall program's tests start from the shared screensaver fixture and make the scene form
// on settings a test stores.
#pragma once

#include "components/SetReg.h"
#include "savers/waterfall/Unit1.h"
#include "savers/waterfall/WaterfallSettings.h"
#include "tests/savers/common/SaverFixture.h"

namespace waterfall_test {

using saver_test::ClickControl;
using saver_test::Midsummer;

class SceneTest : public saver_test::SaverTest {
 protected:
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
};

}  // namespace waterfall_test
