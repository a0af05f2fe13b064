// The periodic timer: the events of each tick driven through the timer procedure, the count
// restarting on enable, and one run on the real multimedia timer.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "components/DDtimer.h"
#include "tests/components/PaletteCheck.h"

namespace {

constexpr int kNeverTicks = 1000000;  // a period no test waits for: ticks come from Tick()

class DDtimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Timer = std::make_unique<TDDtimer>(nullptr);
    Timer->SetInterval(kNeverTicks);
    Bind(Timer->OnTimer, "T");
    Bind(Timer->OnDivide2, "D");
    Bind(Timer->On5tick, "5");
    Bind(Timer->On10tick, "10");
    Bind(Timer->On15tick, "15");
    Bind(Timer->On20tick, "20");
    Bind(Timer->On25tick, "25");
  }
  void TearDown() override { Timer->SetEnabled(false); }

  void Bind(TNotifyEvent& event, const char* name) {
    event = [this, name](TObject* Sender) {
      EXPECT_EQ(Sender, Timer.get());
      Events += Events.empty() ? std::string(name) : std::string(" ") + name;
    };
  }
  // The events of one tick, e.g. "T D 5".
  std::string Tick() {
    Events.clear();
    DDtimerCallback(1, 0, reinterpret_cast<DWORD_PTR>(Timer.get()), 0, 0);
    return Events;
  }
  // The events of `count` ticks, each tick's ended by "|".
  std::string Ticks(int count) {
    std::string all;
    for (int i = 0; i < count; ++i) all += Tick() + "|";
    return all;
  }

  std::unique_ptr<TDDtimer> Timer;
  std::string Events;
};

TEST_F(DDtimerTest, ConstructedStoppedWithInterval40) {
  TDDtimer timer(nullptr);
  EXPECT_FALSE(timer.GetEnabled());
  EXPECT_EQ(timer.GetInterval(), 40);
}

TEST_F(DDtimerTest, EachTickCallsItsEventsInOrder) {
  Timer->SetEnabled(true);
  std::vector<std::string> ticks{""};  // ticks[n] = the events of tick n
  for (int n = 1; n <= 30; ++n) ticks.push_back(Tick());
  EXPECT_EQ(ticks[1], "T D");
  EXPECT_EQ(ticks[2], "T");
  EXPECT_EQ(ticks[3], "T D");
  EXPECT_EQ(ticks[5], "T D 5");
  EXPECT_EQ(ticks[10], "T 10");
  EXPECT_EQ(ticks[15], "T D 15");
  EXPECT_EQ(ticks[20], "T 20");
  EXPECT_EQ(ticks[25], "T D 25");
  EXPECT_EQ(ticks[26], "T");
  EXPECT_EQ(ticks[27], "T D");
}

TEST_F(DDtimerTest, AfterTick25NoTickEventFiresAgainWithOrWithoutOn25tick) {
  for (bool assigned : {true, false}) {
    SCOPED_TRACE(assigned);
    if (!assigned) Timer->On25tick = nullptr;
    Timer->SetEnabled(true);
    Ticks(25);
    const std::string later = Ticks(100);
    EXPECT_EQ(later.find_first_of("0125"), std::string::npos) << later;
    Timer->SetEnabled(false);
  }
}

TEST_F(DDtimerTest, EnablingAgainRestartsTheCountAndTheParity) {
  Timer->SetEnabled(true);
  Ticks(7);
  Timer->SetEnabled(false);
  Timer->SetEnabled(true);
  EXPECT_EQ(Ticks(5), "T D|T|T D|T|T D 5|");
}

TEST_F(DDtimerTest, EnablingAnEnabledTimerDoesNothing) {
  Timer->SetEnabled(true);
  Ticks(3);
  Timer->SetEnabled(true);
  EXPECT_EQ(Ticks(2), "T|T D 5|");
}

// Waits (generously) until `counter` reaches `target`.
bool ReachesWithin(const std::atomic<int>& counter, int target, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (counter.load() < target) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

TEST(DDtimerRealTimer, TicksKeepTheirPeriodWhenTheIntervalChangesAndStopWhenDisabled) {
  std::atomic<int> ticks{0};
  std::atomic<int> fifths{0};
  TDDtimer timer(nullptr);
  timer.SetInterval(5);
  timer.OnTimer = [&](TObject*) { ticks.fetch_add(1); };
  timer.On5tick = [&](TObject*) { fifths.fetch_add(1); };
  timer.SetEnabled(true);
  ASSERT_TRUE(ReachesWithin(ticks, 3, std::chrono::seconds(10)));
  timer.SetInterval(kNeverTicks);  // the running timer keeps its 5 ms period
  EXPECT_EQ(timer.GetInterval(), kNeverTicks);
  const int before = ticks.load();
  EXPECT_TRUE(ReachesWithin(ticks, before + 3, std::chrono::seconds(10)));
  ASSERT_TRUE(ReachesWithin(fifths, 1, std::chrono::seconds(10)));
  timer.SetEnabled(false);
  const int stopped = ticks.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(ticks.load(), stopped);
  EXPECT_EQ(fifths.load(), 1);
}

TEST(DDtimerRealTimer, DestroyingARunningTimerStopsIt) {
  std::atomic<int> ticks{0};
  auto timer = std::make_unique<TDDtimer>(nullptr);
  timer->SetInterval(1);
  timer->OnTimer = [&](TObject*) { ticks.fetch_add(1); };
  timer->SetEnabled(true);
  ASSERT_TRUE(ReachesWithin(ticks, 1, std::chrono::seconds(10)));
  timer.reset();
  const int stopped = ticks.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(ticks.load(), stopped);
}

TEST(DDtimerRegister, PutsTheClassOnThePalettePage) {
  DDtimer::Register();
  palette_test::ExpectOnPalettePage<TDDtimer>("TDDtimer", "roVivavaV");
}

}  // namespace
