// Plugs Qt into the platform layer: the window peer (forms, message boxes, cursor, screens,
// native windows of the desktop) and the full-screen display device for DirectDraw.
#pragma once

#include <string>

namespace qt {

// Installs the peers when Qt can start and draw: one of the platforms QT_QPA_PLATFORM names
// (the X display when it names none) is installed and, for the X display, DISPLAY answers and
// its screen has 16, 24 or 32 bits per pixel of true colour. Returns whether Qt is in use; a
// program that finds none says InstallFailure() and ends (only tests run on the headless
// display). The QApplication itself is made on first need (the application object's
// Initialize, a box).
bool Install();
// Why the last Install() failed, such as "cannot open the display ":0"".
std::string InstallFailure();
// Takes the peers out again (no DirectDraw object may be open); windows shown so far are closed.
void Uninstall();

}  // namespace qt
