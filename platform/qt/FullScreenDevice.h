// The display device for a window in exclusive mode: the window covers its screen (the chosen
// monitor's) and shows each flipped frame scaled to fit, gamma applied; a flip waits for the
// screen's next refresh.
#pragma once

#include <QImage>
#include <chrono>
#include <optional>

#include "platform/ddraw/DisplayDevice.h"
#include "platform/qt/WindowWidget.h"

namespace qt {

class QtPeer;

class FullScreenDevice : public ddraw::DisplayDevice, public DisplayPicture {
 public:
  // Monitor 0 keeps the window's own screen; monitor n shows on the n-th screen.
  FullScreenDevice(HWND window, int monitor, QtPeer& peer);
  ~FullScreenDevice() override;
  FullScreenDevice(const FullScreenDevice&) = delete;
  FullScreenDevice& operator=(const FullScreenDevice&) = delete;

  void SetMode(const ddraw::DisplayMode& mode) override;
  void Present(const ddraw::Frame& frame) override;
  void ReleaseFrame() override;
  void RestoreDesktop() override;

  QSize Size() const override { return size_; }
  void Paint(QPainter& painter, const QRect& target) override;

 private:
  // The primary's pixels of the last frame, valid until the next Present or ReleaseFrame.
  struct Shown {
    gdi::PixelBuffer pixels;
    ddraw::Levels levels;
  };

  void ConvertIntoImage();
  void WaitForRefresh();

  HWND window_;
  int monitor_;
  QtPeer& peer_;
  QSize size_;
  std::optional<Shown> shown_;
  QImage image_;  // the frame converted, for painting it anywhere but 1:1 into the window
  bool imageCurrent_ = false;
  std::chrono::steady_clock::time_point nextRefresh_{};
};

}  // namespace qt
