// A user ending a screensaver by moving the pointer over the virtual display.
#pragma once

#include <X11/Xlib.h>

#include <optional>
#include <string>

#include "tests/savers/common/Launcher.h"

namespace launcher {

// Moves the pointer to and fro over the display until the program ends, as a user ending the
// screensaver does; the wait status, or none when it did not end in time.
inline std::optional<int> EndByMouse(const std::string& display, pid_t child) {
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return std::nullopt;
  std::optional<int> status;
  const auto until = Clock::now() + 120s;
  for (int move = 0; !status && Clock::now() < until; ++move) {
    XWarpPointer(x, None, DefaultRootWindow(x), 0, 0, 0, 0, move % 2 ? 400 : 200, move % 2 ? 300 : 200);
    XFlush(x);
    status = WaitUntil(child, Clock::now() + 100ms);
  }
  XCloseDisplay(x);
  return status;
}

}  // namespace launcher
