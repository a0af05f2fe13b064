// The tick grid of a periodic timer: late ticks keep later ones in place, and a stall skips
// ahead instead of firing a burst.
#include <gtest/gtest.h>

#include "platform/winmm/TimerGrid.h"

namespace {

using namespace std::chrono_literals;
using winmm::NextDue;
using winmm::TimerClock;

struct GridCase {
  const char* what;
  std::chrono::milliseconds now;  // relative to the tick that just fired
  std::chrono::milliseconds next;
};

TEST(TimerGrid, NextTickStaysOnTheGrid) {
  const GridCase cases[] = {
      {"callback returned early", 5ms, 50ms},
      {"callback returned before it was due", -3ms, 50ms},
      {"next tick overdue by less than a period", 70ms, 50ms},
      {"next tick overdue by exactly a period", 100ms, 150ms},
      {"stalled for several periods", 260ms, 300ms},
  };
  const TimerClock::time_point due{1000s};
  for (const auto& c : cases)
    EXPECT_EQ(NextDue(due, 50ms, due + c.now), due + c.next) << c.what;
}

TEST(TimerGrid, ManyTicksDoNotDrift) {
  const TimerClock::time_point start{0s};
  auto due = start + 40ms;
  for (int n = 2; n <= 1000; ++n) due = NextDue(due, 40ms, due + 1ms);
  EXPECT_EQ(due, start + 1000 * 40ms);
}

}  // namespace
