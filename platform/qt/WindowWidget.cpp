// A window's widget: frame flags chosen once (a frame change makes a new window), geometry and
// visibility from the window record, input turned into queued messages.
#include "platform/qt/WindowWidget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <cstring>

#include "platform/qt/KeyMap.h"

namespace qt {
namespace {

Qt::WindowFlags FlagsOf(user::Frame frame) {
  switch (frame) {
    case user::Frame::None: return Qt::Window | Qt::FramelessWindowHint;
    case user::Frame::Dialog: return Qt::Dialog;
    case user::Frame::ToolWindow:
    case user::Frame::SizeToolWin: return Qt::Tool;
    case user::Frame::Single:
    case user::Frame::Sizeable: return Qt::Window;
  }
  return Qt::Window;
}

user::HeldKeys HeldOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  return {modifiers.testFlag(Qt::ShiftModifier), modifiers.testFlag(Qt::ControlModifier),
          modifiers.testFlag(Qt::AltModifier),   buttons.testFlag(Qt::LeftButton),
          buttons.testFlag(Qt::RightButton),     buttons.testFlag(Qt::MiddleButton)};
}

// The largest rectangle of the frame's aspect that fits `area`, centred in it.
QRect FitKeepingAspect(const QSize& frame, const QRect& area) {
  const QSize fitted = frame.scaled(area.size(), Qt::KeepAspectRatio);
  return QRect(area.x() + (area.width() - fitted.width()) / 2, area.y() + (area.height() - fitted.height()) / 2,
               fitted.width(), fitted.height());
}

}  // namespace

WindowWidget::WindowWidget(HWND hwnd, const user::WindowState& state, QWidget* parent)
    : QWidget(parent, parent ? Qt::Widget : FlagsOf(state.frame)), hwnd_(hwnd) {
  setMouseTracking(true);  // moves without a button held are input too
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Apply(state);
}

void WindowWidget::Apply(const user::WindowState& state) {
  state_ = state;
  setWindowTitle(QString::fromLatin1(state.caption.c_str()));
  if (!display_) {
    setGeometry(state.left, state.top, state.width, state.height);
    if (!parentWidget() && state.frame == user::Frame::Single) setFixedSize(state.width, state.height);
  }
  ShowAsState();
}

void WindowWidget::ShowAsState() {
  if (!state_.visible) {
    hide();
  } else if (display_) {
    if (QScreen* s = screen()) setGeometry(s->geometry());
    showFullScreen();
    raise();
    activateWindow();
  } else {
    show();
  }
}

void WindowWidget::ShowPixels(const gdi::PixelBuffer& pixels) {
  if (pixels_.width() != pixels.width || pixels_.height() != pixels.height)
    pixels_ = QImage(pixels.width, pixels.height, QImage::Format_RGB32);
  for (int y = 0; y < pixels.height; ++y)
    std::memcpy(pixels_.scanLine(y), pixels.bits + static_cast<std::ptrdiff_t>(y) * pixels.pitch,
                static_cast<std::size_t>(pixels.width) * 4);
  update();
}

void WindowWidget::SetDisplayFrame(DisplayPicture* picture) {
  if (picture == display_) return;
  const bool leaving = display_ && !picture;
  display_ = picture;
  if (leaving) {
    showNormal();
    setGeometry(state_.left, state_.top, state_.width, state_.height);
  }
  ShowAsState();
  update();
}

void WindowWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!display_) {
    const COLORREF c = state_.color;
    painter.fillRect(rect(), QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
    if (!pixels_.isNull()) painter.drawImage(0, 0, pixels_);
    return;
  }
  const QRect target = FitKeepingAspect(display_->Size(), rect());
  // The bars beside or above and below the picture; the picture covers the rest.
  if (target.top() > 0) {
    painter.fillRect(0, 0, width(), target.top(), Qt::black);
    painter.fillRect(0, target.bottom() + 1, width(), height() - target.bottom() - 1, Qt::black);
  }
  if (target.left() > 0) {
    painter.fillRect(0, 0, target.left(), height(), Qt::black);
    painter.fillRect(target.right() + 1, 0, width() - target.right() - 1, height(), Qt::black);
  }
  display_->Paint(painter, target);
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
  const user::HeldKeys held = HeldOf(event->modifiers(), Qt::NoButton);
  user::PostInput(hwnd_, WM_KEYDOWN, VirtualKeyOf(event->key(), event->modifiers()), 0, held);
  if (const char c = CharacterOf(event->key(), event->text()))
    user::PostInput(hwnd_, WM_CHAR, static_cast<unsigned char>(c), 0, held);
}

void WindowWidget::PostMouse(QMouseEvent* event, UINT message) {
  const QPoint p = event->position().toPoint();
  user::PostInput(hwnd_, message, 0, MAKELPARAM(p.x(), p.y()), HeldOf(event->modifiers(), event->buttons()));
}

void WindowWidget::mouseMoveEvent(QMouseEvent* event) { PostMouse(event, WM_MOUSEMOVE); }

void WindowWidget::mousePressEvent(QMouseEvent* event) {
  switch (event->button()) {
    case Qt::LeftButton: PostMouse(event, WM_LBUTTONDOWN); break;
    case Qt::RightButton: PostMouse(event, WM_RBUTTONDOWN); break;
    case Qt::MiddleButton: PostMouse(event, WM_MBUTTONDOWN); break;
    default: break;
  }
}

void WindowWidget::mouseReleaseEvent(QMouseEvent* event) {
  switch (event->button()) {
    case Qt::LeftButton: PostMouse(event, WM_LBUTTONUP); break;
    case Qt::RightButton: PostMouse(event, WM_RBUTTONUP); break;
    case Qt::MiddleButton: PostMouse(event, WM_MBUTTONUP); break;
    default: break;
  }
}

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The form decides (OnCloseQuery, OnClose); the window stays until the class library destroys it.
  event->ignore();
  user::PostInput(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace qt
