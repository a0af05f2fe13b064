// Installs the Qt peer into the window layer and the full-screen device into DirectDraw.
#include "platform/qt/QtPlatform.h"

#include <cstdlib>
#include <memory>

#include "platform/qt/FullScreenDevice.h"
#include "platform/qt/QtPeer.h"

namespace qt {
namespace {

std::unique_ptr<QtPeer>& ThePeer() {
  static auto* peer = new std::unique_ptr<QtPeer>();  // outlives the forms that use it
  return *peer;
}

bool Wanted(const char* variable) {
  const char* value = std::getenv(variable);
  return value && *value;
}

}  // namespace

bool Install() {
  if (ThePeer()) return true;
  // Qt ends the process when it cannot reach its display, so an unreachable one means headless.
  if (!Wanted("QT_QPA_PLATFORM") && !(Wanted("DISPLAY") && NativeWindows::DisplayAnswers())) return false;
  ThePeer() = std::make_unique<QtPeer>();
  QtPeer& peer = *ThePeer();
  user::SetPeer(&peer);
  ddraw::SetDeviceFactory([&peer](HWND window) { return std::make_unique<FullScreenDevice>(window, peer); });
  return true;
}

void Uninstall() {
  if (!ThePeer()) return;
  ddraw::SetDeviceFactory(nullptr);
  user::SetPeer(nullptr);
  ThePeer().reset();
}

}  // namespace qt
