// The fountain program's tests start from the shared screensaver fixture and make the scene
// form or the setup dialog on settings a test stores.
#pragma once

#include <memory>
#include <variant>

#include "components/SetReg.h"
#include "savers/fountain/FountainSettings.h"
#include "savers/fountain/Unit1.h"
#include "savers/fountain/Unit2.h"
#include "tests/savers/common/SaverFixture.h"

namespace fountain_test {

class FountainTest : public saver_test::SaverTest {
 protected:
  void TearDown() override {
    ResetApplicationForTest();
    Form2 = nullptr;
    SaverTest::TearDown();
  }

  static std::unique_ptr<TSetReg> Key() {
    auto store = std::make_unique<TSetReg>(nullptr);
    store->SetCompanyName("Quillmont");
    store->SetProductName("Sorrelin");
    return store;
  }
  // The settings key as a run left it, every value of `Settings` in it.
  static void Store(const TSaverSettings& Settings) { WriteFountainSettings(*Key(), Settings); }
  static TSaverSettings Stored() {
    const auto store = Key();
    TSaverSettings s;
    for (const auto& value : SaverSettingValues)
      std::visit([&](auto Field) { EXPECT_TRUE(store->Read(value.Name, &(s.*Field))) << value.Name; }, value.Field);
    return s;
  }
  static void ExpectSameSettings(const TSaverSettings& Actual, const TSaverSettings& Expected) {
    for (const auto& value : SaverSettingValues)
      std::visit([&](auto Field) { EXPECT_EQ(Actual.*Field, Expected.*Field) << value.Name; }, value.Field);
  }

  // Settings of a second run on the test desktop, without sound.
  static TSaverSettings Plain() {
    TSaverSettings s = FountainFirstRunSettings({1024, 768, 32});
    s.flag_PlaySound = false;
    return s;
  }
  template <class TEdit>
  static TSaverSettings PlainWith(TEdit Edit) {
    TSaverSettings s = Plain();
    Edit(s);
    return s;
  }

  // Creates the scene form as the full-screen run does; `Still` stops its timer, so a test
  // drives the ticks itself.
  static TForm1* CreateScene(bool Still = true) {
    TForm1* form = nullptr;
    Application->CreateForm(form);
    if (Still) form->DDtimer1->SetEnabled(false);
    return form;
  }
  template <class TEdit>
  static TForm1* SceneWith(TEdit Edit) {
    Store(PlainWith(Edit));
    return CreateScene();
  }

  // The setup dialog as the configure mode makes it, shown.
  static TForm2* OpenDialog() {
    Application->CreateForm(Form2);
    Form2->Show();
    return Form2;
  }
};

}  // namespace fountain_test
