// The message dialog's Qt peer: the user sees the caption, the text (in any language) and the
// buttons, and the button pressed is the dialog's result.
#include "PeerFixture.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "platform/qt/QtPlatform.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"

namespace {

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

}  // namespace
