// The desktop's mode from the screen's device context, the first run's shared values, and the
// settings file's trouble on standard error.
#include "savers/common/SaverSettings.h"

#include "platform/gdi/Gdi.h"
#include "platform/registry/HiveFile.h"
#include "platform/user/WinUser.h"
#include "savers/common/ScreenSaver.h"

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

void SaySettingsTrouble(const AnsiString& Text) {
  const auto file = registry::HiveFilePath();
  const AnsiString where = file ? " in the settings file " + file->string() : AnsiString();
  SayOnStandardError(Text + where);
}
