// Installs the Qt peer into the window layer and the full-screen device into DirectDraw, once
// the platform Qt will start on is known to be there: Qt aborts the process when it is not.
#include "platform/qt/QtPlatform.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <vector>

#include "platform/ddraw/Driver.h"
#include "platform/qt/FullScreenDevice.h"
#include "platform/qt/PlatformPlugins.h"
#include "platform/qt/QtPeer.h"

namespace qt {
namespace {

std::string failure;  // main thread only, like Install

std::unique_ptr<QtPeer>& ThePeer() {
  static auto* peer = new std::unique_ptr<QtPeer>();  // outlives the forms that use it
  return *peer;
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The platforms Qt tries in turn, without their options ("xcb:option"); its own choice when
// none is named is the X display.
std::vector<std::string> PlatformsToTry() {
  std::string list = Variable("QT_QPA_PLATFORM");
  if (list.empty()) list = "xcb";
  std::vector<std::string> platforms;
  std::istringstream entries(list);
  for (std::string entry; std::getline(entries, entry, ';');) platforms.push_back(entry.substr(0, entry.find(':')));
  return platforms;
}

std::string NoDisplay() {
  const std::string display = Variable("DISPLAY");
  return display.empty() ? "cannot open the display: DISPLAY is not set" : "cannot open the display \"" + display + "\"";
}

std::string NotInstalled(const std::vector<std::string>& platforms) {
  if (platforms.size() == 1) return "the Qt platform \"" + platforms.front() + "\" is not installed";
  std::string names;
  for (const std::string& name : platforms) names += (names.empty() ? "\"" : ", \"") + name + "\"";
  return "none of the Qt platforms " + names + " is installed";
}

// Qt's windows stay black on a screen of colour-mapped pixels, and the display device shows
// frames of 16, 24 and 32 bits.
std::string ScreenProblem() {
  const NativeWindows::ScreenPixels pixels = NativeWindows::ScreenPixelFormat();
  const int bits = pixels.bitsPerPixel;
  if (pixels.trueColor && (bits == 16 || bits == 24 || bits == 32)) return "";
  return "the desktop has " + std::to_string(bits) + " bits per pixel; it must have 16, 24 or 32";
}

// Why Qt cannot start and draw on any of the platforms it would try; empty when it can. Qt
// passes over an X display that does not answer to the next platform named, and ends the
// process when none is left.
std::string StartProblem() {
  const std::set<std::string> installed = InstalledPlatforms();
  std::vector<std::string> missing;
  bool displayTried = false;
  for (const std::string& platform : PlatformsToTry()) {
    if (!installed.count(Lower(platform))) {
      missing.push_back(platform);
    } else if (Lower(platform) != "xcb") {
      return "";
    } else if (!Variable("DISPLAY").empty() && NativeWindows::DisplayAnswers()) {
      return ScreenProblem();
    } else {
      displayTried = true;
    }
  }
  return displayTried ? NoDisplay() : NotInstalled(missing);
}

}  // namespace

bool Install() {
  if (ThePeer()) return true;
  failure = StartProblem();
  if (!failure.empty()) return false;
  ThePeer() = std::make_unique<QtPeer>();
  QtPeer& peer = *ThePeer();
  user::SetPeer(&peer);
  ddraw::SetDeviceFactory(
      [&peer](HWND window, int monitor) { return std::make_unique<FullScreenDevice>(window, monitor, peer); });
  ddraw::SetMonitorSource([&peer] { return peer.ScreenCount(); });
  return true;
}

std::string InstallFailure() { return failure; }

void Uninstall() {
  if (!ThePeer()) return;
  ddraw::SetDeviceFactory(nullptr);
  ddraw::SetMonitorSource(nullptr);
  user::SetPeer(nullptr);
  ThePeer().reset();
}

}  // namespace qt
