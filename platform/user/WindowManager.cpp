// The window manager over this program's windows: lookup by class and caption, owners, the
// active window, show states, positions with frames, and the system commands windows leave to it.
#include <algorithm>
#include <cstring>

#include "platform/user/UserInternal.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/NameKey.h"

namespace user {
namespace {

HWND activeWindow = nullptr;  // main thread only, like the windows' handlers

HWND TopLevelOf(HWND hwnd) {
  for (auto e = detail::EntryOf(hwnd); e; e = detail::EntryOf(e->state.parent))
    if (!e->state.parent) return e->hwnd;
  return nullptr;
}

void Activate(HWND top) {
  if (!top) return;
  activeWindow = top;
  // Every owner up the chain remembers it as its last active popup.
  for (auto e = detail::EntryOf(top); e && e->extra.owner; e = detail::EntryOf(e->extra.owner))
    detail::UpdateExtra(e->extra.owner, [top](detail::WindowExtra& x) { x.lastActivePopup = top; });
  if (Peer* peer = GetPeer()) peer->ActivateWindow(top);
}

void SetShow(HWND hwnd, ShowState show) {
  bool changed = false;
  detail::UpdateExtra(hwnd, [&](detail::WindowExtra& x) {
    changed = x.show != show;
    x.show = show;
  });
  if (changed)
    if (Peer* peer = GetPeer()) peer->SetShowState(hwnd, show);
}

}  // namespace

SIZE FrameSize(Frame frame) {
  const int border = GetSystemMetrics(SM_CXBORDER), caption = GetSystemMetrics(SM_CYCAPTION);
  switch (frame) {
    case Frame::None: return {0, 0};
    case Frame::Sizeable: return {8 * border, 8 * border + caption};
    case Frame::SizeToolWin: return {8 * border, 8 * border + caption - 4};
    case Frame::ToolWindow: return {6 * border, 6 * border + caption - 4};
    case Frame::Single:
    case Frame::Dialog: return {6 * border, 6 * border + caption};
  }
  return {0, 0};
}

namespace detail {

void ForgetActive(const std::vector<HWND>& windows) {
  if (std::find(windows.begin(), windows.end(), activeWindow) != windows.end()) activeWindow = nullptr;
}

void ResetActive() { activeWindow = nullptr; }

}  // namespace detail
}  // namespace user

using namespace user;

BOOL ShowWindow(HWND hwnd, int command) {
  std::optional<WindowState> state = GetWindowState(hwnd);
  if (!state) return FALSE;
  const bool wasVisible = state->visible;
  state->visible = command != SW_HIDE;
  if (state->visible != wasVisible) UpdateWindow(hwnd, *state);
  switch (command) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE: SetShow(hwnd, ShowState::Minimized); break;
    case SW_SHOWMAXIMIZED: SetShow(hwnd, ShowState::Maximized); break;
    case SW_SHOWNORMAL:
    case SW_RESTORE: SetShow(hwnd, ShowState::Normal); break;
    default: break;
  }
  const bool activates = command == SW_SHOWNORMAL || command == SW_SHOW || command == SW_SHOWMAXIMIZED ||
                         command == SW_SHOWMINIMIZED || command == SW_RESTORE;
  if (activates && !state->parent) Activate(hwnd);
  if ((command == SW_HIDE || command == SW_MINIMIZE) && activeWindow == hwnd) activeWindow = nullptr;
  return wasVisible ? TRUE : FALSE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  const std::string key = className ? win32::NameKey(className) : std::string();
  for (const detail::WindowEntry& e : detail::OwnWindows()) {
    if (e.state.parent) continue;
    if (className && win32::NameKey(e.state.className) != key) continue;
    if (windowName && e.state.caption != windowName) continue;
    return e.hwnd;
  }
  return nullptr;
}

int GetClassNameA(HWND hwnd, LPSTR name, int size) {
  const auto e = detail::EntryOf(hwnd);
  if (!e || !name || size <= 0) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  const auto length = static_cast<int>(std::min<std::size_t>(e->state.className.size(), static_cast<std::size_t>(size - 1)));
  std::memcpy(name, e->state.className.data(), static_cast<std::size_t>(length));
  name[length] = '\0';
  return length;
}

LONG_PTR GetWindowLongA(HWND hwnd, int index) {
  const auto e = detail::EntryOf(hwnd);
  if (!e) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(e->state.parent ? e->state.parent : e->extra.owner);
    case GWL_EXSTYLE: return static_cast<LONG_PTR>(e->extra.exStyle);
    case GWL_STYLE:
      return static_cast<LONG_PTR>((e->state.enabled ? 0 : WS_DISABLED) |
                                   (e->extra.show == ShowState::Minimized ? WS_MINIMIZE : 0) |
                                   (e->extra.show == ShowState::Maximized ? WS_MAXIMIZE : 0));
    default: return 0;
  }
}

LONG_PTR SetWindowLongA(HWND hwnd, int index, LONG_PTR value) {
  const LONG_PTR previous = GetWindowLongA(hwnd, index);
  detail::UpdateExtra(hwnd, [&](detail::WindowExtra& x) {
    if (index == GWL_EXSTYLE) x.exStyle = static_cast<DWORD>(value);
    if (index == GWL_HWNDPARENT) x.owner = reinterpret_cast<HWND>(value);
  });
  return previous;
}

HWND GetDesktopWindow() { return reinterpret_cast<HWND>(std::uintptr_t{0x7FFF0010}); }

HWND GetLastActivePopup(HWND hwnd) {
  const auto e = detail::EntryOf(hwnd);
  if (!e) return nullptr;
  return e->extra.lastActivePopup && IsWindow(e->extra.lastActivePopup) ? e->extra.lastActivePopup : hwnd;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam) {
  if (!proc) return FALSE;
  for (const detail::WindowEntry& e : detail::OwnWindows())
    if (!e.state.parent && e.extra.thread == threadId && !proc(e.hwnd, lParam)) return FALSE;
  return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  const auto e = detail::EntryOf(hwnd);
  if (!e) return 0;
  if (processId) *processId = GetCurrentProcessId();
  return e->extra.thread;
}

HWND GetActiveWindow() {
  const auto e = detail::EntryOf(activeWindow);
  return e && e->extra.thread == GetCurrentThreadId() ? activeWindow : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
  const HWND previous = GetActiveWindow();
  const auto e = detail::EntryOf(hwnd);
  if (!e || e->extra.thread != GetCurrentThreadId()) return nullptr;
  Activate(TopLevelOf(hwnd));
  return previous;
}

HWND GetForegroundWindow() { return activeWindow; }

BOOL SetForegroundWindow(HWND hwnd) {
  const HWND top = TopLevelOf(hwnd);
  if (!top) return FALSE;
  Activate(top);
  return TRUE;
}

BOOL IsIconic(HWND hwnd) {
  const auto e = detail::EntryOf(hwnd);
  return e && e->extra.show == ShowState::Minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
  const auto e = detail::EntryOf(hwnd);
  return e && e->extra.show == ShowState::Maximized ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  const auto e = detail::EntryOf(hwnd);
  return e && e->state.enabled ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  std::optional<WindowState> state = GetWindowState(hwnd);
  if (!state) return FALSE;
  const bool wasDisabled = !state->enabled;
  if (state->enabled != (enable != FALSE)) {
    state->enabled = enable != FALSE;
    UpdateWindow(hwnd, *state);
  }
  return wasDisabled ? TRUE : FALSE;
}

BOOL SetWindowPos(HWND hwnd, HWND, int x, int y, int cx, int cy, UINT flags) {
  std::optional<WindowState> state = GetWindowState(hwnd);
  if (!state) return FALSE;
  if (!(flags & SWP_NOMOVE)) {
    state->left = x;
    state->top = y;
  }
  if (!(flags & SWP_NOSIZE)) {
    const SIZE frame = FrameSize(state->parent ? Frame::None : state->frame);
    state->width = std::max<int>(cx - frame.cx, 0);
    state->height = std::max<int>(cy - frame.cy, 0);
  }
  if (flags & SWP_SHOWWINDOW) state->visible = true;
  if (flags & SWP_HIDEWINDOW) state->visible = false;
  UpdateWindow(hwnd, *state);
  if (!(flags & SWP_NOACTIVATE) && !state->parent && state->visible) Activate(hwnd);
  return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  const std::optional<WindowState> state = GetWindowState(hwnd);
  if (!state || !rect) return FALSE;
  const SIZE frame = FrameSize(state->parent ? Frame::None : state->frame);
  POINT origin{state->left, state->top};
  for (auto p = detail::EntryOf(state->parent); p; p = detail::EntryOf(p->state.parent)) {
    origin.x += p->state.left;
    origin.y += p->state.top;
  }
  *rect = {origin.x, origin.y, origin.x + state->width + frame.cx, origin.y + state->height + frame.cy};
  return TRUE;
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_SYSCOMMAND) return 0;
  switch (wParam & 0xFFF0) {
    case SC_MINIMIZE: ShowWindow(hwnd, SW_MINIMIZE); break;
    case SC_MAXIMIZE: ShowWindow(hwnd, SW_SHOWMAXIMIZED); break;
    case SC_RESTORE: ShowWindow(hwnd, SW_RESTORE); break;
    case SC_CLOSE: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
    default: break;
  }
  return 0;
}
