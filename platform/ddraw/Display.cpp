// Exclusive mode, the display mode and the display device of one DirectDraw object.
// Leaving exclusive mode tells the device, which gives the desktop's mode back.
#include "platform/ddraw/Display.h"

#include <algorithm>

#include "platform/ddraw/DriverState.h"
#include "platform/ddraw/PixelFormat.h"
#include "platform/ddraw/Surface.h"

namespace ddraw::detail {

Display::~Display() { End(); }

HRESULT Display::SetCooperativeLevel(HWND window, DWORD flags) {
  constexpr DWORD required = DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE;
  constexpr DWORD allowed = required | DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX;
  if ((flags & required) != required || (flags & ~allowed) != 0 || window == nullptr) return DDERR_INVALIDPARAMS;
  if (exclusive_) return window == window_ ? DD_OK : DDERR_EXCLUSIVEMODEALREADYSET;
  if (!ClaimExclusive(this)) return DDERR_EXCLUSIVEMODEALREADYSET;
  device_ = MakeDevice(window, monitor_);
  if (!device_) {
    ReleaseExclusive(this);
    return DDERR_GENERIC;
  }
  exclusive_ = true;
  window_ = window;
  return DD_OK;
}

HRESULT Display::SetDisplayMode(const DisplayMode& mode) {
  if (!exclusive_) return DDERR_NOEXCLUSIVEMODE;
  const std::vector<DisplayMode> modes = ListedModes();
  if (std::find(modes.begin(), modes.end(), mode) == modes.end()) return DDERR_INVALIDMODE;
  if (mode_ != mode) LoseSurfaces(this);  // surfaces made for the old mode cannot come back
  mode_ = mode;
  device_->SetMode(mode);
  return DD_OK;
}

DisplayMode Display::CurrentMode() const {
  if (mode_) return *mode_;
  const gdi::DesktopMode desktop = gdi::GetDesktopMode();
  return {desktop.width, desktop.height, IsDisplayDepth(desktop.bitsPerPixel) ? desktop.bitsPerPixel : 32};
}

void Display::Present(const Frame& frame) {
  if (device_) device_->Present(frame);
}

void Display::ReleaseFrame() {
  if (device_) device_->ReleaseFrame();
}

void Display::End() {
  if (ended_) return;
  ended_ = true;
  if (exclusive_) {
    device_->RestoreDesktop();
    device_.reset();
    ReleaseExclusive(this);
    exclusive_ = false;
  }
  mode_.reset();
  LoseSurfaces(this);
}

DDSURFACEDESC2 DescribeMode(int width, int height, int bitsPerPixel) {
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(DDSURFACEDESC2);
  desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc.dwWidth = static_cast<DWORD>(width);
  desc.dwHeight = static_cast<DWORD>(height);
  desc.lPitch = PitchFor(width, bitsPerPixel);
  desc.ddpfPixelFormat = DescribeFormat(bitsPerPixel);
  return desc;
}

}  // namespace ddraw::detail
