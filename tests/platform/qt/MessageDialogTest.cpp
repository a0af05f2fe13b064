// The message dialog's Qt peer: the user sees the caption, the text (in any language) and the
// buttons, and the button pressed is the dialog's result; where a message box opens.
#include "PeerFixture.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "platform/qt/QtPlatform.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"

namespace {

using peer_test::PeerTest;

class MessageDialogPeer : public PeerTest {
 protected:
  // Presses the button with `caption` in the dialog that is about to open, noting what it showed.
  void PressWhenShown(const QString& caption) {
    QTimer::singleShot(0, [this, caption] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      shownCaption = box->windowTitle();
      shownText = box->text();
      for (QAbstractButton* b : box->buttons()) {
        shownButtons << b->text();
        if (b->text() == caption) b->click();
      }
    });
  }
  QString shownCaption, shownText;
  QStringList shownButtons;
};

TEST_F(MessageDialogPeer, ShowsTheDialogAndAnswersTheButtonPressed) {
  PressWhenShown("&No");
  EXPECT_EQ(MessageDlg("Функция не реализована", mtConfirmation, {mbYes, mbNo, mbCancel}, 0), mrNo);
  EXPECT_EQ(shownCaption, "Confirm");
  EXPECT_EQ(shownText, QString::fromUtf8("Функция не реализована"));
  EXPECT_EQ(shownButtons.size(), 3);
  EXPECT_TRUE(shownButtons.contains("Cancel"));
}

TEST_F(MessageDialogPeer, EightBitTextIsShownAsItsCharacters) {
  PressWhenShown("OK");
  EXPECT_EQ(MessageDlg("Caf\xE9", mtInformation, {mbOK}, 0), mrOk);
  EXPECT_EQ(shownText, QString::fromLatin1("Caf\xE9"));
}

// A box opens in the middle of its owner; an owner not shown yet (a form still being created)
// gives no place, and the box opens in the middle of the screen instead of in its corner. So
// do the message box and the message dialog.
TEST_F(MessageDialogPeer, AMessageBoxIsCentredOnItsShownOwnerOrElseOnTheScreen) {
  Form->SetLeft(20);
  Form->SetTop(30);
  const std::function<void(HWND)> boxes[] = {
      [](HWND owner) { MessageBoxA(owner, "Failed to set data for 'flag_clock'", "Screen saver", MB_OK); },
      [](HWND owner) { user::GetPeer()->ShowMessageDialog(owner, {"Information", "Not implemented", 0, {{"OK", mrOk}}}); },
  };
  for (const bool shown : {false, true}) {
    if (shown) {
      Form->Show();
      Settle();
    }
    for (std::size_t kind = 0; kind < std::size(boxes); ++kind) {
      SCOPED_TRACE(testing::Message() << "shown " << shown << ", box " << kind);
      QPoint centre;
      QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        ASSERT_NE(box, nullptr);
        centre = box->frameGeometry().center();
        box->close();
      });
      boxes[kind](Form->GetHandle());
      const QPoint expected = shown ? peer_test::WidgetOf(Form->GetHandle())->frameGeometry().center()
                                    : QGuiApplication::primaryScreen()->availableGeometry().center();
      EXPECT_LE((centre - expected).manhattanLength(), 4) << centre.x() << "," << centre.y();
    }
  }
}

}  // namespace
