// What the window layer's units share among themselves and nothing else sees: the peer pointer,
// the handler behind a window and the hooks that keep the queue in step with the window table.
#pragma once

#include "platform/user/UserPeer.h"

namespace user::detail {

std::uintptr_t IdOf(HWND hwnd);
HWND HandleOf(std::uintptr_t id);

// The handler of one of this program's windows; empty when the handle names none.
MessageHandler HandlerOf(HWND hwnd);
bool IsOwnWindow(HWND hwnd);

// What the window manager keeps of a window beside what the window shows.
struct WindowExtra {
  HWND owner = nullptr;  // of a top-level window
  DWORD exStyle = 0;
  ShowState show = ShowState::Normal;
  DWORD thread = 0;  // the thread that made the window
  HWND lastActivePopup = nullptr;  // the window it owns that was active last
};
struct WindowEntry {
  HWND hwnd;
  WindowState state;
  WindowExtra extra;
};
// This program's windows in the order they were made.
std::vector<WindowEntry> OwnWindows();
std::optional<WindowEntry> EntryOf(HWND hwnd);
// False when the handle names none of this program's windows.
bool UpdateExtra(HWND hwnd, const std::function<void(WindowExtra&)>& change);
// The active window forgets windows that are gone.
void ForgetActive(const std::vector<HWND>& windows);
void ResetActive();

// Forgets queued messages of the given windows (they were destroyed).
void DropMessages(const std::vector<HWND>& windows);
void ResetQueue();
void ResetWindows();
void ResetSystem();

}  // namespace user::detail
