// The Qt peer of one window: shows the window's caption, frame, place and pixels, or the
// DirectDraw frame full screen while the window has exclusive mode; reports input to the queue.
#pragma once

#include <QImage>
#include <QWidget>

#include "platform/gdi/GdiMemory.h"
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

class WindowWidget : public QWidget {
 public:
  WindowWidget(HWND hwnd, const user::WindowState& state, QWidget* parent);

  void Apply(const user::WindowState& state);
  // Copies what a released device context drew.
  void ShowPixels(const gdi::PixelBuffer& pixels);
  // While set, the widget covers its screen and shows `picture` scaled to fit, aspect kept;
  // null gives the window back its own place. The picture must outlive the setting.
  void SetDisplayFrame(DisplayPicture* picture);
  bool ShowsDisplay() const { return display_ != nullptr; }
  HWND Handle() const { return hwnd_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void PostMouse(QMouseEvent* event, UINT message);
  void ShowAsState();

  HWND hwnd_;
  user::WindowState state_;
  QImage pixels_;
  DisplayPicture* display_ = nullptr;
};

}  // namespace qt
