// The desktop's mode from the screen's device context.
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
