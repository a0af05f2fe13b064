// The window layer's Qt peer: one widget per window record, message boxes, the cursor, the
// screen count, the event loop and the native windows of the desktop.
#pragma once

#include <QPointer>
#include <map>

#include "platform/qt/NativeWindows.h"
#include "platform/qt/QtClipboard.h"
#include "platform/qt/WindowWidget.h"
#include "platform/user/UserPeer.h"

namespace qt {

class QtPeer : public user::Peer {
 public:
  QtPeer();
  ~QtPeer() override;

  // The widget that shows a window; null when it has none.
  WindowWidget* WidgetOf(HWND hwnd) const;

  void StartToolkit() override;
  void WindowChanged(HWND hwnd, const user::WindowState& state) override;
  void WindowDestroyed(HWND hwnd) override;
  void ShowPixels(HWND hwnd, const gdi::PixelBuffer& pixels) override;
  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  std::optional<int> ShowMessageDialog(HWND owner, const user::MessageDialog& dialog) override;
  void SetCursorVisible(bool visible) override;
  void SetScreenCursor(const user::CursorImage* cursor) override;
  void Beep() override;
  void ActivateWindow(HWND hwnd) override;
  void SetShowState(HWND hwnd, user::ShowState state) override;
  void PublishClipboard(const std::vector<user::ClipboardItem>& items) override { clipboard_.Publish(items); }
  std::optional<std::vector<user::ClipboardItem>> ReadClipboard() override { return clipboard_.Read(); }
  int ScreenCount() override;
  void PumpEvents() override;
  void WaitEvents() override;
  void Wake() override;
  bool NativeWindowExists(user::NativeId id) override { return native_.Exists(id); }
  bool NativeWindowViewable(user::NativeId id) override { return native_.Viewable(id); }
  std::optional<SIZE> NativeWindowSize(user::NativeId id) override { return native_.Size(id); }
  void ReadNativePixels(user::NativeId id, const gdi::PixelBuffer& pixels) override { native_.Read(id, pixels); }
  void PutNativePixels(user::NativeId id, const gdi::PixelBuffer& pixels) override { native_.Put(id, pixels); }

 private:
  // Children are deleted by Qt with their parent, so the map only watches them.
  std::map<HWND, QPointer<WindowWidget>> widgets_;
  // The override cursors this peer has pushed: a blank one while hidden, else the screen's.
  void ApplyCursor();
  bool cursorHidden_ = false;
  std::optional<user::CursorImage> screenCursor_;
  int overrides_ = 0;
  NativeWindows native_;
  Clipboard clipboard_;
};

}  // namespace qt
