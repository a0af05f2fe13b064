// One widget class per kind of window; each shows the state and reports input, nothing more.
// Keys never reach the Qt widget (the class library edits and clicks), the mouse does, for the
// widget's pressed look and the caret the user places.
#include "platform/qt/ControlWidgets.h"

#include <QAbstractListModel>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <functional>

#include "platform/qt/WindowWidget.h"

namespace qt {
namespace {

// The parts every control widget shares: the window's handle, its parent's widget, the last
// state and the input filter.
template <class Base>
class ControlWidget : public Base, public PeerWidget {
 public:
  ControlWidget(HWND hwnd, PeerWidget* parent) : Base(parent ? parent->Widget() : nullptr), hwnd_(hwnd), parent_(parent) {
    filter_ = new InputFilter(hwnd, this, 0, false);
    this->installEventFilter(filter_);
    this->setFocusPolicy(Qt::StrongFocus);
  }
  QWidget* Widget() override { return this; }
  HWND Handle() const override { return hwnd_; }
  const user::WindowState& State() const override { return state_; }
  void Apply(const user::WindowState& state) override {
    const bool first = std::exchange(applied_, true) == false;
    applying_ = true;
    state_ = state;
    filter_->SetBorder(state.border);
    ApplyCommon(this, state, parent_);
    ApplyOwn(state, first);
    applying_ = false;
  }

 protected:
  virtual void ApplyOwn(const user::WindowState& state, bool first) = 0;
  // Tab is a key like the others: the class library moves the focus.
  bool focusNextPrevChild(bool) override { return false; }
  // Colours of the enabled states: the control's background and its font's colour.
  void SetColours(QPalette::ColorRole background, const user::WindowState& state) {
    QPalette p = this->palette();
    for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
      p.setColor(g, background, ColorOf(state.color));
      p.setColor(g, QPalette::Text, ColorOf(state.font.color));
      p.setColor(g, QPalette::WindowText, ColorOf(state.font.color));
      p.setColor(g, QPalette::ButtonText, ColorOf(state.font.color));
    }
    if (p != this->palette()) this->setPalette(p);
  }
  bool Applying() const { return applying_; }
  void SetApplying(bool on) { applying_ = on; }
  // Parts of the widget that get input of their own report it for the same window.
  void WatchPart(QWidget* part) { part->installEventFilter(filter_); }

 private:
  HWND hwnd_;
  PeerWidget* parent_;
  InputFilter* filter_;
  user::WindowState state_;
  bool applied_ = false;
  bool applying_ = false;
};

// The window's selection, shown while the line edit has the focus, as the platform's edits
// show theirs.
void ShowSelection(QLineEdit* edit, const user::EditState& state) {
  if (edit->hasFocus() && state.selLength > 0)
    edit->setSelection(state.selStart, state.selLength);
  else if (edit->cursorPosition() != state.selStart || edit->hasSelectedText())
    edit->setCursorPosition(state.selStart);
}

// The caret and selection the user makes in a line edit go to the window as EM_SETSEL.
void ReportCaret(QLineEdit* edit, PeerWidget* peer, std::function<bool()> applying) {
  const auto report = [edit, peer, applying] {
    if (applying()) return;
    const int caret = edit->cursorPosition();
    const int anchor =
        edit->hasSelectedText() ? (caret == edit->selectionStart() ? edit->selectionEnd() : edit->selectionStart()) : caret;
    user::PostInput(peer->Handle(), EM_SETSEL, static_cast<WPARAM>(anchor), caret);
  };
  QObject::connect(edit, &QLineEdit::cursorPositionChanged, edit, report);
  QObject::connect(edit, &QLineEdit::selectionChanged, edit, report);
}

Qt::Alignment AlignmentOf(int style) {
  if (style & ES_RIGHT) return Qt::AlignRight | Qt::AlignVCenter;
  if (style & ES_CENTER) return Qt::AlignHCenter | Qt::AlignVCenter;
  return Qt::AlignLeft | Qt::AlignVCenter;
}

// The edit field: text, selection, alignment and formatting rectangle come from the window;
// the caret and selection the user makes with the mouse go back to it as EM_SETSEL.
class EditWidget : public ControlWidget<QLineEdit> {
 public:
  EditWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) : ControlWidget(hwnd, parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setDragEnabled(false);
    setAcceptDrops(false);
    ReportCaret(this, this, [this] { return Applying(); });
    Apply(state);
  }

 protected:
  void ApplyOwn(const user::WindowState& state, bool) override {
    setFrame(state.border > 0);
    SetColours(QPalette::Base, state);
    const QString text = QString::fromLatin1(state.caption.c_str());
    if (this->text() != text) setText(text);
    setReadOnly(state.edit.readOnly);
    setAlignment(AlignmentOf(state.edit.alignment));
    const RECT& r = state.edit.textRect;
    if (r.right > r.left)
      setTextMargins(r.left, 0, std::max(0, state.width - r.right), 0);
    else
      setTextMargins(0, 0, 0, 0);
    ShowSelection(this, state.edit);
  }
  void focusInEvent(QFocusEvent* event) override {
    ControlWidget::focusInEvent(event);
    SetApplying(true);
    ShowSelection(this, State().edit);
    SetApplying(false);
  }
};

// A push button: the class library decides what a click is; the widget shows the pressed look.
class PushButtonWidget : public ControlWidget<QPushButton> {
 public:
  PushButtonWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) : ControlWidget(hwnd, parent) {
    Apply(state);
  }

 protected:
  void ApplyOwn(const user::WindowState& state, bool) override {
    SetColours(QPalette::Button, state);
    setText(QString::fromLatin1(state.caption.c_str()));
    // The style draws the default button's dark frame only for a button that may be default.
    setAutoDefault(state.button.isDefault);
    setDefault(state.button.isDefault);
  }
};

// Check boxes and radio buttons: the class library decides what a click does to the check, so
// the widget never toggles itself.
template <class Base>
class CheckWidget : public ControlWidget<Base> {
 public:
  CheckWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) : ControlWidget<Base>(hwnd, parent) {
    this->setAutoExclusive(false);
    this->Apply(state);
  }

 protected:
  void nextCheckState() override {}
  void ApplyOwn(const user::WindowState& state, bool) override {
    this->SetColours(QPalette::Window, state);
    this->setText(QString::fromLatin1(state.caption.c_str()));
    this->setChecked(state.button.checked != 0);
  }
};

// A caret position in the widget's text (line breaks one character) and in the window's
// (CR LF), one from the other.
int WidgetPosition(const std::string& text, int position) {
  int breaks = 0;
  for (int i = 0; i < position && i < static_cast<int>(text.size()); ++i) breaks += text[static_cast<std::size_t>(i)] == '\r';
  return position - breaks;
}

int WindowPosition(const std::string& text, int position) {
  int seen = 0;
  std::size_t i = 0;
  for (; i < text.size() && seen < position; ++i)
    if (text[i] != '\r') ++seen;
  return static_cast<int>(i);
}

// The memo: the window's lines, wrapped at the widget's width, without scroll bars.
class MemoWidget : public ControlWidget<QPlainTextEdit> {
 public:
  MemoWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) : ControlWidget(hwnd, parent) {
    setContextMenuPolicy(Qt::NoContextMenu);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAcceptDrops(false);
    document()->setDocumentMargin(1);  // the text starts where an edit's does
    WatchPart(viewport());
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] {
      if (Applying()) return;
      const QTextCursor c = textCursor();
      const std::string& text = State().caption;
      user::PostInput(Handle(), EM_SETSEL, static_cast<WPARAM>(WindowPosition(text, c.anchor())),
                      WindowPosition(text, c.position()));
    });
    Apply(state);
  }

 protected:
  void ApplyOwn(const user::WindowState& state, bool) override {
    setFrameShape(state.border > 0 ? QFrame::StyledPanel : QFrame::NoFrame);
    SetColours(QPalette::Base, state);
    QString text = QString::fromLatin1(state.caption.c_str());
    text.remove(QChar('\r'));
    if (toPlainText() != text) setPlainText(text);
    FitLines(text, state.width);
    setReadOnly(state.edit.readOnly);
    QTextCursor c = textCursor();
    c.setPosition(WidgetPosition(state.caption, state.edit.selStart));
    c.setPosition(WidgetPosition(state.caption, state.edit.selStart + state.edit.selLength), QTextCursor::KeepAnchor);
    if (c != textCursor()) setTextCursor(c);
  }

 private:
  // Texts are broken into lines for the font they were written in; a line that is a few per
  // cent wider in the installed font is drawn that much narrower, so it keeps its break
  // instead of wrapping a line more than the memo was made to hold.
  void FitLines(const QString& text, int width) {
    constexpr int kNarrowest = 95;  // per cent of the font's own width
    const int available = width - 2 * static_cast<int>(document()->documentMargin());
    QFont font = this->font();
    const auto widest = [&](int stretch) {
      font.setStretch(stretch);
      const QFontMetrics metrics(font);
      int most = 0;
      // Blanks at a line's end never wrap it.
      for (const QString& line : text.split(QChar('\n')))
        most = std::max(most, metrics.horizontalAdvance(line.left(static_cast<int>(line.size()) - TrailingBlanks(line))));
      return most;
    };
    int stretch = 100;
    while (stretch > kNarrowest && widest(stretch) > available) --stretch;
    QFont fitted = this->font();
    if (stretch < 100 && widest(stretch) <= available) fitted.setStretch(stretch);  // else it wraps as it is
    if (document()->defaultFont() != fitted) document()->setDefaultFont(fitted);
  }
  static int TrailingBlanks(const QString& line) {
    int n = 0;
    while (n < line.size() && line[line.size() - 1 - n] == QChar(' ')) ++n;
    return n;
  }
};

// The combo box's list, read from the window's items each time it opens.
class ItemModel : public QAbstractListModel {
 public:
  void Show(const user::ItemList* items) {
    beginResetModel();
    items_ = items;
    endResetModel();
  }
  int rowCount(const QModelIndex& parent) const override { return parent.isValid() || !items_ ? 0 : items_->Count(); }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!items_ || role != Qt::DisplayRole || index.row() >= items_->Count()) return {};
    const std::string_view item = items_->Item(index.row());
    return QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size()));
  }

 private:
  const user::ItemList* items_ = nullptr;
};

// The editable combo box: its text and selection are the window's; the list opens on the
// window's items and the user's choice goes back as CB_SETCURSEL.
class ComboWidget : public ControlWidget<QComboBox> {
 public:
  ComboWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) : ControlWidget(hwnd, parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setModel(&model_);
    setMaxVisibleItems(8);
    if (auto* list = qobject_cast<QListView*>(view())) list->setUniformItemSizes(true);
    lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    setCompleter(nullptr);
    WatchPart(lineEdit());
    ReportCaret(lineEdit(), this, [this] { return Applying(); });
    connect(this, QOverload<int>::of(&QComboBox::activated), this, [this](int index) {
      // Qt also activates the item that matches the text when the text loses the focus (to the
      // list, say); that chooses nothing new.
      if (!Applying() && index != State().list.itemIndex)
        user::PostInput(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    });
    Apply(state);
  }
  void focusInEvent(QFocusEvent* event) override {
    ControlWidget::focusInEvent(event);
    SetApplying(true);
    ShowSelection(lineEdit(), State().edit);
    SetApplying(false);
  }
  void showPopup() override {
    model_.Show(State().list.items);
    ShowCurrent(State());
    QComboBox::showPopup();
  }

 protected:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::Wheel) return true;  // the wheel does not choose here
    return ControlWidget::event(e);
  }
  void ApplyOwn(const user::WindowState& state, bool) override {
    SetColours(QPalette::Base, state);
    const QString text = QString::fromLatin1(state.caption.c_str());
    if (lineEdit()->text() != text) lineEdit()->setText(text);
    ShowSelection(lineEdit(), state.edit);
    // The list opens and closes when the window asks for it to (the user opens it natively).
    if (state.list.droppedDown != droppedDown_) {
      droppedDown_ = state.list.droppedDown;
      if (droppedDown_)
        showPopup();
      else
        hidePopup();
    }
  }

 private:
  void ShowCurrent(const user::WindowState& state) {
    if (state.list.itemIndex >= 0 && state.list.itemIndex < model_.rowCount({})) setCurrentIndex(state.list.itemIndex);
    if (lineEdit()->text() != QString::fromLatin1(state.caption.c_str()))
      lineEdit()->setText(QString::fromLatin1(state.caption.c_str()));
  }
  ItemModel model_;
  bool droppedDown_ = false;
};

// The track bar: range, position and ticks from the window; the user's moves go back as
// TBM_SETPOS.
class TrackBarWidget : public ControlWidget<QSlider> {
 public:
  TrackBarWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) : ControlWidget(hwnd, parent) {
    setOrientation(Qt::Horizontal);
    connect(this, &QSlider::valueChanged, this, [this](int value) {
      if (!Applying()) user::PostInput(Handle(), TBM_SETPOS, static_cast<WPARAM>(value), 0);
    });
    Apply(state);
  }

 protected:
  void ApplyOwn(const user::WindowState& state, bool) override {
    setRange(state.range.min, state.range.max);
    setValue(state.range.position);
    setTickInterval(state.range.frequency);
    setTickPosition(state.range.ticksBelow ? QSlider::TicksBelow : QSlider::TicksAbove);
    setPageStep(std::max(1, state.range.frequency));
  }
};

// The page control's tabs and frame; the sheets are child windows over the frame. A tab the
// user picks goes back as TCM_SETCURSEL.
class TabsWidget : public ControlWidget<QTabWidget> {
 public:
  TabsWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) : ControlWidget(hwnd, parent) {
    WatchPart(tabBar());
    connect(tabBar(), &QTabBar::currentChanged, this, [this](int index) {
      if (!Applying() && index >= 0) user::PostInput(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    });
    Apply(state);
  }

 protected:
  void ApplyOwn(const user::WindowState& state, bool) override {
    const auto& tabs = state.tabs.tabs;
    while (count() > static_cast<int>(tabs.size())) {
      QWidget* page = widget(count() - 1);
      removeTab(count() - 1);
      delete page;
    }
    while (count() < static_cast<int>(tabs.size())) addTab(new QWidget, QString());
    for (int i = 0; i < count(); ++i) {
      const QString caption = QString::fromLatin1(tabs[static_cast<std::size_t>(i)].c_str());
      if (tabText(i) != caption) setTabText(i, caption);
    }
    if (state.tabs.tabIndex >= 0 && state.tabs.tabIndex < count()) setCurrentIndex(state.tabs.tabIndex);
  }
};

}  // namespace

PeerWidget* MakePeerWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) {
  switch (state.windowClass) {
    case user::WindowClass::Edit: return new EditWidget(hwnd, state, parent);
    case user::WindowClass::Button: return new PushButtonWidget(hwnd, state, parent);
    case user::WindowClass::CheckBox: return new CheckWidget<QCheckBox>(hwnd, state, parent);
    case user::WindowClass::RadioButton: return new CheckWidget<QRadioButton>(hwnd, state, parent);
    case user::WindowClass::Memo: return new MemoWidget(hwnd, state, parent);
    case user::WindowClass::ComboBox: return new ComboWidget(hwnd, state, parent);
    case user::WindowClass::TrackBar: return new TrackBarWidget(hwnd, state, parent);
    case user::WindowClass::TabControl: return new TabsWidget(hwnd, state, parent);
    default: return new WindowWidget(hwnd, state, parent);
  }
}

QWidget* FocusTarget(PeerWidget* peer) { return peer->Widget(); }

}  // namespace qt
