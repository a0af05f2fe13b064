// The multimedia timer functions the programs call: periodic and one-shot timers whose
// callbacks run on a thread of their own, and the millisecond clock, with its test seam.
#pragma once

#include <functional>

#include "platform/win32/Win32Types.h"

using MMRESULT = UINT;
using LPTIMECALLBACK = void (*)(UINT uTimerID, UINT uMsg, DWORD_PTR dwUser, DWORD_PTR dw1,
                                DWORD_PTR dw2);

constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT TIMERR_NOCANDO = 97;

constexpr UINT TIME_ONESHOT = 0;
constexpr UINT TIME_PERIODIC = 1;
constexpr UINT TIME_CALLBACK_FUNCTION = 0;

// Starts a timer and returns its nonzero identifier, or 0 when `uDelay` is 0, `lpTimeProc` is
// null or `fuEvent` asks for anything but a callback function. The n-th tick is due n * uDelay
// ms after this call; a tick more than a period late is dropped rather than made up. The
// callback runs on the timer's own thread; `uResolution` is not used.
MMRESULT timeSetEvent(UINT uDelay, UINT uResolution, LPTIMECALLBACK lpTimeProc, DWORD_PTR dwUser,
                      UINT fuEvent);
// Stops a timer: once this returns no callback of it runs any more. Called from the timer's
// own callback it returns at once and the timer ends when the callback returns. An unknown
// identifier gives TIMERR_NOCANDO.
MMRESULT timeKillEvent(UINT uTimerID);

// Milliseconds of a steady clock; wraps around at 2^32.
DWORD timeGetTime();

namespace winmm {

// timeGetTime returns what `source` returns until the source is reset; it may be called from
// any thread.
void SetTimeSource(std::function<DWORD()> source);
void ResetTimeSource();

}  // namespace winmm
