// The scene's settings load: the shared value table read in order, the desktop's mode in place
// of the stored one, and the probe that raises a desktop depth below 32 bits to 32.
#include "savers/waterfall/Unit1.h"

#include "platform/ddraw/DDraw.h"

namespace {

HRESULT EnumModesCallback(DDSURFACEDESC2* Mode, LPVOID Context) {
  if (Mode->ddpfPixelFormat.dwRGBBitCount == 32) *static_cast<bool*>(Context) = true;
  return DDENUMRET_OK;
}

// Whether the primary display driver lists any 32-bit mode, whatever its size.
bool Offers32Bits(HWND BoxOwner) {
  bool found = false;
  IDirectDraw* directDraw = nullptr;
  if (FAILED(DirectDrawCreate(nullptr, &directDraw, nullptr))) {
    MessageBoxA(BoxOwner, "DirectDraw Init FAILED", "Screen saver", MB_OK);
    return false;
  }
  directDraw->EnumDisplayModes(0, nullptr, &found, &EnumModesCallback);
  directDraw->Release();
  return found;
}

}  // namespace

void TForm1::LoadSettings() {
  TLoadOptions options;
  options.AfterDesktopMode = [this](TWaterfallSettings& Settings) {
    if (Settings.ColorDepth < 32 && Offers32Bits(GetHandle())) Settings.ColorDepth = 32;
  };
  LoadWaterfallSettings(*SetReg1, *this, DesktopMode(), options);
}
