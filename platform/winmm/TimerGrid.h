// Where a periodic timer's next tick falls: on the fixed grid start + n * period, skipping
// ticks that are already a whole period overdue.
#pragma once

#include <chrono>

namespace winmm {

using TimerClock = std::chrono::steady_clock;

// The tick after the one due at `due`. A tick late by less than a period still fires (at
// once); when even that one is a period or more overdue, the first grid point after `now`
// is taken, so a stalled timer does not fire a burst.
inline TimerClock::time_point NextDue(TimerClock::time_point due, TimerClock::duration period,
                                      TimerClock::time_point now) {
  due += period;
  if (now - due >= period) due += ((now - due) / period + 1) * period;
  return due;
}

}  // namespace winmm
