// Windows of other programs on the X11 display, named by their window id (the preview's host
// window): whether they exist and are viewable, their size, and drawing into them.
#pragma once

#include <memory>
#include <optional>

#include "platform/gdi/GdiMemory.h"
#include "platform/user/UserPeer.h"

namespace qt {

// Every call guards against X errors, so an id that names no window (or one that goes away
// meanwhile) gives "no window" instead of ending the program. Without an X display every
// id names no window.
class NativeWindows {
 public:
  NativeWindows();
  ~NativeWindows();
  NativeWindows(const NativeWindows&) = delete;
  NativeWindows& operator=(const NativeWindows&) = delete;

  // Whether the X display named by DISPLAY accepts a connection (asked a few times over half
  // a second). The connection stays open, for the native windows to use, so the server does
  // not reset before the program's other connections are made.
  static bool DisplayAnswers();

  // The pixels of that display's screen: their size in memory, and whether they hold their
  // colours (TrueColor) rather than indices into a colour map, which Qt's windows cannot show.
  // Asked on the connection DisplayAnswers() holds; all zero without one.
  struct ScreenPixels {
    int bitsPerPixel = 0;
    bool trueColor = false;
  };
  static ScreenPixels ScreenPixelFormat();

  bool Exists(user::NativeId id);
  bool Viewable(user::NativeId id);
  std::optional<SIZE> Size(user::NativeId id);
  void Read(user::NativeId id, const gdi::PixelBuffer& pixels);
  void Put(user::NativeId id, const gdi::PixelBuffer& pixels);

 private:
  struct Connection;
  Connection* Open();
  std::unique_ptr<Connection> connection_;
  bool tried_ = false;
};

}  // namespace qt
