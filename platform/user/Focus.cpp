// The keyboard focus, messages sent at once, and the beep.
#include "platform/user/UserInternal.h"

namespace {

HWND focusWindow = nullptr;  // main thread only

}  // namespace

using namespace user;

HWND SetFocus(HWND hwnd) {
  if (hwnd && !detail::IsOwnWindow(hwnd)) return nullptr;
  const HWND previous = focusWindow;
  focusWindow = hwnd;
  return previous;
}

HWND GetFocus() { return detail::IsOwnWindow(focusWindow) ? focusWindow : nullptr; }

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const MessageHandler handler = detail::HandlerOf(hwnd);
  return handler ? handler(MSG{hwnd, message, wParam, lParam, 0, {0, 0}}) : 0;
}

BOOL MessageBeep(UINT) {
  if (Peer* peer = GetPeer()) peer->Beep();
  return TRUE;
}
