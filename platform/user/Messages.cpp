// The program's one input queue: messages in the order they were posted, the keys held with
// each, dispatch to the window's handler, and waiting for input with or without a toolkit.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
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

// Window timers are set, taken and waited for on the main thread only, so they need no lock.
struct Timer {
  HWND hwnd;
  UINT_PTR id;
  DWORD interval;
  DWORD due;
};
std::vector<Timer> timers;
std::function<DWORD()> timerClock;
constexpr UINT kMinimumInterval = 10;

DWORD TimerNow() { return timerClock ? timerClock() : Now(); }

// Milliseconds from `now` until the timer is due; 0 or less when it is.
std::int32_t Remaining(const Timer& t, DWORD now) { return static_cast<std::int32_t>(t.due - now); }

// The matching timer that has waited longest past its time, if any is due.
Timer* DueTimer(HWND hwnd, DWORD now) {
  Timer* due = nullptr;
  for (Timer& t : timers) {
    if ((hwnd && t.hwnd != hwnd) || Remaining(t, now) > 0) continue;
    if (!due || Remaining(t, now) < Remaining(*due, now)) due = &t;
  }
  return due;
}

// Milliseconds until the next timer is due; none without timers.
std::optional<DWORD> NextTimerIn() {
  if (timers.empty()) return std::nullopt;
  const DWORD now = TimerNow();
  std::int32_t next = Remaining(timers.front(), now);
  for (const Timer& t : timers) next = std::min(next, Remaining(t, now));
  return static_cast<DWORD>(std::max(next, 0));
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

void DropTimers(const std::vector<HWND>& windows) {
  std::erase_if(timers, [&](const Timer& t) { return std::find(windows.begin(), windows.end(), t.hwnd) != windows.end(); });
}

void ResetQueue() {
  Queue& q = queue();
  std::lock_guard g(q.lock);
  q.messages.clear();
  q.quit = false;
  q.quitCode = 0;
  currentKeys = {};
  timers.clear();
  timerClock = nullptr;
}

}  // namespace detail

void SetTimerClock(std::function<DWORD()> clock) { timerClock = std::move(clock); }
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
  // Timers come last: a due timer makes one message, and the next is one interval later.
  if (!Matches(MSG{hwnd, WM_TIMER, 0, 0, 0, {}}, hwnd, filterMin, filterMax)) return FALSE;
  const DWORD now = TimerNow();
  Timer* due = DueTimer(hwnd, now);
  if (!due) return FALSE;
  *msg = MSG{due->hwnd, WM_TIMER, due->id, 0, now, {0, 0}};
  if (remove & PM_REMOVE) {
    due->due = now + due->interval;
    currentKeys = {};
  }
  return TRUE;
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  if (!hwnd || timerProc || !detail::IsOwnWindow(hwnd)) return 0;
  const DWORD interval = std::max(elapse, kMinimumInterval);
  const DWORD due = TimerNow() + interval;
  for (Timer& t : timers)
    if (t.hwnd == hwnd && t.id == id) {
      t.interval = interval;
      t.due = due;
      return id ? id : 1;
    }
  timers.push_back({hwnd, id, interval, due});
  return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  return std::erase_if(timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; }) ? TRUE : FALSE;
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
  const std::optional<DWORD> timer = NextTimerIn();
  if (timer == 0u) return TRUE;
  if (peer) {
    if (timer)
      peer->WaitEventsFor(static_cast<int>(*timer));
    else
      peer->WaitEvents();
    return TRUE;
  }
  std::unique_lock g(q.lock);
  const auto ready = [&] { return !q.messages.empty() || q.quit; };
  if (timer)
    q.posted.wait_for(g, std::chrono::milliseconds(*timer), ready);
  else
    q.posted.wait(g, ready);
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
