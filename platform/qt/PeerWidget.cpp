// The common part of every window's widget, and the input filter that reports what the user
// does to it.
#include "platform/qt/PeerWidget.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QProxyStyle>
#include <QRegion>
#include <QStyle>
#include <QStyleFactory>
#include <array>
#include <string>
#include <unordered_map>
#include <utility>

#include "platform/gdi/Fonts.h"
#include "platform/qt/KeyMap.h"

namespace qt {
namespace {

bool programFocus = false;  // main thread only

constexpr std::array<std::pair<int, Qt::CursorShape>, 21> kCursors{{
    {-1, Qt::BlankCursor},      {-2, Qt::ArrowCursor},     {-3, Qt::CrossCursor},     {-4, Qt::IBeamCursor},
    {-6, Qt::SizeBDiagCursor},  {-7, Qt::SizeVerCursor},   {-8, Qt::SizeFDiagCursor}, {-9, Qt::SizeHorCursor},
    {-10, Qt::UpArrowCursor},   {-11, Qt::WaitCursor},     {-12, Qt::DragMoveCursor}, {-13, Qt::ForbiddenCursor},
    {-14, Qt::SplitHCursor},    {-15, Qt::SplitVCursor},   {-16, Qt::DragCopyCursor}, {-17, Qt::BusyCursor},
    {-18, Qt::ForbiddenCursor}, {-19, Qt::BusyCursor},     {-20, Qt::WhatsThisCursor}, {-21, Qt::PointingHandCursor},
    {-22, Qt::SizeAllCursor},
}};

user::HeldKeys HeldOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
          modifiers.testFlag(Qt::AltModifier),   buttons.testFlag(Qt::LeftButton),
          buttons.testFlag(Qt::RightButton),     buttons.testFlag(Qt::MiddleButton)};
}

UINT MouseMessageOf(QEvent::Type type, Qt::MouseButton button) {
  const bool down = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick;
  switch (button) {
    case Qt::LeftButton: return down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
    case Qt::RightButton: return down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
    case Qt::MiddleButton: return down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
    default: return 0;
  }
}

// The installed family drawing in a face uses; asked of fontconfig once per face, as every
// change of every control's state shows its font again.
const QString& FamilyOf(const std::string& face) {
  static std::unordered_map<std::string, QString> families;  // main thread only
  auto found = families.find(face);
  if (found == families.end())
    found = families.emplace(face, QString::fromStdString(gdi::InstalledFamily(face))).first;
  return found->second;
}

}  // namespace

QFont FontOf(const user::FontState& font) {
  QFont f(FamilyOf(font.face));
  f.setPixelSize(std::max(1, font.height < 0 ? -font.height : font.height * 4 / 5));
  f.setBold(font.bold);
  f.setItalic(font.italic);
  f.setUnderline(font.underline);
  f.setStrikeOut(font.strikeOut);
  f.setStyleStrategy(QFont::NoAntialias);
  return f;
}

namespace {

// The classic style with the platform's check and radio marks: 13 pixels and a small gap
// before the caption, so a caption laid out for them fits its box.
class ClassicStyle : public QProxyStyle {
 public:
  explicit ClassicStyle(QStyle* base) : QProxyStyle(base) {}
  int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
    switch (metric) {
      case PM_IndicatorWidth:
      case PM_IndicatorHeight:
      case PM_ExclusiveIndicatorWidth:
      case PM_ExclusiveIndicatorHeight: return 13;
      case PM_CheckBoxLabelSpacing:
      case PM_RadioButtonLabelSpacing: return 3;
      default: return QProxyStyle::pixelMetric(metric, option, widget);
    }
  }
};

}  // namespace

void ApplyClassicLook() {
  if (QStyle* classic = QStyleFactory::create("Windows")) QApplication::setStyle(new ClassicStyle(classic));
  const auto sys = [](int index) { return ColorOf(GetSysColor(index)); };
  QPalette p(sys(COLOR_BTNFACE));
  for (const QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(g, QPalette::Window, sys(COLOR_BTNFACE));
    p.setColor(g, QPalette::Button, sys(COLOR_BTNFACE));
    p.setColor(g, QPalette::Base, g == QPalette::Disabled ? sys(COLOR_BTNFACE) : sys(COLOR_WINDOW));
    p.setColor(g, QPalette::Light, sys(COLOR_BTNHIGHLIGHT));
    p.setColor(g, QPalette::Midlight, sys(COLOR_3DLIGHT));
    p.setColor(g, QPalette::Dark, sys(COLOR_BTNSHADOW));
    p.setColor(g, QPalette::Mid, sys(COLOR_BTNSHADOW));
    p.setColor(g, QPalette::Shadow, sys(COLOR_3DDKSHADOW));
    p.setColor(g, QPalette::Highlight, sys(COLOR_HIGHLIGHT));
    p.setColor(g, QPalette::HighlightedText, sys(COLOR_HIGHLIGHTTEXT));
    const QColor text = g == QPalette::Disabled ? sys(COLOR_GRAYTEXT) : sys(COLOR_WINDOWTEXT);
    p.setColor(g, QPalette::WindowText, text);
    p.setColor(g, QPalette::Text, text);
    p.setColor(g, QPalette::ButtonText, g == QPalette::Disabled ? text : sys(COLOR_BTNTEXT));
  }
  QApplication::setPalette(p);
}

QColor ColorOf(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

Qt::CursorShape CursorOf(int cursor) {
  for (const auto& [id, shape] : kCursors)
    if (id == cursor) return shape;
  return Qt::ArrowCursor;
}

void ApplyCommon(QWidget* widget, const user::WindowState& state, const PeerWidget* parent) {
  QRect place(state.left, state.top, state.width + 2 * state.border, state.height + 2 * state.border);
  if (parent) {
    const user::WindowState& p = parent->State();
    const QRect client(p.border, p.border, p.width, p.height);
    place.translate(p.border, p.border);
    if (client.contains(place))
      widget->clearMask();
    else
      widget->setMask(QRegion(client.intersected(place).translated(-place.topLeft())));
  }
  if (parent || !widget->isWindow()) widget->setGeometry(place);
  if (widget->isEnabled() != state.enabled) widget->setEnabled(state.enabled);
  const QFont font = FontOf(state.font);
  if (widget->font() != font) widget->setFont(font);
  if (state.cursor == 0)
    widget->unsetCursor();
  else
    widget->setCursor(CursorOf(state.cursor));
  if (parent) widget->setVisible(state.visible);
}

InputFilter::InputFilter(HWND hwnd, QWidget* widget, int border, bool takesMouse)
    : QObject(widget), hwnd_(hwnd), widget_(widget), border_(border), takesMouse_(takesMouse) {}

void InputFilter::SetProgramFocus(bool on) { programFocus = on; }

bool InputFilter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      const user::HeldKeys held = HeldOf(key->modifiers(), Qt::NoButton);
      user::PostInput(hwnd_, WM_KEYDOWN, VirtualKeyOf(key->key(), key->modifiers()), 0, held);
      if (const char c = CharacterOf(key->key(), key->text()))
        user::PostInput(hwnd_, WM_CHAR, static_cast<unsigned char>(c), 0, held);
      return true;
    }
    case QEvent::KeyRelease: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (!key->isAutoRepeat())
        user::PostInput(hwnd_, WM_KEYUP, VirtualKeyOf(key->key(), key->modifiers()), 0,
                        HeldOf(key->modifiers(), Qt::NoButton));
      return true;
    }
    case QEvent::FocusIn:
      if (!programFocus) user::PostInput(hwnd_, WM_SETFOCUS, 0, 0, HeldOf(Qt::NoModifier, QApplication::mouseButtons()));
      return false;
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
      auto* mouse = static_cast<QMouseEvent*>(event);
      const UINT message = event->type() == QEvent::MouseMove ? WM_MOUSEMOVE : MouseMessageOf(event->type(), mouse->button());
      if (message == 0) return false;
      // In the window's client coordinates, also when the event is for a part of the widget.
      QPoint p = mouse->position().toPoint();
      if (watched != widget_) p = static_cast<QWidget*>(watched)->mapTo(widget_, p);
      // A child widget that left the event unaccepted passes it on to its parent: not ours.
      if (watched == widget_ && widget_->childAt(p)) return false;
      p -= QPoint(border_, border_);
      user::PostInput(hwnd_, message, 0, MAKELPARAM(p.x(), p.y()), HeldOf(mouse->modifiers(), mouse->buttons()));
      // X11 pastes the selection on a middle click; only the class library changes text.
      return takesMouse_ || mouse->button() == Qt::MiddleButton;
    }
    default: return false;
  }
}

}  // namespace qt
