// The run-time generator as a program linking the platform layer gets it through the plain
// rand() and srand(): the sequences, the range, and a state of its own in every thread.
#include "platform/win32/Crt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <latch>
#include <thread>
#include <vector>

namespace {

std::vector<int> Draw(int count) {
  std::vector<int> out;
  for (int i = 0; i < count; ++i) out.push_back(rand());
  return out;
}

const std::vector<int> kFromOne = {346, 130, 10982, 1090, 11656, 7117};

struct SeedCase {
  unsigned seed;
  std::vector<int> draws;
};

class CrtSeed : public testing::TestWithParam<SeedCase> {};

TEST_P(CrtSeed, DrawsTheRunTimeSequence) {
  srand(GetParam().seed);
  EXPECT_EQ(Draw(static_cast<int>(GetParam().draws.size())), GetParam().draws);
}

INSTANTIATE_TEST_SUITE_P(Seeds, CrtSeed,
                         testing::Values(SeedCase{1, kFromOne},
                                         SeedCase{12345, {15301, 24996, 10921, 23577, 19316, 10386}},
                                         SeedCase{0, {0, 346, 130, 10982}},
                                         SeedCase{0xFFFFFFFFu, {32421, 561, 22046, 20874}}));

TEST(Crt, ReseedingStartsTheSequenceAgain) {
  srand(1);
  Draw(100);
  srand(1);
  EXPECT_EQ(Draw(6), kFromOne);
}

TEST(Crt, StdRandIsTheSameGenerator) {
  srand(1);
  EXPECT_EQ(std::rand(), kFromOne[0]);
}

TEST(Crt, ResultsStayWithinFifteenBits) {
  srand(20240601);
  int highest = 0;
  for (int i = 0; i < 200000; ++i) {
    const int r = rand();
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 0x7FFF);
    highest = std::max(highest, r);
  }
  EXPECT_GT(highest, 0x7F00);  // the whole range is used, not a smaller one
}

TEST(Crt, AFreshThreadStartsUnseeded) {
  srand(999);
  std::vector<int> drawn;
  std::thread([&] { drawn = Draw(6); }).join();
  EXPECT_EQ(drawn, kFromOne);
}

TEST(Crt, ThreadsKeepTheirOwnState) {
  // The seeded thread seeds, then waits while the other draws, then draws itself: with one
  // shared state either sequence would be disturbed.
  std::latch seeded(1);
  std::latch otherDrew(1);
  std::vector<int> seededDraws;
  std::vector<int> unseededDraws;
  std::thread seededThread([&] {
    srand(12345);
    seeded.count_down();
    otherDrew.wait();
    seededDraws = Draw(3);
  });
  std::thread unseededThread([&] {
    seeded.wait();
    unseededDraws = Draw(3);
    otherDrew.count_down();
  });
  seededThread.join();
  unseededThread.join();
  EXPECT_EQ(seededDraws, (std::vector<int>{15301, 24996, 10921}));
  EXPECT_EQ(unseededDraws, (std::vector<int>{346, 130, 10982}));
}

}  // namespace
