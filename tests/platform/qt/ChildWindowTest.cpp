// Child windows through the Qt peers: each is a widget inside its parent's at its place, shows
// what the class library paints, and reports the mouse to its own control.
#include <QMouseEvent>

#include "tests/platform/qt/PeerFixture.h"

namespace {

using peer_test::PeerTest;
using peer_test::WidgetOf;

class TSwatch : public TCustomControl {
 public:
  explicit TSwatch(TComponent* AOwner) : TCustomControl(AOwner) {
    SetColor(clRed);
    OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int X, int Y) { Down = {X, Y}; };
  }
  POINT Down{-1, -1};
};

TEST_F(PeerTest, AChildWindowIsAWidgetInsideItsParentShowingWhatItPaints) {
  auto* swatch = new TSwatch(Form);
  swatch->SetParent(Form);
  swatch->SetBounds(30, 40, 20, 10);
  swatch->SetCursor(crHandPoint);
  Form->Show();
  Form->Repaint();
  swatch->Repaint();
  Settle();
  QWidget* form = WidgetOf(Form->GetHandle());
  QWidget* child = WidgetOf(swatch->GetHandle());
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->parentWidget(), form);
  EXPECT_EQ(child->geometry(), QRect(30, 40, 20, 10));
  EXPECT_EQ(child->cursor().shape(), Qt::PointingHandCursor);
  const QImage shown = form->grab().toImage();
  EXPECT_EQ(shown.pixel(35, 45) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(shown.pixel(10, 10) & 0xFFFFFF, static_cast<unsigned>(GetSysColor(COLOR_BTNFACE)));

  QMouseEvent press(QEvent::MouseButtonPress, QPointF(4, 6), child->mapToGlobal(QPointF(4, 6)), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(child, &press);
  Settle();
  EXPECT_EQ(swatch->Down.x, 4);
  EXPECT_EQ(swatch->Down.y, 6);

  swatch->Hide();
  Settle();
  EXPECT_FALSE(child->isVisible());
}

}  // namespace
