// The edit field and the push button through their Qt widgets: keys typed into the real line
// edit reach the class library, which decides what the widget shows; a click on the real
// button runs OnClick; Tab moves the focus the class library's way.
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include "platform/vcl/StdCtrls.h"
#include "tests/platform/qt/PeerFixture.h"

namespace {

using peer_test::PeerTest;
using peer_test::PressKey;
using peer_test::WidgetOf;

class StdCtrlsPeerTest : public PeerTest {
 protected:
  void SetUp() override {
    PeerTest::SetUp();
    Edit = new TEdit(Form);
    Edit->SetParent(Form);
    Edit->SetBounds(10, 10, 80, 21);
    Edit->OnKeyPress = [](TObject*, char& Key) {
      if (Key == 'x') Key = '\0';
    };
    Button = new TButton(Form);
    Button->SetParent(Form);
    Button->SetBounds(10, 50, 75, 25);
    Button->SetCaption("OK");
    Button->OnClick = [this](TObject*) { ++Clicks; };
    Form->Show();
    Settle();
    LineEdit = WidgetOf<QLineEdit>(Edit);
    Push = WidgetOf<QPushButton>(Button);
    ASSERT_NE(LineEdit, nullptr);
    ASSERT_NE(Push, nullptr);
    QApplication::setActiveWindow(WidgetOf(Form->GetHandle()));
  }
  TEdit* Edit = nullptr;
  TButton* Button = nullptr;
  QLineEdit* LineEdit = nullptr;
  QPushButton* Push = nullptr;
  int Clicks = 0;
};

TEST_F(StdCtrlsPeerTest, KeysTypedIntoTheLineEditAreTheClassLibrarysToKeepOrDrop) {
  EXPECT_EQ(LineEdit->geometry(), QRect(10, 10, 80, 21));
  EXPECT_TRUE(LineEdit->hasFrame());
  PressKey(LineEdit, Qt::Key_1, "1");
  PressKey(LineEdit, Qt::Key_X, "x");
  PressKey(LineEdit, Qt::Key_2, "2");
  Settle();
  EXPECT_EQ(Edit->GetText(), "12");
  EXPECT_EQ(LineEdit->text(), "12");
  EXPECT_EQ(LineEdit->cursorPosition(), 2);
  // The user's caret goes back to the class library: typing lands where the user put it.
  LineEdit->setCursorPosition(1);
  Settle();
  EXPECT_EQ(Edit->GetSelStart(), 1);
  PressKey(LineEdit, Qt::Key_5, "5");
  Settle();
  EXPECT_EQ(LineEdit->text(), "152");
}

TEST_F(StdCtrlsPeerTest, AClickOnTheButtonRunsOnClickOnceAndTabMovesTheFocus) {
  const QPointF inside(20, 10);
  QMouseEvent press(QEvent::MouseButtonPress, inside, Push->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, inside, Push->mapToGlobal(inside), Qt::LeftButton, Qt::NoButton,
                      Qt::NoModifier);
  QCoreApplication::sendEvent(Push, &press);
  QCoreApplication::sendEvent(Push, &release);
  Settle();
  EXPECT_EQ(Clicks, 1);
  EXPECT_EQ(Form->GetActiveControl(), Button);
  PressKey(Push, Qt::Key_Tab);
  Settle();
  EXPECT_EQ(Form->GetActiveControl(), Edit);
  EXPECT_TRUE(LineEdit->hasFocus());
}

}  // namespace
