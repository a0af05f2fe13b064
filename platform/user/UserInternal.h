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

// Forgets queued messages of the given windows (they were destroyed).
void DropMessages(const std::vector<HWND>& windows);
// Stops the timers of the given windows (they were destroyed).
void DropTimers(const std::vector<HWND>& windows);
void ResetQueue();
void ResetWindows();
void ResetSystem();

// The test sinks in place, or null.
ScopedShellExecuteSink* ShellSink();
ScopedColorDialogAnswer* ColorAnswer();

}  // namespace user::detail
