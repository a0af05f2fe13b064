// The desktop's mode from the screen's device context, and the first run's shared values.
#include "savers/common/SaverSettings.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/WinUser.h"

TDesktopMode DesktopMode() {
  HDC screen = GetDC(nullptr);
  const TDesktopMode mode{GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES),
                          GetDeviceCaps(screen, BITSPIXEL)};
  ReleaseDC(nullptr, screen);
  return mode;
}

TSaverSettings FirstRunSaverSettings(const TDesktopMode& Desktop, int ColorClock) {
  constexpr int ClockMargin = 20;
  TSaverSettings s;
  s.ResHor = Desktop.Width;
  s.ResVert = Desktop.Height;
  s.ColorDepth = Desktop.Depth;
  s.clockX = s.ResHor - s.clockRad - ClockMargin;
  s.clockY = s.clockRad + ClockMargin;
  s.ColorClock = ColorClock;
  return s;
}
