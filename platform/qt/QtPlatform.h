// Plugs Qt into the platform layer: the window peer (forms, message boxes, cursor, screens,
// native windows of the desktop) and the full-screen display device for DirectDraw.
#pragma once

namespace qt {

// Installs the peers when a Qt platform is available (QT_QPA_PLATFORM names one, or the X
// display in DISPLAY answers); otherwise the program stays headless. Returns whether Qt is in
// use. The QApplication itself is made on first need (the application object's Initialize, a
// message box).
bool Install();
// Takes the peers out again (no DirectDraw object may be open); windows shown so far are closed.
void Uninstall();

}  // namespace qt
