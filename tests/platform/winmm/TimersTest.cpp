// Periodic and one-shot timers: ticks arrive with their identifier and user value, and a
// killed timer, also one killed from its own callback, calls nothing more.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/winmm/MMSystem.h"

namespace {

using namespace std::chrono_literals;

// What a callback saw; the test owns it and passes its address as the user value.
struct Probe {
  std::atomic<int> ticks{0};
  std::atomic<UINT> id{0};
  std::atomic<bool> killed{false};       // set by the test once timeKillEvent returned
  std::atomic<bool> tickAfterKill{false};
  std::atomic<bool> inCallback{false};
  std::atomic<MMRESULT> selfKill{0xFFFF};
  std::atomic<bool> killSelf{false};
  std::atomic<bool> slow{false};
};

void ProbeTick(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  auto& probe = *reinterpret_cast<Probe*>(user);
  probe.inCallback = true;
  if (probe.killed) probe.tickAfterKill = true;
  probe.id = id;
  if (probe.slow) std::this_thread::sleep_for(50ms);
  if (probe.killSelf) probe.selfKill = timeKillEvent(id);
  ++probe.ticks;
  probe.inCallback = false;
}

DWORD_PTR UserOf(Probe& probe) { return reinterpret_cast<DWORD_PTR>(&probe); }

// Polls without asserting any period: only that the condition comes true eventually.
template <typename Condition>
bool Eventually(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

TEST(Timers, PeriodicTicksCarryTheirIdAndUserValue) {
  Probe a, b;
  const MMRESULT idA = timeSetEvent(10, 0, ProbeTick, UserOf(a), TIME_PERIODIC);
  const MMRESULT idB = timeSetEvent(10, 0, ProbeTick, UserOf(b), TIME_PERIODIC);
  ASSERT_NE(idA, 0u);
  ASSERT_NE(idB, 0u);
  EXPECT_NE(idA, idB);
  EXPECT_TRUE(Eventually([&] { return a.ticks >= 3 && b.ticks >= 3; }));
  EXPECT_EQ(timeKillEvent(idA), TIMERR_NOERROR);
  EXPECT_EQ(timeKillEvent(idB), TIMERR_NOERROR);
  EXPECT_EQ(a.id, idA);
  EXPECT_EQ(b.id, idB);
}

TEST(Timers, NoCallbackAfterKillReturns) {
  Probe probe;
  const MMRESULT id = timeSetEvent(1, 0, ProbeTick, UserOf(probe), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(Eventually([&] { return probe.ticks >= 2; }));
  ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  probe.killed = true;
  const int ticks = probe.ticks;
  std::this_thread::sleep_for(30ms);
  EXPECT_FALSE(probe.tickAfterKill);
  EXPECT_EQ(probe.ticks, ticks);
}

TEST(Timers, KillWaitsForARunningCallback) {
  Probe probe;
  probe.slow = true;
  const MMRESULT id = timeSetEvent(1, 0, ProbeTick, UserOf(probe), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  ASSERT_TRUE(Eventually([&] { return probe.inCallback.load(); }));
  ASSERT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  EXPECT_FALSE(probe.inCallback);
}

TEST(Timers, KillFromItsOwnCallbackEndsTheTimer) {
  Probe probe;
  probe.killSelf = true;
  const MMRESULT id = timeSetEvent(5, 0, ProbeTick, UserOf(probe), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  // Done also means the callback has let go of the probe.
  ASSERT_TRUE(Eventually([&] { return probe.ticks >= 1 && !probe.inCallback; }));
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(probe.ticks, 1);
  EXPECT_EQ(probe.selfKill, TIMERR_NOERROR);
  EXPECT_EQ(timeKillEvent(id), TIMERR_NOCANDO);
}

TEST(Timers, OneShotFiresOnce) {
  Probe probe;
  const MMRESULT id = timeSetEvent(5, 0, ProbeTick, UserOf(probe), TIME_ONESHOT);
  ASSERT_NE(id, 0u);
  // Done also means the callback has let go of the probe.
  ASSERT_TRUE(Eventually([&] { return probe.ticks >= 1 && !probe.inCallback; }));
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(probe.ticks, 1);
  EXPECT_EQ(probe.id, id);
}

TEST(Timers, RefusesWhatItCannotDo) {
  Probe probe;
  EXPECT_EQ(timeSetEvent(0, 0, ProbeTick, UserOf(probe), TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(10, 0, nullptr, 0, TIME_PERIODIC), 0u);
  EXPECT_EQ(timeSetEvent(10, 0, ProbeTick, UserOf(probe), TIME_PERIODIC | 0x10), 0u);
  EXPECT_EQ(timeKillEvent(0), TIMERR_NOCANDO);
  EXPECT_EQ(timeKillEvent(0xDEADBEEF), TIMERR_NOCANDO);
  EXPECT_EQ(probe.ticks, 0);
}

TEST(Timers, KillingTwiceReportsTheSecond) {
  Probe probe;
  const MMRESULT id = timeSetEvent(1000, 0, ProbeTick, UserOf(probe), TIME_PERIODIC);
  ASSERT_NE(id, 0u);
  EXPECT_EQ(timeKillEvent(id), TIMERR_NOERROR);
  EXPECT_EQ(timeKillEvent(id), TIMERR_NOCANDO);
}

void CountTick(UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
  ++*reinterpret_cast<std::atomic<int>*>(user);
}

TEST(TimersDeathTest, ProcessExitWithARunningTimer) {
  // Runs the child from a fresh start of the program, so no other test's threads are copied.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static std::atomic<int> ticks{0};
        timeSetEvent(1, 0, CountTick, reinterpret_cast<DWORD_PTR>(&ticks), TIME_PERIODIC);
        while (ticks < 3) std::this_thread::sleep_for(1ms);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
