// Plugs Qt into the platform layer: the window peer (forms, message boxes, cursor, screens,
// native windows of the desktop) and the full-screen display device for DirectDraw.
#pragma once

#include <string>

namespace qt {

// Installs the peers when a Qt platform is available: QT_QPA_PLATFORM names one other than
// xcb, or the X display in DISPLAY answers. Returns whether Qt is in use; a program that
// finds none says NoDisplayMessage() and ends (only tests run on the headless display). The
// QApplication itself is made on first need (the application object's Initialize, a box).
bool Install();
// "cannot open the display ":0"", or why there is none to open.
std::string NoDisplayMessage();
// Takes the peers out again (no DirectDraw object may be open); windows shown so far are closed.
void Uninstall();

}  // namespace qt
