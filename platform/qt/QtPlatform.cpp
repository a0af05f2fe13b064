// Installs the Qt peer into the window layer and the full-screen device into DirectDraw.
#include "platform/qt/QtPlatform.h"

#include <cstdlib>
#include <memory>

#include "platform/ddraw/Driver.h"
#include "platform/qt/FullScreenDevice.h"
#include "platform/qt/QtPeer.h"

namespace qt {
namespace {

std::unique_ptr<QtPeer>& ThePeer() {
  static auto* peer = new std::unique_ptr<QtPeer>();  // outlives the forms that use it
  return *peer;
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Qt's choice when none is named is the X display.
bool OnX11() {
  const std::string platform = Variable("QT_QPA_PLATFORM");
  return platform.empty() || platform.starts_with("xcb");
}

}  // namespace

bool Install() {
  if (ThePeer()) return true;
  // Qt ends the process when it cannot reach its X display, so that is tried first.
  if (OnX11() && (Variable("DISPLAY").empty() || !NativeWindows::DisplayAnswers())) return false;
  ThePeer() = std::make_unique<QtPeer>();
  QtPeer& peer = *ThePeer();
  user::SetPeer(&peer);
  ddraw::SetDeviceFactory(
      [&peer](HWND window, int monitor) { return std::make_unique<FullScreenDevice>(window, monitor, peer); });
  ddraw::SetMonitorSource([&peer] { return peer.ScreenCount(); });
  return true;
}

std::string NoDisplayMessage() {
  const std::string display = Variable("DISPLAY");
  return display.empty() ? "cannot open the display: DISPLAY is not set" : "cannot open the display \"" + display + "\"";
}

void Uninstall() {
  if (!ThePeer()) return;
  ddraw::SetDeviceFactory(nullptr);
  ddraw::SetMonitorSource(nullptr);
  user::SetPeer(nullptr);
  ThePeer().reset();
}

}  // namespace qt
