// The display device for a window in exclusive mode: the window covers its screen (the chosen
// monitor's) and shows each flipped frame scaled to fit, gamma applied; a flip waits for the
// screen's next refresh.
#pragma once

#include <QImage>
#include <chrono>
#include <memory>

#include "platform/ddraw/DisplayDevice.h"

namespace qt {

class QtPeer;

class FullScreenDevice : public ddraw::DisplayDevice {
 public:
  // Monitor 0 keeps the window's own screen; monitor n shows on the n-th screen.
  FullScreenDevice(HWND window, int monitor, QtPeer& peer);
  ~FullScreenDevice() override;
  FullScreenDevice(const FullScreenDevice&) = delete;
  FullScreenDevice& operator=(const FullScreenDevice&) = delete;

  void SetMode(const ddraw::DisplayMode& mode) override;
  void Present(const ddraw::Frame& frame) override;
  void RestoreDesktop() override;

 private:
  void WaitForRefresh();

  HWND window_;
  int monitor_;
  QtPeer& peer_;
  QImage image_;  // the frame as shown, reused from frame to frame
  std::chrono::steady_clock::time_point nextRefresh_{};
};

}  // namespace qt
