// The window layer's Qt peer: one widget per window record, message boxes, the cursor, the
// screen count, the event loop and the native windows of the desktop.
#pragma once

#include <QPointer>
#include <QTimer>
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

  // The plain widget that shows a window; null when it has none or another kind.
  WindowWidget* WidgetOf(HWND hwnd) const;
  // The widget of any kind that shows a window; null when it has none.
  PeerWidget* PeerOf(HWND hwnd) const;
  // The widget a box of `owner` is centred on: the owner's once it is shown, else none.
  QWidget* BoxParentOf(HWND owner) const;

  void StartToolkit() override;
  void WindowChanged(HWND hwnd, const user::WindowState& state) override;
  void WindowDestroyed(HWND hwnd) override;
  void ShowPixels(HWND hwnd, const gdi::PixelBuffer& pixels) override;
  int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
  std::optional<int> ShowMessageDialog(HWND owner, const user::MessageDialog& dialog) override;
  void SetCursorVisible(bool visible) override;
  void SetScreenCursor(const user::CursorImage* cursor) override;
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
  void WaitEventsFor(int milliseconds) override;
  void SetFocus(HWND hwnd) override;
  void Beep() override;
  std::optional<COLORREF> ChooseColor(HWND owner, COLORREF initial) override;
  bool OpenUrl(const std::string& url) override;

 private:
  // Children are deleted by Qt with their parent, so the map only watches them.
  std::map<HWND, QPointer<QWidget>> widgets_;
  std::unique_ptr<QTimer> alarm_;  // ends a wait when a window timer is due
  // The override cursors this peer has pushed: a blank one while hidden, else the screen's.
  void ApplyCursor();
  bool cursorHidden_ = false;
  std::optional<user::CursorImage> screenCursor_;
  int overrides_ = 0;
  NativeWindows native_;
  Clipboard clipboard_;
};

}  // namespace qt
