// The vectorised row routines against the baseline ones over random rows: every width from
// empty to several vectors, unaligned starts, keys with look-alike pixels beside them, and
// identity, product and arbitrary gamma ramps, into images with and without opacity. Both
// must leave the same bytes everywhere, the bytes around the row included.
#include <algorithm>
#include <random>
#include <vector>

#include "platform/ddraw/RowKernels.h"
#include "tests/platform/ddraw/DDrawTest.h"

namespace {

using ddraw_test::Level;

constexpr int kGuard = 64;  // bytes on each side of a row that no routine may touch

class RowKernelsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vector = ddraw::VectorKernels();
    if (!vector) GTEST_SKIP() << "this processor has no vectorised set";
  }
  int Width() {
    // Mostly short rows, so every tail length after the vectors comes up often.
    return std::uniform_int_distribution<int>(0, 3)(random) ? std::uniform_int_distribution<int>(0, 70)(random)
                                                            : std::uniform_int_distribution<int>(71, 1100)(random);
  }
  std::byte Byte() { return static_cast<std::byte>(std::uniform_int_distribution<int>(0, 255)(random)); }
  std::vector<std::byte> Bytes(std::size_t n) {
    std::vector<std::byte> bytes(n);
    for (std::byte& b : bytes) b = Byte();
    return bytes;
  }

  const ddraw::RowKernels* vector = nullptr;
  std::mt19937 random{20240615};
};

// A source row where pixels are the key, the key with one byte changed, or anything, mixed
// pixel by pixel or in runs of one kind as long as a few vectors.
std::vector<std::byte> KeyedSource(std::mt19937& random, int width, int bytes, std::uint32_t key, int offset) {
  std::vector<std::byte> row(static_cast<std::size_t>(offset + width * bytes + kGuard));
  std::uniform_int_distribution<int> byte(0, 255), kind(0, 3), which(0, bytes - 1), run(0, 60);
  for (std::byte& b : row) b = static_cast<std::byte>(byte(random));
  const bool runs = kind(random) < 2;
  for (int x = 0, left = 0, k = 0; x < width; ++x, --left) {
    std::byte* p = row.data() + offset + x * bytes;
    if (!runs || left <= 0) {
      k = kind(random);
      left = run(random);
    }
    if (k == 3) continue;
    for (int i = 0; i < bytes; ++i) p[i] = static_cast<std::byte>(key >> (8 * i));
    if (k == 2) p[which(random)] ^= static_cast<std::byte>(1 << std::uniform_int_distribution<int>(0, 7)(random));
  }
  return row;
}

TEST_F(RowKernelsTest, KeyedRowsLeaveTheSameBytes) {
  const ddraw::RowKernels& baseline = ddraw::BaselineKernels();
  for (int bytes : {2, 3, 4}) {
    const auto mask = bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * bytes)) - 1;
    for (int round = 0; round < 3000; ++round) {
      const int width = Width();
      const int from = std::uniform_int_distribution<int>(0, 7)(random);
      const int to = std::uniform_int_distribution<int>(0, 7)(random);
      const std::uint32_t key = static_cast<std::uint32_t>(random()) & mask;
      const std::vector<std::byte> source = KeyedSource(random, width, bytes, key, from);
      std::vector<std::byte> expected = Bytes(static_cast<std::size_t>(2 * kGuard + to + width * bytes));
      std::vector<std::byte> actual = expected;
      const auto at = static_cast<std::size_t>(kGuard + to);
      baseline.keyed[bytes - 1](expected.data() + at, source.data() + from, width, key);
      vector->keyed[bytes - 1](actual.data() + at, source.data() + from, width, key);
      ASSERT_EQ(actual, expected) << bytes << " bytes, width " << width << ", key " << std::hex << key;
    }
  }
}

TEST_F(RowKernelsTest, ConvertedRowsAreTheSameForEveryKindOfRamp) {
  const ddraw::RowKernels& baseline = ddraw::BaselineKernels();
  std::uniform_int_distribution<int> factor(0, 65535);
  auto randomFactor = [&] { return static_cast<std::uint16_t>(factor(random)); };
  DDGAMMARAMP arbitrary = Level(256, 256, 256);
  for (WORD& entry : arbitrary.green) entry = static_cast<WORD>(factor(random));
  DDGAMMARAMP dimmed = Level(200, 256, 256);
  dimmed.blue[17] ^= 0x0100;  // one entry off the product: tables for the whole ramp
  const DDGAMMARAMP ramps[] = {Level(257, 257, 257), Level(256, 256, 256),
                               Level(255, 200, 100), Level(300, 0, 65535),
                               Level(randomFactor(), randomFactor(), randomFactor()), arbitrary, dimmed};
  for (const DDGAMMARAMP& ramp : ramps) {
    const ddraw::Levels levels = ddraw::LevelsOf(ramp);
    for (int bytes : {2, 3, 4}) {
      for (int round = 0; round < 500; ++round) {
        const int width = Width();
        const int from = std::uniform_int_distribution<int>(0, 7)(random);
        const std::vector<std::byte> source = Bytes(static_cast<std::size_t>(from + width * bytes + kGuard));
        std::vector<std::uint32_t> expected(static_cast<std::size_t>(width + 2 * kGuard), 0xDEADBEEF);
        std::vector<std::uint32_t> actual = expected;
        const std::uint32_t alpha = round % 2 ? 0xFF000000 : 0;
        baseline.convert[bytes - 2](expected.data() + kGuard, source.data() + from, width, levels, alpha);
        vector->convert[bytes - 2](actual.data() + kGuard, source.data() + from, width, levels, alpha);
        ASSERT_EQ(actual, expected) << bytes << " bytes, width " << width << ", ramp " << (&ramp - ramps);
      }
    }
  }
}

TEST(LevelsTest, RampsAreSeenForWhatTheyAre) {
  struct Case {
    DDGAMMARAMP ramp;
    bool identity, products;
  };
  DDGAMMARAMP bumpy = Level(256, 256, 256);
  bumpy.red[9] += 0x40;  // below the level's byte: still the identity, no longer a product
  const Case cases[] = {{Level(256, 256, 256), true, true},
                        {Level(257, 257, 257), true, true},
                        {Level(255, 256, 256), false, true},
                        {bumpy, true, false}};
  for (const Case& c : cases) {
    const ddraw::Levels levels = ddraw::LevelsOf(c.ramp);
    EXPECT_EQ(levels.identity, c.identity) << (&c - cases);
    EXPECT_EQ(levels.products, c.products) << (&c - cases);
  }
  const ddraw::Levels dimmed = ddraw::LevelsOf(Level(128, 300, 0));
  EXPECT_EQ(dimmed.red[255], 127);    // 32640 >> 8
  EXPECT_EQ(dimmed.green[255], 42);   // 76500 mod 65536 = 10964, >> 8
  EXPECT_EQ(dimmed.blue[255], 0);
  EXPECT_EQ(dimmed.greenFactor, 300);
}

}  // namespace
