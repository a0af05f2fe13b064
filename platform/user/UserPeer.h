// The window layer's own seams: window records that the class library creates, the peer through
// which a toolkit shows them and reports input, and the switches tests use instead of a toolkit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/GdiMemory.h"
#include "platform/user/Clipboard.h"
#include "platform/user/Icons.h"
#include "platform/user/WinUser.h"

namespace user {

enum class Frame { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };

// What a window shows. Sizes are of the client area; positions are on the desktop for top-level
// windows and in the parent's client area for child windows.
struct WindowState {
  HWND parent = nullptr;
  std::string caption;
  Frame frame = Frame::Sizeable;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool visible = false;
  COLORREF color = 0;
  std::string className;  // the class library's class name of the control
  bool enabled = true;
};

// The frame a window of that kind has around its client area, across and down.
SIZE FrameSize(Frame frame);

// Whether a top-level window is shown at its own size, as an icon, or over the whole screen.
enum class ShowState { Normal, Minimized, Maximized };

// Receives the messages DispatchMessageA hands to a window (the class library's window procedure).
using MessageHandler = std::function<LRESULT(const MSG&)>;

HWND CreateWindowRecord(const WindowState& state, MessageHandler handler);
// Replaces what the window shows; the peer is told.
void UpdateWindow(HWND hwnd, const WindowState& state);
std::optional<WindowState> GetWindowState(HWND hwnd);

// Keys and buttons held while an input event happened; GetKeyState reports them.
struct HeldKeys {
  bool shift = false;
  bool control = false;
  bool alt = false;
  bool left = false;
  bool right = false;
  bool middle = false;
};
// The one entry for input: queues `message` for `hwnd` with the keys held at that moment.
// Mouse messages get their MK_ flags from `held`. Any thread.
void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const HeldKeys& held = {});

// A native window of the desktop, outside this program.
using NativeId = std::uintptr_t;

// A dialog with a text and a row of buttons, as the class library's message dialog asks for one.
struct DialogButton {
  std::string caption;
  int result = 0;
};
struct MessageDialog {
  std::string caption;
  std::string text;
  UINT icon = 0;  // one of the MB_ICON values, or 0
  std::vector<DialogButton> buttons;
  int defaultButton = 0;  // indices into `buttons`
  int cancelButton = 0;
};

// A toolkit plugs in here; without one the layer runs headless. The peer shows state and
// reports input through PostInput; it keeps no state of the program. Called on the main thread
// unless said otherwise.
class Peer {
 public:
  virtual ~Peer() = default;
  // Makes the toolkit ready; the application object's Initialize calls it, and so does every
  // wait for input, before it looks at the queue.
  virtual void StartToolkit() = 0;
  virtual void WindowChanged(HWND hwnd, const WindowState& state) = 0;
  virtual void WindowDestroyed(HWND hwnd) = 0;
  // A window device context was released: show its pixels (32 bits, client size).
  virtual void ShowPixels(HWND hwnd, const gdi::PixelBuffer& pixels) = 0;
  virtual int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
  // The index of the button pressed; none when the toolkit shows no such dialogs.
  virtual std::optional<int> ShowMessageDialog(HWND /*owner*/, const MessageDialog& /*dialog*/) { return std::nullopt; }
  virtual void SetCursorVisible(bool visible) = 0;
  virtual void Beep() {}
  // A top-level window comes to the front and takes the keyboard; its show state changed.
  virtual void ActivateWindow(HWND /*hwnd*/) {}
  virtual void SetShowState(HWND /*hwnd*/, ShowState /*state*/) {}
  // The cursor over all of the program's windows; null lets each window show its own.
  virtual void SetScreenCursor(const CursorImage* /*cursor*/) {}
  // The desktop's clipboard: this program's items are published; another program's are read
  // back (none while this program owns the clipboard, or when the toolkit has none).
  virtual void PublishClipboard(const std::vector<ClipboardItem>& /*items*/) {}
  virtual std::optional<std::vector<ClipboardItem>> ReadClipboard() { return std::nullopt; }
  virtual int ScreenCount() = 0;
  // Delivers pending toolkit events without waiting; WaitEvents waits for at least one.
  virtual void PumpEvents() = 0;
  virtual void WaitEvents() = 0;
  // Ends a WaitEvents from any thread.
  virtual void Wake() = 0;
  virtual bool NativeWindowExists(NativeId id) = 0;
  virtual bool NativeWindowViewable(NativeId id) = 0;
  virtual std::optional<SIZE> NativeWindowSize(NativeId id) = 0;
  // A device context on a native window starts from what the window shows and puts it back.
  virtual void ReadNativePixels(NativeId id, const gdi::PixelBuffer& pixels) = 0;
  virtual void PutNativePixels(NativeId id, const gdi::PixelBuffer& pixels) = 0;
};
// Not owned; null removes it.
void SetPeer(Peer* peer);
Peer* GetPeer();

// Test seams.
struct MessageBoxCall {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};
// While one lives, message boxes are recorded here instead of shown, and answer IDOK.
class ScopedMessageBoxSink {
 public:
  ScopedMessageBoxSink();
  ~ScopedMessageBoxSink();
  ScopedMessageBoxSink(const ScopedMessageBoxSink&) = delete;
  ScopedMessageBoxSink& operator=(const ScopedMessageBoxSink&) = delete;
  const std::vector<MessageBoxCall>& Calls() const { return calls_; }
  void Record(MessageBoxCall call) { calls_.push_back(std::move(call)); }

 private:
  std::vector<MessageBoxCall> calls_;
  ScopedMessageBoxSink* previous_;
};

bool ScreenSaverRunning();
int CursorCounter();
// Overrides the monitor count that SM_CMONITORS reports (std::nullopt: the peer's, or 1).
void SetMonitorCount(std::optional<int> count);
// Back to the state of a fresh program: no windows, empty queue, counter 0, flag clear, an
// empty clipboard.
void ResetForTest();

}  // namespace user
