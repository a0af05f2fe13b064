// The display device that shows the DirectDraw primary surface: the interface a device
// implements, the factory hook that chooses one per window, and the frame conversion they share.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/RowKernels.h"
#include "platform/gdi/GdiMemory.h"

namespace ddraw {

struct DisplayMode {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  bool operator==(const DisplayMode&) const = default;
};

// One flipped frame: the primary's pixels in the display format (palette for 8 bits) and the
// gamma ramp in force. Both stay as they are until the device's next Present, SetMode or
// ReleaseFrame, so a device may show them again (a repaint) without a copy of its own.
struct Frame {
  const gdi::PixelBuffer& pixels;
  const DDGAMMARAMP& gamma;
};

// A device lives from SetCooperativeLevel (exclusive) until its DirectDraw object is released.
// All calls come from the thread that flips.
class DisplayDevice {
 public:
  virtual ~DisplayDevice() = default;
  // The display switched to `mode` (SetDisplayMode); the window shows it full screen.
  virtual void SetMode(const DisplayMode& mode) = 0;
  // Shows a frame. May wait for the display's refresh (without spinning); must not allocate
  // per frame.
  virtual void Present(const Frame& frame) = 0;
  // The primary whose pixels the last frame showed goes away: whatever the device still shows
  // of them must be its own from now on. Nothing to do for a device that copies each frame.
  virtual void ReleaseFrame() {}
  // The exclusive DirectDraw object went away: the desktop's mode comes back.
  virtual void RestoreDesktop() = 0;
};

// Makes the device for the window given to SetCooperativeLevel, on the monitor whose device
// the DirectDraw object was created for: 0 for the primary display driver (the window's own
// screen), n for the n-th monitor's device that DirectDrawEnumerateExA reports. An empty
// factory (the default, and after ResetDriver) gives the headless device of HeadlessDevice.h.
using DeviceFactory = std::function<std::unique_ptr<DisplayDevice>(HWND window, int monitor)>;
void SetDeviceFactory(DeviceFactory factory);

// Converts a frame to 0x00RRGGBB pixels, gamma applied (entry >> 8 per channel), row after row
// into `out`, which holds at least width x height values. One routine per format, chosen once.
void ConvertFrame(const Frame& frame, std::span<std::uint32_t> out);
// As ConvertFrame with the ramp's levels at hand, into rows `stride` values apart; `alpha` is
// the top byte of every pixel (0, or 0xFF000000 for an image that reads it as opacity).
void ConvertPixels(const gdi::PixelBuffer& pixels, const Levels& levels, std::uint32_t* out, std::ptrdiff_t stride,
                   std::uint32_t alpha);

}  // namespace ddraw
