// The window layer's own seams: window records that the class library creates, the peer through
// which a toolkit shows them and reports input, and the switches tests use instead of a toolkit.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/GdiMemory.h"
#include "platform/user/Clipboard.h"
#include "platform/user/Icons.h"
#include "platform/user/WinUser.h"

namespace user {

enum class Frame { None, Single, Sizeable, Dialog, ToolWindow, SizeToolWin };

// The kind of window: a plain one shows the pixels drawn into it; a message-only one is never
// shown; the others are controls that a peer shows with a widget of their kind.
enum class WindowClass { Plain, MessageOnly, Edit, Memo, Button, CheckBox, RadioButton, ComboBox, TrackBar, TabControl };

struct FontState {
  std::string face;
  int height = -11;  // as LOGFONTA's lfHeight: negative is the character height in pixels
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  COLORREF color = 0;
};

// Items a peer lists (a combo box's); the control owns them and the peer reads them on the main
// thread whenever it needs them, so a long list is never copied.
class ItemList {
 public:
  virtual ~ItemList() = default;
  virtual int Count() const = 0;
  virtual std::string_view Item(int index) const = 0;
};

struct EditState {
  int selStart = 0;
  int selLength = 0;
  // The formatting rectangle in client coordinates; empty: the whole client area.
  RECT textRect{0, 0, 0, 0};
  int alignment = 0;  // ES_LEFT, ES_CENTER or ES_RIGHT
  bool readOnly = false;
};

struct ButtonState {
  int checked = 0;  // 0 unchecked, 1 checked
  bool isDefault = false;
};

struct ListState {
  const ItemList* items = nullptr;
  int itemIndex = -1;
  bool droppedDown = false;
};

struct RangeState {
  int min = 0;
  int max = 10;
  int position = 0;
  int frequency = 1;    // a tick every this many positions
  int thumbLength = 20;
  bool ticksBelow = true;
};

struct TabsState {
  std::vector<std::string> tabs;
  int tabIndex = -1;
};

// What a window shows. Sizes are of the client area; positions are on the desktop for top-level
// windows and in the parent's client area for child windows. A child's border lies around its
// client area, so its widget is 2 x border larger.
struct WindowState {
  HWND parent = nullptr;
  std::string caption;  // a control's text: the edit's, the button's caption
  Frame frame = Frame::Sizeable;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool visible = false;
  COLORREF color = 0;
  std::string className;  // the class library's class name of the control
  WindowClass windowClass = WindowClass::Plain;
  bool enabled = true;
  int border = 0;
  FontState font;
  int cursor = 0;  // a standard cursor (the class library's crXxx values); 0: the parent's
  EditState edit;
  ButtonState button;
  ListState list;
  RangeState range;
  TabsState tabs;
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

  // What only a desktop can do; a peer without one leaves these as they are.
  // WaitEvents that also ends after `milliseconds` (a window timer is due then).
  virtual void WaitEventsFor(int milliseconds) {
    (void)milliseconds;
    WaitEvents();
  }
  // Shows the keyboard focus on the window's widget.
  virtual void SetFocus(HWND hwnd) { (void)hwnd; }
  virtual void Beep() {}
  // A modal colour choice starting at `initial`; none when the user cancels.
  virtual std::optional<COLORREF> ChooseColor(HWND owner, COLORREF initial) {
    (void)owner;
    (void)initial;
    return std::nullopt;
  }
  // Hands a web address or a "mailto:" link to the desktop's opener; false when it refuses.
  virtual bool OpenUrl(const std::string& url) {
    (void)url;
    return false;
  }
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
  void Record(MessageBoxCall call) {
    if (OnShow) OnShow(call);
    calls_.push_back(std::move(call));
  }
  // Runs while each box is up, so a test sees the program's state at that moment.
  std::function<void(const MessageBoxCall&)> OnShow;

 private:
  std::vector<MessageBoxCall> calls_;
  ScopedMessageBoxSink* previous_;
};

// While one lives, ShellExecuteA calls are recorded here instead of opened, and succeed.
struct ShellExecuteCall {
  HWND owner;
  std::string verb;
  std::string file;
  std::string parameters;
  std::string directory;
  int show;
};
class ScopedShellExecuteSink {
 public:
  ScopedShellExecuteSink();
  ~ScopedShellExecuteSink();
  ScopedShellExecuteSink(const ScopedShellExecuteSink&) = delete;
  ScopedShellExecuteSink& operator=(const ScopedShellExecuteSink&) = delete;
  const std::vector<ShellExecuteCall>& Calls() const { return calls_; }
  void Record(ShellExecuteCall call) { calls_.push_back(std::move(call)); }

 private:
  std::vector<ShellExecuteCall> calls_;
  ScopedShellExecuteSink* previous_;
};

// While one lives, the colour dialog is not shown: it answers `answer` (none: cancelled) and
// records the colour it was opened on.
class ScopedColorDialogAnswer {
 public:
  explicit ScopedColorDialogAnswer(std::optional<COLORREF> answer);
  ~ScopedColorDialogAnswer();
  ScopedColorDialogAnswer(const ScopedColorDialogAnswer&) = delete;
  ScopedColorDialogAnswer& operator=(const ScopedColorDialogAnswer&) = delete;
  std::optional<COLORREF> Answer(COLORREF initial) {
    openedOn_.push_back(initial);
    return answer_;
  }
  const std::vector<COLORREF>& OpenedOn() const { return openedOn_; }

 private:
  std::optional<COLORREF> answer_;
  std::vector<COLORREF> openedOn_;
  ScopedColorDialogAnswer* previous_;
};

// The millisecond clock window timers run on (null: a steady clock); main thread only.
void SetTimerClock(std::function<DWORD()> clock);
// How many times MessageBeep was called since the last reset.
int BeepCount();

bool ScreenSaverRunning();
int CursorCounter();
// Overrides the monitor count that SM_CMONITORS reports (std::nullopt: the peer's, or 1).
void SetMonitorCount(std::optional<int> count);
// Back to the state of a fresh program: no windows, timers or focus, empty queue, counter 0,
// flag clear, an empty clipboard, the steady timer clock.
void ResetForTest();

}  // namespace user
