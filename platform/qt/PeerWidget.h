// What every widget that shows a window has in common: its place inside the parent's client
// area, visibility, enabled state, font, colours and cursor from the window record, and the
// input filter that turns the user's keys, mouse and focus into queued messages.
#pragma once

#include <QObject>
#include <QWidget>

#include "platform/user/UserPeer.h"

namespace qt {

// A widget that shows one window record. Implemented beside the widget's own Qt class.
class PeerWidget {
 public:
  virtual ~PeerWidget() = default;
  virtual QWidget* Widget() = 0;
  virtual HWND Handle() const = 0;
  // Shows the state: the common part (ApplyCommon) and the widget's own.
  virtual void Apply(const user::WindowState& state) = 0;
  // What a released window device context drew; only plain windows show pixels.
  virtual void ShowPixels(const gdi::PixelBuffer&) {}
  // The last state applied.
  virtual const user::WindowState& State() const = 0;
};

// The font a window asks for, through the same face substitution as the drawing layer, without
// smoothing so it matches the drawing layer's text.
QFont FontOf(const user::FontState& font);
// The application's style and palette: the classic look of the platform's controls in the
// system colours, as the class library draws its own controls.
void ApplyClassicLook();
QColor ColorOf(COLORREF color);
Qt::CursorShape CursorOf(int cursor);

// Place, visibility, enabled state, font, cursor; a child lies in its parent's client area
// (inside the parent's border) and is clipped to it.
void ApplyCommon(QWidget* widget, const user::WindowState& state, const PeerWidget* parent);

// Reports a widget's input for its window: keys (taken from the widget, so the class library
// decides what they do), mouse buttons and moves (left to the widget as well, for its pressed
// look), and focus given by the user.
class InputFilter : public QObject {
 public:
  // A widget of its own (a plain window) takes the mouse events; a Qt control also sees them.
  InputFilter(HWND hwnd, QWidget* widget, int border, bool takesMouse);
  void SetBorder(int border) { border_ = border; }
  // While set, focus changes are the program's own and are not reported back.
  static void SetProgramFocus(bool on);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  HWND hwnd_;
  QWidget* widget_;
  int border_;
  bool takesMouse_;
};

}  // namespace qt
