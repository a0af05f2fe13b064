// The millisecond clock and the seam that replaces it in tests.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/winmm/MMSystem.h"

namespace {

class SystemTimeTest : public ::testing::Test {
 protected:
  void TearDown() override { winmm::ResetTimeSource(); }
};

DWORD SteadyMilliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

TEST_F(SystemTimeTest, FollowsTheSteadyClock) {
  const DWORD before = SteadyMilliseconds();
  const DWORD t = timeGetTime();
  const DWORD after = SteadyMilliseconds();
  // Unsigned differences, as a caller takes them, so a wrap between the reads is harmless.
  EXPECT_LE(static_cast<DWORD>(t - before), static_cast<DWORD>(after - before));
}

TEST_F(SystemTimeTest, SourceReplacesTheClockUntilReset) {
  DWORD next = 0xFFFFFFF0u;
  winmm::SetTimeSource([&next] { return next += 8; });
  EXPECT_EQ(timeGetTime(), 0xFFFFFFF8u);
  EXPECT_EQ(timeGetTime(), 0u);  // wraps like the platform's counter
  EXPECT_EQ(timeGetTime(), 8u);

  winmm::ResetTimeSource();
  const DWORD before = SteadyMilliseconds();
  EXPECT_LE(static_cast<DWORD>(timeGetTime() - before), 1000u);
}

TEST_F(SystemTimeTest, EmptySourceMeansTheClock) {
  winmm::SetTimeSource(nullptr);
  const DWORD before = SteadyMilliseconds();
  EXPECT_LE(static_cast<DWORD>(timeGetTime() - before), 1000u);
}

}  // namespace
