// What one DirectDraw object knows about the display: exclusive mode, the mode set and the
// display device. Its surfaces share it, so it outlives the object that made it.
#pragma once

#include <memory>
#include <optional>

#include "platform/ddraw/DisplayDevice.h"

namespace ddraw::detail {

class Display {
 public:
  // On the primary display driver (0) or the n-th monitor's device.
  explicit Display(int monitor) : monitor_(monitor) {}
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;
  ~Display();

  HRESULT SetCooperativeLevel(HWND window, DWORD flags);
  HRESULT SetDisplayMode(const DisplayMode& mode);
  bool Exclusive() const { return exclusive_; }
  const std::optional<DisplayMode>& ModeSet() const { return mode_; }
  // The mode set, else the desktop's.
  DisplayMode CurrentMode() const;
  bool Ended() const { return ended_; }
  void Present(const Frame& frame);
  // The primary goes: the device stops reading the pixels of its last frame.
  void ReleaseFrame();
  // The DirectDraw object is gone: the desktop comes back and every surface of it is lost.
  void End();

 private:
  const int monitor_;
  bool exclusive_ = false;
  HWND window_ = nullptr;
  std::optional<DisplayMode> mode_;
  std::unique_ptr<DisplayDevice> device_;
  bool ended_ = false;
};

// A surface description of a mode: size, pitch and pixel format.
DDSURFACEDESC2 DescribeMode(int width, int height, int bitsPerPixel);

}  // namespace ddraw::detail
