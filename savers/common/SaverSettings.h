// The settings both screensavers keep, the first 14 values of each program's table, the
// desktop's mode, which takes the stored display mode's place when the user asks for it, and
// the line that says on standard error what went wrong with the settings file.
#pragma once

#include "platform/vcl/SysUtils.h"

// Each field is named after its registry value; the defaults are the first run's, but for the
// display mode and the clock's place, which follow the desktop, and the clock's colour, which
// is each program's own.
struct TSaverSettings {
  bool flag_clock = true;
  bool flag_PlaySound = true;
  bool flag_fps = true;
  bool TermMouse = true;
  int Gamma = 256;
  bool flag_defres = true;
  int ResHor = 0;
  int ResVert = 0;
  int ColorDepth = 0;
  int clockX = 0;
  int clockY = 90;
  int clockRad = 70;
  int ColorClock = 0xFFFFFF;
  int SetSpeed = 1;
};

struct TDesktopMode {
  int Width;
  int Height;
  int Depth;
};
// The screen device context's size and depth.
TDesktopMode DesktopMode();

// The first run's values: the desktop's mode, and the clock of the given colour in the top right
// corner, 20 pixels from the edges.
TSaverSettings FirstRunSaverSettings(const TDesktopMode& Desktop, int ColorClock);

// "<program>: <Text> in the settings file <path>", one line on standard error, for what the
// user should learn also where no box reaches them (a host's log, a terminal).
void SaySettingsTrouble(const AnsiString& Text);
