// The setup dialogs' controls through their Qt widgets, with Qt's input events on the real
// widgets: check boxes and radios that the class library checks, the combo box's list of
// thousands of items and a choice from it, the track bar, the tabs, the memo, the label's cursor.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "tests/platform/qt/PeerFixture.h"
#include "tests/platform/vcl/ControlInput.h"

namespace {

using peer_test::PeerTest;
using peer_test::PressKey;
using peer_test::WidgetOf;

void ClickAt(QWidget* w, QPoint at) {
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
  }
}

class DialogCtrlsPeerTest : public PeerTest {
 protected:
  template <class T>
  T* Make(TWinControl* parent, TRect bounds, const char* caption = "") {
    return control_input::MakeControl<T>(Form, parent, bounds, caption);
  }
  void ShowForm() {
    Form->Show();
    Settle();
    QApplication::setActiveWindow(WidgetOf(Form->GetHandle()));
  }
  std::vector<std::string> Log;
};

TEST_F(DialogCtrlsPeerTest, ChecksAreTheClassLibrarysAndRadiosOfOneParentUncheckEachOther) {
  auto* box = Make<TCheckBox>(Form, Bounds(16, 16, 97, 17), "Play Sound");
  auto* slow = Make<TRadioButton>(Form, Bounds(16, 40, 113, 17), "Slow");
  auto* fast = Make<TRadioButton>(Form, Bounds(16, 60, 113, 17), "Fast");
  box->OnClick = [&](TObject*) { Log.push_back(box->GetChecked() ? "on" : "off"); };
  fast->OnClick = [&](TObject*) { Log.push_back("fast"); };
  slow->SetChecked(true);
  ShowForm();
  auto* check = WidgetOf<QCheckBox>(box);
  auto* slowWidget = WidgetOf<QRadioButton>(slow);
  auto* fastWidget = WidgetOf<QRadioButton>(fast);
  ASSERT_TRUE(check && slowWidget && fastWidget);
  EXPECT_EQ(check->text(), "Play Sound");
  EXPECT_TRUE(slowWidget->isChecked());
  ClickAt(check, {5, 8});
  ClickAt(fastWidget, {5, 8});
  Settle();
  EXPECT_TRUE(check->isChecked());
  EXPECT_TRUE(fastWidget->isChecked());
  EXPECT_FALSE(slowWidget->isChecked());
  PressKey(check, Qt::Key_Space, " ");
  Settle();
  EXPECT_FALSE(check->isChecked());
  EXPECT_EQ(Log, (std::vector<std::string>{"on", "fast", "off"}));
}

TEST_F(DialogCtrlsPeerTest, TheCombosListOpensWithAllItemsAndAChoiceFromItRunsOnChange) {
  auto* combo = Make<TComboBox>(Form, Bounds(8, 32, 209, 21));
  combo->GetItems()->BeginUpdate();
  for (int i = 0; i < 3937; ++i) combo->GetItems()->Add(Format("CITY %04d", i));
  combo->GetItems()->EndUpdate();
  combo->SetItemIndex(0);
  combo->OnChange = [&](TObject*) { Log.push_back(Format("%d", combo->GetItemIndex())); };
  ShowForm();
  auto* widget = WidgetOf<QComboBox>(combo);
  ASSERT_NE(widget, nullptr);
  EXPECT_TRUE(widget->isEditable());
  EXPECT_EQ(widget->currentText(), "CITY 0000");
  ClickAt(widget, {widget->width() - 8, 10});  // the arrow
  Settle();
  ASSERT_TRUE(widget->view()->isVisible());
  EXPECT_EQ(widget->view()->model()->rowCount(), 3937);
  EXPECT_TRUE(Log.empty()) << "opening the list chooses nothing";
  PressKey(widget->view(), Qt::Key_Down);
  PressKey(widget->view(), Qt::Key_Down);
  PressKey(widget->view(), Qt::Key_Return);
  Settle();
  EXPECT_EQ(Log, std::vector<std::string>{"2"});
  EXPECT_EQ(combo->GetText(), "CITY 0002");
  EXPECT_EQ(widget->currentText(), "CITY 0002");
}

TEST_F(DialogCtrlsPeerTest, TheTrackBarTabsMemoAndLabelShowTheirState) {
  auto* bar = Make<TTrackBar>(Form, Bounds(8, 16, 249, 25));
  bar->SetMax(256);
  bar->SetPosition(256);
  bar->SetFrequency(5);
  bar->OnChange = [&](TObject*) { Log.push_back(std::to_string(bar->GetPosition())); };
  auto* pages = Make<TPageControl>(Form, Bounds(8, 48, 280, 140));
  for (const char* caption : {"Settings", "Display"}) {
    auto* sheet = new TTabSheet(Form);
    sheet->SetPageControl(pages);
    sheet->SetCaption(caption);
  }
  auto* memo = Make<TMemo>(pages->GetPages(1), Bounds(8, 8, 200, 40));
  memo->SetBorderStyle(bsNone);
  memo->GetLines()->Add("first line");
  memo->GetLines()->Add("second line");
  auto* link = Make<TLabel>(Form, Bounds(200, 8, 50, 13), "link");
  link->SetCursor(crHandPoint);
  ShowForm();
  auto* slider = WidgetOf<QSlider>(bar);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(slider->maximum(), 256);
  EXPECT_EQ(slider->value(), 256);
  EXPECT_EQ(slider->tickInterval(), 5);
  EXPECT_EQ(slider->tickPosition(), QSlider::TicksBelow);
  PressKey(slider, Qt::Key_Left);
  Settle();
  EXPECT_EQ(slider->value(), 255);
  slider->triggerAction(QAbstractSlider::SliderToMinimum);  // as a drag to the left end does
  Settle();
  EXPECT_EQ(bar->GetPosition(), 0);
  EXPECT_EQ(Log, (std::vector<std::string>{"255", "0"}));

  auto* tabs = WidgetOf<QTabWidget>(pages);
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(1), "Display");
  QWidget* second = WidgetOf(pages->GetPages(1)->GetHandle());
  EXPECT_FALSE(second->isVisible());
  ClickAt(tabs->tabBar(), tabs->tabBar()->tabRect(1).center());
  Settle();
  EXPECT_EQ(pages->GetActivePageIndex(), 1);
  EXPECT_TRUE(second->isVisible());
  auto* note = WidgetOf<QPlainTextEdit>(memo);
  ASSERT_NE(note, nullptr);
  EXPECT_EQ(note->toPlainText(), "first line\nsecond line");
  EXPECT_EQ(note->frameShape(), QFrame::NoFrame);

  QWidget* form = WidgetOf(Form->GetHandle());
  QMouseEvent move(QEvent::MouseMove, QPointF(205, 12), form->mapToGlobal(QPointF(205, 12)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(form, &move);
  Settle();
  EXPECT_EQ(form->cursor().shape(), Qt::PointingHandCursor);
}

// A note's lines are broken for the font it was written in: one a few per cent wider in the
// installed font keeps its break; one far too wide still wraps.
TEST_F(DialogCtrlsPeerTest, AMemoLineSlightlyTooWideKeepsItsBreak) {
  TFont font;
  font.SetName("MS Sans Serif");
  font.SetHeight(-11);
  Form->SetFont(&font);
  const QString slightly = "You may setting Gamma level when screensaver ";
  auto* note = Make<TMemo>(Form, Bounds(16, 64, 233, 105));
  note->SetBorderStyle(bsNone);
  note->GetLines()->Add(slightly.toStdString());
  note->GetLines()->Add("is running. ");
  auto* wide = Make<TMemo>(Form, Bounds(16, 64, 150, 40));
  wide->GetLines()->Add(slightly.toStdString());
  ShowForm();
  auto* shown = WidgetOf<QPlainTextEdit>(note);
  ASSERT_NE(shown, nullptr);
  ASSERT_GT(QFontMetrics(shown->font()).horizontalAdvance(slightly.trimmed()), 231) << "the line fits as it is";
  EXPECT_EQ(shown->document()->blockCount(), 2);
  EXPECT_EQ(shown->document()->lineCount(), 2);
  auto* wrapped = WidgetOf<QPlainTextEdit>(wide);
  EXPECT_GT(wrapped->document()->lineCount(), wrapped->document()->blockCount());
}

}  // namespace
