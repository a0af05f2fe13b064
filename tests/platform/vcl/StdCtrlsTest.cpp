// The edit field, the push button, the up-down control and the timer without a toolkit,
// driven by the messages a peer would post: what the user types, clicks and holds.
#include <gtest/gtest.h>

#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "tests/platform/vcl/ControlInput.h"

namespace {

class StdCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationForTest();
    Application->CreateForm(Form);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 300, 200);
    Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->OnChange = [this](TObject*) { Changes.push_back(Edit->GetText()); };
    Ok = new TButton(Form);
    Ok->SetParent(Form);
    Ok->SetBounds(10, 100, 75, 25);
    Ok->SetDefault(true);
    Ok->OnClick = [this](TObject*) { Clicks.push_back("ok"); };
    Cancel = new TButton(Form);
    Cancel->SetParent(Form);
    Cancel->SetBounds(100, 100, 75, 25);
    Cancel->SetCancel(true);
    Cancel->OnClick = [this](TObject*) { Clicks.push_back("cancel"); };
    Form->Show();
    Edit->SetFocus();
  }
  void TearDown() override { ResetApplicationForTest(); }

  void Post(TWinControl* to, UINT message, WPARAM wParam, LPARAM lParam = 0, user::HeldKeys held = {}) {
    user::PostInput(to->GetHandle(), message, wParam, lParam, held);
    Application->ProcessMessages();
  }
  // What a peer posts for one key that types a character.
  void Type(TWinControl* to, const std::string& text) {
    control_input::Post(to->GetHandle(), text);
    Application->ProcessMessages();
  }
  void Key(TWinControl* to, WORD vk, user::HeldKeys held = {}) { Post(to, WM_KEYDOWN, vk, 0, held); }

  TForm* Form = nullptr;
  TEdit* Edit = nullptr;
  TButton* Ok = nullptr;
  TButton* Cancel = nullptr;
  std::vector<std::string> Changes;
  std::vector<std::string> Clicks;
};

TEST_F(StdCtrlsTest, TypingEditsAtTheCaretAndEachChangeRunsOnChange) {
  Type(Edit, "124");
  Key(Edit, VK_LEFT);
  Type(Edit, "3");
  EXPECT_EQ(Edit->GetText(), "1234");
  EXPECT_TRUE(Edit->GetModified());
  Key(Edit, VK_HOME);
  Key(Edit, VK_RIGHT, {.shift = true});
  Key(Edit, VK_RIGHT, {.shift = true});
  EXPECT_EQ(Edit->GetSelText(), "12");
  Type(Edit, "9");  // replaces the selection
  Key(Edit, VK_DELETE);
  Type(Edit, "\b");
  EXPECT_EQ(Edit->GetText(), "4");
  EXPECT_EQ(Changes, (std::vector<std::string>{"1", "12", "124", "1234", "934", "94", "4"}));
  Edit->SetText("77");
  EXPECT_FALSE(Edit->GetModified());
  EXPECT_EQ(Changes.back(), "77");
  Edit->SetText("77");
  EXPECT_EQ(Changes.size(), 8u) << "the same text again is no change";
}

TEST_F(StdCtrlsTest, KeyPressHandlersFilterAndReadOnlyAndMaxLengthHold) {
  Edit->OnKeyPress = [](TObject*, char& Key) {
    if (Key == 'x') Key = '\0';
  };
  Edit->SetMaxLength(3);
  Type(Edit, "axbcd");
  EXPECT_EQ(Edit->GetText(), "abc");
  Edit->SetReadOnly(true);
  Type(Edit, "\bz");
  Post(Edit, WM_PASTE, 0);
  EXPECT_EQ(Edit->GetText(), "abc");
}

TEST_F(StdCtrlsTest, CutCopyAndPasteGoThroughTheClipboard) {
  Type(Edit, "abcd");
  Edit->SetSelStart(1);
  Edit->SetSelLength(2);
  Type(Edit, "\x18");  // Ctrl+X
  EXPECT_EQ(Edit->GetText(), "ad");
  EXPECT_EQ(Clipboard()->GetAsText(), "bc");
  Key(Edit, VK_END);
  Type(Edit, "\x16");  // Ctrl+V
  EXPECT_EQ(Edit->GetText(), "adbc");
  Clipboard()->SetAsText("ef\r\ngh");
  Post(Edit, WM_PASTE, 0);
  EXPECT_EQ(Edit->GetText(), "adbcef") << "a single line takes the first line";
}

TEST_F(StdCtrlsTest, EnterPressesTheDefaultButtonAndEscapeTheCancelButtonWithoutTyping) {
  Type(Edit, "5\r");
  EXPECT_EQ(Clicks, std::vector<std::string>{"ok"});
  Type(Edit, "\x1b");
  EXPECT_EQ(Clicks, (std::vector<std::string>{"ok", "cancel"}));
  EXPECT_EQ(Edit->GetText(), "5");
  // Enter belongs to a focused button itself.
  Cancel->SetFocus();
  Type(Cancel, "\r");
  EXPECT_EQ(Clicks.back(), "cancel");
}

TEST_F(StdCtrlsTest, AButtonClicksWhenTheButtonIsReleasedOverItOrOnSpace) {
  Post(Ok, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5), {.left = true});
  EXPECT_TRUE(Ok->Focused());
  Post(Ok, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  Post(Ok, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5), {.left = true});
  Post(Ok, WM_LBUTTONUP, 0, MAKELPARAM(90, 5));  // released beside it
  Post(Ok, WM_KEYDOWN, VK_SPACE);
  Post(Ok, WM_KEYUP, VK_SPACE);
  EXPECT_EQ(Clicks, (std::vector<std::string>{"ok", "ok"}));
}

TEST_F(StdCtrlsTest, TheUpDownStepsItsPositionAndTellsItsParent) {
  auto* updown = new TCustomUpDown(Form);
  updown->SetParent(Edit);
  updown->SetBounds(50, 0, 15, 20);
  updown->SetMin(-1);
  updown->SetMax(1);
  std::vector<TUDBtnType> clicks;
  updown->OnClick = [&](TObject*, TUDBtnType Button) { clicks.push_back(Button); };
  Post(updown, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 3), {.left = true});
  Post(updown, WM_LBUTTONUP, 0, MAKELPARAM(5, 3));
  EXPECT_EQ(updown->GetPosition(), 1);
  Post(updown, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 3), {.left = true});  // at the top: no step
  Post(updown, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 15), {.left = true});
  SendMessageA(updown->GetHandle(), UDM_SETPOS, 0, MAKELPARAM(-1, 0));
  EXPECT_EQ(updown->GetPosition(), -1);
  EXPECT_EQ(clicks, (std::vector<TUDBtnType>{btNext, btPrev}));
}

TEST_F(StdCtrlsTest, ATimerTicksOnTheMainThreadOnceEachIntervalAndNeverCatchesUp) {
  DWORD now = 1000;
  user::SetTimerClock([&] { return now; });
  auto* timer = new TTimer(Form);
  int ticks = 0;
  timer->SetInterval(100);
  timer->SetOnTimer([&](TObject*) { ++ticks; });
  const auto at = [&](DWORD t) {
    now = t;
    Application->ProcessMessages();
    return ticks;
  };
  EXPECT_EQ(at(1099), 0);
  EXPECT_EQ(at(1100), 1);
  EXPECT_EQ(at(1150), 1);
  EXPECT_EQ(at(1200), 2);
  EXPECT_EQ(at(1750), 3) << "a late timer comes once";
  EXPECT_EQ(at(1850), 4);
  timer->SetEnabled(false);
  EXPECT_EQ(at(3000), 4);
  timer->SetEnabled(true);
  timer->SetInterval(400);
  EXPECT_EQ(at(3399), 4);
  EXPECT_EQ(at(3400), 5);
}

}  // namespace
