// The clipboard through Qt: what the program places is text or an image other programs can
// paste and data of the program's own types; text or an image another program placed is
// pasted into the edit controls and the combo box's text or as a bitmap.
#include "PeerFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/GdiMemory.h"
#include "platform/qt/QtPlatform.h"
#include "platform/user/Clipboard.h"
#include "platform/user/UserPeer.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win32/GlobalMemory.h"

namespace {

using peer_test::PeerTest;
using peer_test::PressKey;
using peer_test::WidgetOf;

class ClipboardThroughQt : public PeerTest {};

TEST_F(ClipboardThroughQt, PlacedDataIsAnImageAndTypesOfItsOwn) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(3, 2);
  bitmap.GetCanvas()->SetPixels(0, 0, clRed);
  bitmap.GetCanvas()->SetPixels(2, 1, clBlue);
  Clipboard()->Open();
  Clipboard()->Assign(&bitmap);
  HGLOBAL tag = GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(GlobalLock(tag), "ico", 3);
  GlobalUnlock(tag);
  Clipboard()->SetAsHandle(static_cast<WORD>(RegisterClipboardFormatA("Quillmont Icon")), tag);
  Clipboard()->Close();

  const QImage image = QGuiApplication::clipboard()->image();
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(2, 1), qRgb(0, 0, 255));
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  EXPECT_EQ(mime->data("application/x-qm-clipboard;name=Quillmont%20Icon"), QByteArray("ico"));
  // Still this program's: opening again keeps its own bitmap.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_NE(GetClipboardData(CF_BITMAP), nullptr);
  CloseClipboard();
}

TEST_F(ClipboardThroughQt, AnotherProgramsImageIsPastedAsABitmap) {
  QImage image(4, 1, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 255, 0));
  image.setPixel(1, 0, qRgb(0, 255, 0));
  image.setPixel(2, 0, qRgb(0, 0, 0));
  image.setPixel(3, 0, qRgb(255, 255, 255));
  QGuiApplication::clipboard()->setImage(image);
  ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TPicture picture;
  picture.Assign(Clipboard());
  TBitmap* pasted = picture.GetBitmap();
  ASSERT_EQ(pasted->GetWidth(), 4);
  EXPECT_EQ(pasted->GetCanvas()->GetPixels(0, 0), clYellow);
  EXPECT_EQ(pasted->GetCanvas()->GetPixels(1, 0), clLime);
  EXPECT_EQ(pasted->GetCanvas()->GetPixels(3, 0), clWhite);
}

// Ctrl+C, Ctrl+X and Ctrl+V as the keyboard types them into the real widgets.
TEST_F(ClipboardThroughQt, EditsCutAndCopyTextOtherProgramsPasteAndPasteTheirs) {
  auto* memo = new TMemo(Form);
  memo->SetParent(Form);
  memo->SetBounds(10, 10, 200, 80);
  auto* edit = new TEdit(Form);
  edit->SetParent(Form);
  edit->SetBounds(10, 100, 120, 21);
  Form->Show();
  Settle();
  auto* lines = WidgetOf<QPlainTextEdit>(memo);
  auto* line = WidgetOf<QLineEdit>(edit);
  ASSERT_NE(lines, nullptr);
  ASSERT_NE(line, nullptr);

  memo->SetText("caf\xe9\r\nau lait");
  memo->SelectAll();
  PressKey(lines, Qt::Key_C, "\x03", Qt::ControlModifier);
  Settle();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8("caf\u00e9\nau lait"));
  edit->SetText("to cut");
  edit->SetSelStart(3);
  edit->SetSelLength(3);
  PressKey(line, Qt::Key_X, "\x18", Qt::ControlModifier);
  Settle();
  EXPECT_EQ(line->text(), "to ");
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/plain"), QByteArray("cut"));

  QGuiApplication::clipboard()->setText(QString::fromUtf8("na\u00efve\nline two"));
  memo->SetText("");
  PressKey(lines, Qt::Key_V, "\x16", Qt::ControlModifier);
  edit->SetText("");
  PressKey(line, Qt::Key_V, "\x16", Qt::ControlModifier);
  Settle();
  ASSERT_EQ(memo->GetLines()->GetCount(), 2);
  EXPECT_EQ(memo->GetLines()->GetStrings(0), "na\xefve");
  EXPECT_EQ(lines->toPlainText(), QString::fromUtf8("na\u00efve\nline two"));
  EXPECT_EQ(edit->GetText(), "na\xefve") << "a single line takes the first line";
  EXPECT_EQ(line->text(), QString::fromUtf8("na\u00efve"));
}

// The keys as the keyboard types them into the combo box's widget where it has the focus:
// Ctrl+A and Ctrl+C give another program the whole text, Ctrl+X takes it away, and what
// another program placed comes in with Ctrl+V and Shift+Insert and chooses its item.
TEST_F(ClipboardThroughQt, TheCombosTextCutsCopiesAndPastesWithTheEditsKeys) {
  auto* combo = new TComboBox(Form);
  combo->SetParent(Form);
  combo->SetBounds(10, 10, 209, 21);
  for (const char* city : {"AACHEN GE", "BERGEN NO", "LONDON GB"}) combo->GetItems()->Add(city);
  Form->Show();
  combo->SetItemIndex(1);
  combo->SetFocus();
  Settle();
  auto* widget = WidgetOf<QComboBox>(combo);
  ASSERT_NE(widget, nullptr);
  QWidget* focused = QApplication::focusWidget();
  ASSERT_TRUE(focused == widget || focused == widget->lineEdit());
  const auto press = [&](int key, const char* text, Qt::KeyboardModifiers modifiers) {
    PressKey(focused, key, QString::fromLatin1(text), modifiers);
    Settle();
  };

  press(Qt::Key_End, "", Qt::NoModifier);
  press(Qt::Key_A, "\x01", Qt::ControlModifier);
  EXPECT_EQ(widget->lineEdit()->selectedText(), "BERGEN NO");
  press(Qt::Key_C, "\x03", Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "BERGEN NO");
  press(Qt::Key_X, "\x18", Qt::ControlModifier);
  EXPECT_EQ(widget->lineEdit()->text(), "");
  EXPECT_EQ(combo->GetItemIndex(), -1);
  EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/plain"), QByteArray("BERGEN NO"));

  QGuiApplication::clipboard()->setText("LONDON GB");
  press(Qt::Key_V, "\x16", Qt::ControlModifier);
  EXPECT_EQ(widget->lineEdit()->text(), "LONDON GB");
  EXPECT_EQ(combo->GetItemIndex(), 2) << "a pasted name chooses its item";
  QGuiApplication::clipboard()->setText(QString::fromUtf8("AACHEN GE\nline two"));
  press(Qt::Key_A, "\x01", Qt::ControlModifier);
  press(Qt::Key_Insert, "", Qt::ShiftModifier);
  EXPECT_EQ(widget->lineEdit()->text(), "AACHEN GE");
  EXPECT_EQ(combo->GetText(), "AACHEN GE");
  EXPECT_EQ(combo->GetItemIndex(), 0);
}

}  // namespace
