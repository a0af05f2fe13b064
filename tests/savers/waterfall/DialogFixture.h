// The setup dialog of a configure run, made as the entry makes it on the settings a test
// stores, and driven through its controls with the input a peer posts.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user/ShellApi.h"
#include "platform/vcl/Dialogs.h"
#include "savers/waterfall/Unit2.h"
#include "tests/savers/common/DialogInput.h"
#include "tests/savers/waterfall/SceneFixture.h"
#include "tests/savers/waterfall/StoredSettings.h"

namespace waterfall_test {

class DialogTest : public SceneTest, public saver_test::DialogInput {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    Messages = std::make_unique<vcl::ScopedMessageDialogSink>();
    Links = std::make_unique<user::ScopedShellExecuteSink>();
  }
  void TearDown() override {
    ResetApplicationForTest();
    Form2 = nullptr;
    Links.reset();
    Messages.reset();
    SceneTest::TearDown();
  }

 public:
  // The dialog on the settings stored (none: a first run), shown.
  static TForm2* Open() {
    Application->CreateForm(Form2);
    Form2->Show();
    return Form2;
  }
  // On the settings of Plain() as `Edit` changes them.
  template <class TEdit>
  static TForm2* OpenWith(TEdit Edit) {
    TWaterfallSettings s = Plain();
    Edit(s);
    Store(s);
    return Open();
  }

 protected:
  std::string FileBytes() const {
    std::ifstream in(Config / "quillmont" / "registry.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  // The texts of the message dialogs shown, in order.
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const user::MessageDialog& d : Messages->Calls) texts.push_back(d.text);
    return texts;
  }

  std::unique_ptr<vcl::ScopedMessageDialogSink> Messages;
  std::unique_ptr<user::ScopedShellExecuteSink> Links;
};

}  // namespace waterfall_test
