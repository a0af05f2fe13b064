// A window's widget: frame flags chosen once (a frame change makes a new window), geometry and
// visibility from the window record, input turned into queued messages.
#include "platform/qt/WindowWidget.h"

#include <QCloseEvent>
#include <QPainter>
#include <QScreen>
#include <cstring>


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

// The largest rectangle of the frame's aspect that fits `area`, centred in it.
QRect FitKeepingAspect(const QSize& frame, const QRect& area) {
  const QSize fitted = frame.scaled(area.size(), Qt::KeepAspectRatio);
  return QRect(area.x() + (area.width() - fitted.width()) / 2, area.y() + (area.height() - fitted.height()) / 2,
               fitted.width(), fitted.height());
}

}  // namespace

WindowWidget::WindowWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent)
    : QWidget(parent ? parent->Widget() : nullptr, parent ? Qt::Widget : FlagsOf(state.frame)),
      hwnd_(hwnd),
      parent_(parent) {
  setMouseTracking(true);  // moves without a button held are input too
  // A top-level window takes the keys; a child plain window (a frame, a page) never takes the
  // focus from the control that has it.
  setFocusPolicy(parent ? Qt::NoFocus : Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  installEventFilter(new InputFilter(hwnd, this, 0, true));
  Apply(state);
}

void WindowWidget::Apply(const user::WindowState& state) {
  state_ = state;
  setWindowTitle(QString::fromLatin1(state.caption.c_str()));
  if (!display_) {
    ApplyCommon(this, state, parent_);
    // A plain window shows the arrow where it says nothing, also over a control's widget.
    if (state.cursor == 0) setCursor(Qt::ArrowCursor);
    if (!parent_) {
      setGeometry(state.left, state.top, state.width, state.height);
      if (state.frame == user::Frame::Single || state.frame == user::Frame::Dialog)
        setFixedSize(state.width, state.height);
    }
  }
  ShowAsState();
}

void WindowWidget::ShowAsState() {
  if (parent_) return;  // ApplyCommon shows a child
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
  // Kept in the format widgets are painted in, opaque, so showing it is a plain copy: Qt
  // converts a large image of another format on threads of its own.
  if (pixels_.width() != pixels.width || pixels_.height() != pixels.height)
    pixels_ = QImage(pixels.width, pixels.height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < pixels.height; ++y) {
    const auto* from = reinterpret_cast<const std::uint32_t*>(pixels.bits + static_cast<std::ptrdiff_t>(y) * pixels.pitch);
    auto* to = reinterpret_cast<std::uint32_t*>(pixels_.scanLine(y));
    for (int x = 0; x < pixels.width; ++x) to[x] = from[x] | 0xFF000000u;
  }
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

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The form decides (OnCloseQuery, OnClose); the window stays until the class library destroys it.
  event->ignore();
  user::PostInput(hwnd_, WM_CLOSE, 0, 0);
}

}  // namespace qt
