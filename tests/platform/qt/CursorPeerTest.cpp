// The screen's cursor shown through Qt: standard cursors as Qt's own shapes, the program's
// cursors as their pictures with their hot spots, hidden while the cursor counter says so.
#include "PeerFixture.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdlib>

#include "platform/qt/QtPlatform.h"
#include "platform/user/IconFile.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Forms.h"
#include "tests/support/IconFiles.h"

namespace {

class CursorPeer : public PeerTest {
 protected:
  void TearDown() override {
    Screen->SetCursor(crDefault);
    PeerTest::TearDown();
  }
  static const QCursor* Shown() { return QGuiApplication::overrideCursor(); }
};

TEST_F(CursorPeer, StandardAndProgramCursorsAndHiding) {
  EXPECT_EQ(Shown(), nullptr);
  Screen->SetCursor(crHourGlass);
  ASSERT_NE(Shown(), nullptr);
  EXPECT_EQ(Shown()->shape(), Qt::WaitCursor);
  Screen->SetCursor(crHandPoint);
  EXPECT_EQ(Shown()->shape(), Qt::PointingHandCursor);

  static const auto file = iconfiles::File(2, {{iconfiles::Square(32, 'K'), 1, {6, 16}}});
  Screen->SetCursors(14000, user::CreateIconFromFile(file, 0, 0));
  Screen->SetCursor(14000);
  EXPECT_EQ(Shown()->shape(), Qt::BitmapCursor);
  EXPECT_EQ(Shown()->hotSpot(), QPoint(6, 16));
  const QImage picture = Shown()->pixmap().toImage();
  EXPECT_EQ(picture.size(), QSize(32, 32));
  EXPECT_EQ(qAlpha(picture.pixel(0, 0)), 0);
  EXPECT_EQ(picture.pixel(5, 5), qRgba(0, 0, 0, 255));

  ShowCursor(FALSE);
  EXPECT_EQ(Shown()->shape(), Qt::BlankCursor);
  ShowCursor(TRUE);
  EXPECT_EQ(Shown()->shape(), Qt::BitmapCursor);  // the screen's cursor comes back
  Screen->SetCursor(crDefault);
  EXPECT_EQ(Shown(), nullptr);
  Screen->SetCursors(14000, nullptr);
}

}  // namespace
