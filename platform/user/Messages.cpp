// The program's one input queue: messages in the order they were posted, the keys held with
// each, dispatch to the window's handler, and waiting for input with or without a toolkit.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/user/UserInternal.h"

namespace user {
namespace {

struct Queued {
  MSG msg;
  HeldKeys held;
};

struct Queue {
  std::mutex lock;
  std::condition_variable posted;
  std::deque<Queued> messages;
  bool quit = false;
  int quitCode = 0;
};

Queue& queue() {
  static Queue q;
  return q;
}

// The keys held when the message last taken from the queue was posted (main thread only).
HeldKeys currentKeys;

DWORD Now() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

bool Matches(const MSG& m, HWND hwnd, UINT min, UINT max) {
  if (hwnd && m.hwnd != hwnd) return false;
  return (min == 0 && max == 0) || (m.message >= min && m.message <= max);
}

WPARAM MouseFlags(const HeldKeys& held) {
  return (held.left ? MK_LBUTTON : 0) | (held.right ? MK_RBUTTON : 0) | (held.middle ? MK_MBUTTON : 0) |
         (held.shift ? MK_SHIFT : 0) | (held.control ? MK_CONTROL : 0);
}

void Push(const MSG& msg, const HeldKeys& held) {
  Queue& q = queue();
  {
    std::lock_guard g(q.lock);
    q.messages.push_back({msg, held});
  }
  q.posted.notify_all();
  if (Peer* peer = GetPeer()) peer->Wake();
}

}  // namespace

void PostInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, const HeldKeys& held) {
  if (message >= WM_MOUSEMOVE && message <= WM_MBUTTONUP) wParam = MouseFlags(held);
  Push(MSG{hwnd, message, wParam, lParam, Now(), {0, 0}}, held);
}

namespace detail {

void DropMessages(const std::vector<HWND>& windows) {
  Queue& q = queue();
  std::lock_guard g(q.lock);
  std::erase_if(q.messages, [&](const Queued& e) {
    return std::find(windows.begin(), windows.end(), e.msg.hwnd) != windows.end();
  });
}

void ResetQueue() {
  Queue& q = queue();
  std::lock_guard g(q.lock);
  q.messages.clear();
  q.quit = false;
  q.quitCode = 0;
  currentKeys = {};
}

}  // namespace detail
}  // namespace user

using namespace user;

BOOL PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd && !detail::IsOwnWindow(hwnd)) return FALSE;
  Push(MSG{hwnd, message, wParam, lParam, Now(), {0, 0}}, {});
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  Queue& q = queue();
  {
    std::lock_guard g(q.lock);
    q.quit = true;
    q.quitCode = exitCode;
  }
  q.posted.notify_all();
  if (Peer* peer = GetPeer()) peer->Wake();
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
  if (!msg) return FALSE;
  if (Peer* peer = GetPeer()) peer->PumpEvents();
  Queue& q = queue();
  std::lock_guard g(q.lock);
  for (auto it = q.messages.begin(); it != q.messages.end(); ++it) {
    if (!Matches(it->msg, hwnd, filterMin, filterMax)) continue;
    *msg = it->msg;
    if (remove & PM_REMOVE) {
      currentKeys = it->held;
      q.messages.erase(it);
    }
    return TRUE;
  }
  // The quit request comes after every other message, as on the platform.
  if (q.quit && Matches(MSG{nullptr, WM_QUIT, 0, 0, 0, {}}, nullptr, filterMin, filterMax)) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, Now(), {0, 0}};
    if (remove & PM_REMOVE) q.quit = false;
    return TRUE;
  }
  return FALSE;
}

BOOL WaitMessage() {
  Queue& q = queue();
  // The toolkit must be up before the queue is looked at, so a post from now on wakes its wait.
  Peer* peer = GetPeer();
  if (peer) peer->StartToolkit();
  {
    std::lock_guard g(q.lock);
    if (!q.messages.empty() || q.quit) return TRUE;
  }
  if (peer) {
    peer->WaitEvents();
    return TRUE;
  }
  std::unique_lock g(q.lock);
  q.posted.wait(g, [&] { return !q.messages.empty() || q.quit; });
  return TRUE;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg || !msg->hwnd) return 0;
  const MessageHandler handler = detail::HandlerOf(msg->hwnd);
  return handler ? handler(*msg) : 0;
}

SHORT GetKeyState(int virtualKey) {
  bool down = false;
  switch (virtualKey) {
    case VK_SHIFT: down = currentKeys.shift; break;
    case VK_CONTROL: down = currentKeys.control; break;
    case VK_MENU: down = currentKeys.alt; break;
    case VK_LBUTTON: down = currentKeys.left; break;
    case VK_RBUTTON: down = currentKeys.right; break;
    case VK_MBUTTON: down = currentKeys.middle; break;
    default: break;
  }
  return down ? static_cast<SHORT>(0x8000) : 0;
}
