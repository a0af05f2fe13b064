// The spin edit through its Qt widgets, with Qt's own input events on the real widgets: the
// line edit takes digits and refuses a letter, each half of the diagonal button steps, a held
// half repeats, the arrow keys step and Enter presses the default button. The button lies
// inside the line edit's frame, clipped to its client area, and the text stops before it.
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include "controls/QMSpin.h"
#include "tests/platform/qt/PeerFixture.h"

namespace {

using peer_test::PeerTest;
using peer_test::WidgetOf;

class SpinEditPeerTest : public PeerTest {
 protected:
  void SetUp() override {
    PeerTest::SetUp();
    user::SetTimerClock([this] { return Now; });
    Spin = new TQmSpinEdit(Form);
    Spin->SetParent(Form);
    Spin->SetBounds(112, 16, 61, 21);
    Ok = new TButton(Form);
    Ok->SetParent(Form);
    Ok->SetBounds(112, 60, 75, 25);
    Ok->SetDefault(true);
    Ok->OnClick = [this](TObject*) { ++OkClicks; };
    Form->Show();
    Settle();
    QApplication::setActiveWindow(WidgetOf(Form->GetHandle()));
    Spin->SetFocus();
    Settle();
    LineEdit = WidgetOf<QLineEdit>(Spin);
    Host = WidgetOf(Spin->GetButtonHost()->GetHandle());
  }
  void Key(int key, const QString& text = {}) {
    peer_test::PressKey(LineEdit, key, text);
    Settle();
  }
  void Button(QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), Host->mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(Host, &event);
    Settle();
  }
  DWORD Now = 1000;
  TQmSpinEdit* Spin = nullptr;
  TButton* Ok = nullptr;
  QLineEdit* LineEdit = nullptr;
  QWidget* Host = nullptr;
  int OkClicks = 0;
};

TEST_F(SpinEditPeerTest, TheButtonLiesInsideTheFrameAndTheTextStopsBeforeIt) {
  ASSERT_NE(LineEdit, nullptr);
  ASSERT_NE(Host, nullptr);
  EXPECT_EQ(LineEdit->geometry(), QRect(112, 16, 61, 21));
  EXPECT_EQ(Host->parentWidget(), LineEdit);
  // Client (39, -1), 18 x 18, inside a border of 2; its top row lies under the frame.
  EXPECT_EQ(Host->geometry(), QRect(41, 1, 18, 18));
  EXPECT_EQ(Host->mask().boundingRect(), QRect(0, 1, 18, 17));
  EXPECT_GE(LineEdit->textMargins().right(), 18 + 2);
  // The face shows: the window frame's diagonal crosses the button.
  Settle();
  const QImage shown = Host->grab().toImage();
  EXPECT_EQ(shown.pixel(9, 8) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(shown.pixel(2, 10) & 0xFFFFFF, 0xC0C0C0u);
}

TEST_F(SpinEditPeerTest, DigitsLetterHalvesHoldArrowsAndEnterThroughTheRealWidgets) {
  Key(Qt::Key_1, "1");
  Key(Qt::Key_2, "2");
  Key(Qt::Key_A, "a");  // refused
  EXPECT_EQ(LineEdit->text(), "12");
  Button(QEvent::MouseButtonPress, {4, 4});
  Button(QEvent::MouseButtonRelease, {4, 4});
  EXPECT_EQ(LineEdit->text(), "13");
  Button(QEvent::MouseButtonPress, {14, 14});
  Button(QEvent::MouseButtonRelease, {14, 14});
  EXPECT_EQ(LineEdit->text(), "12");
  // Held for a second: one step at once, then at 400, 500, ... 1000 ms.
  Button(QEvent::MouseButtonPress, {4, 4});
  for (int ms = 100; ms <= 1000; ms += 100) {
    Now += 100;
    Settle();
  }
  Button(QEvent::MouseButtonRelease, {4, 4});
  EXPECT_EQ(LineEdit->text(), "20");
  Key(Qt::Key_Up);
  Key(Qt::Key_Up);
  Key(Qt::Key_Down);
  EXPECT_EQ(LineEdit->text(), "21");
  Key(Qt::Key_Return, "\r");
  EXPECT_EQ(OkClicks, 1);
  EXPECT_EQ(LineEdit->text(), "21");
  EXPECT_TRUE(LineEdit->hasFocus());
}

}  // namespace
