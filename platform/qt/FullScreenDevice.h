// The display device for a window in exclusive mode: the window covers its screen and shows
// each flipped frame scaled to fit, gamma applied; a flip waits for the screen's next refresh.
#pragma once

#include <QImage>
#include <chrono>
#include <memory>

#include "platform/ddraw/DisplayDevice.h"

namespace qt {

class QtPeer;

class FullScreenDevice : public ddraw::DisplayDevice {
 public:
  FullScreenDevice(HWND window, QtPeer& peer);
  ~FullScreenDevice() override;
  FullScreenDevice(const FullScreenDevice&) = delete;
  FullScreenDevice& operator=(const FullScreenDevice&) = delete;

  void SetMode(const ddraw::DisplayMode& mode) override;
  void Present(const ddraw::Frame& frame) override;
  void RestoreDesktop() override;

 private:
  void WaitForRefresh();

  HWND window_;
  QtPeer& peer_;
  QImage image_;  // the frame as shown, reused from frame to frame
  std::chrono::steady_clock::time_point nextRefresh_{};
};

}  // namespace qt
