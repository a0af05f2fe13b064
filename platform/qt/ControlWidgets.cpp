// One widget class per kind of window; each shows the state and reports input, nothing more.
// Keys never reach the Qt widget (the class library edits and clicks), the mouse does, for the
// widget's pressed look and the caret the user places.
#include "platform/qt/ControlWidgets.h"

#include <QLineEdit>
#include <QPushButton>

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

 private:
  HWND hwnd_;
  PeerWidget* parent_;
  InputFilter* filter_;
  user::WindowState state_;
  bool applied_ = false;
  bool applying_ = false;
};

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
    const auto report = [this] {
      if (Applying()) return;
      const int caret = cursorPosition();
      const int anchor = hasSelectedText() ? (caret == selectionStart() ? selectionEnd() : selectionStart()) : caret;
      user::PostInput(Handle(), EM_SETSEL, static_cast<WPARAM>(anchor), caret);
    };
    connect(this, &QLineEdit::cursorPositionChanged, this, report);
    connect(this, &QLineEdit::selectionChanged, this, report);
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
    const int start = state.edit.selStart, length = state.edit.selLength;
    if (length > 0)
      setSelection(start, length);
    else if (cursorPosition() != start || hasSelectedText())
      setCursorPosition(start);
  }
};

// A push button: the class library decides what a click is; the widget shows the pressed look.
class PushButtonWidget : public ControlWidget<QPushButton> {
 public:
  PushButtonWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) : ControlWidget(hwnd, parent) {
    setAutoDefault(false);
    Apply(state);
  }

 protected:
  void ApplyOwn(const user::WindowState& state, bool) override {
    SetColours(QPalette::Button, state);
    setText(QString::fromLatin1(state.caption.c_str()));
    setDefault(state.button.isDefault);
  }
};

}  // namespace

PeerWidget* MakePeerWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) {
  switch (state.windowClass) {
    case user::WindowClass::Edit: return new EditWidget(hwnd, state, parent);
    case user::WindowClass::Button: return new PushButtonWidget(hwnd, state, parent);
    default: return new WindowWidget(hwnd, state, parent);
  }
}

QWidget* FocusTarget(PeerWidget* peer) { return peer->Widget(); }

}  // namespace qt
