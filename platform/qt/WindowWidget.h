// The Qt peer of one window: shows the window's caption, frame, place and pixels, or the
// DirectDraw frame full screen while the window has exclusive mode; reports input to the queue.
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/gdi/GdiMemory.h"
#include "platform/qt/PeerWidget.h"
#include "platform/user/UserPeer.h"

namespace qt {

// What a window in exclusive mode shows: a picture of a fixed size that its owner (the display
// device) paints into a rectangle of the widget, 1:1 or scaled to fit by the nearest pixel.
class DisplayPicture {
 public:
  virtual QSize Size() const = 0;
  virtual void Paint(QPainter& painter, const QRect& target) = 0;

 protected:
  ~DisplayPicture() = default;
};

class WindowWidget : public QWidget, public PeerWidget {
 public:
  WindowWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent);

  QWidget* Widget() override { return this; }
  const user::WindowState& State() const override { return state_; }
  void Apply(const user::WindowState& state) override;
  // Copies what a released device context drew.
  void ShowPixels(const gdi::PixelBuffer& pixels) override;
  // While set, the widget covers its screen and shows `picture` scaled to fit, aspect kept;
  // null gives the window back its own place. The picture must outlive the setting.
  void SetDisplayFrame(DisplayPicture* picture);
  bool ShowsDisplay() const { return display_ != nullptr; }
  HWND Handle() const override { return hwnd_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  // Tab is a key like the others: the class library moves the focus.
  bool focusNextPrevChild(bool) override { return false; }
  void closeEvent(QCloseEvent* event) override;

 private:
  void ShowAsState();

  HWND hwnd_;
  PeerWidget* parent_;
  user::WindowState state_;
  QImage pixels_;
  DisplayPicture* display_ = nullptr;
};

}  // namespace qt
