// Swaps and extremes: ties return the first (lists) or the second (pairs) value, the 80-bit
// reals keep their precision, and variants compare as the run-time compares them.
#include "imaging/Maxmin.h"

#include <gtest/gtest.h>

namespace {

TEST(Maxmin, PairsAndSwaps) {
  struct Case {
    int a, b, max, min;
  };
  for (const Case& c : {Case{3, 3, 3, 3}, Case{-5, 2, 2, -5}, Case{7, -7, 7, -7}}) {
    EXPECT_EQ(Max(c.a, c.b), c.max) << c.a << "," << c.b;
    EXPECT_EQ(Min(c.a, c.b), c.min) << c.a << "," << c.b;
  }
  int x = 1, y = 2;
  SwapInt(x, y);
  std::int64_t big = 1LL << 40, small = -3;
  SwapInt64(big, small);
  EXPECT_EQ(x, 2);
  EXPECT_EQ(y, 1);
  EXPECT_EQ(big, -3);
  EXPECT_EQ(small, 1LL << 40);
}

TEST(Maxmin, ListsOfNumbersAndDates) {
  EXPECT_EQ(MaxInteger({42}), 42);
  EXPECT_EQ(MinInteger({42}), 42);
  EXPECT_EQ(MaxInteger({-1, 9, 4, 9}), 9);
  EXPECT_EQ(MinInt64({5, -(1LL << 50), 0}), -(1LL << 50));
  // A difference a 64-bit real cannot hold.
  const long double one = 1.0L, oneAndABit = 1.0L + 0x1p-60L;
  EXPECT_EQ(MaxFloat({one, oneAndABit, one}), oneAndABit);
  EXPECT_EQ(MinFloat({oneAndABit, one}), one);
  const TDateTime first = EncodeDate(1999, 12, 31), second = EncodeDate(2000, 2, 29), third = EncodeDate(2000, 1, 1);
  EXPECT_EQ(MaxDateTime({first, second, third}), second);
  EXPECT_EQ(MinDateTime({second, first, third}), first);
  EXPECT_EQ(MaxInteger({}), 0);
}

TEST(Maxmin, VariantsCompareAsTheRunTimeDoes) {
  // Equal values of two types: the first one stays.
  EXPECT_EQ(MaxOf({Variant(1), Variant(1.0)}).VarType(), varInteger);
  EXPECT_EQ(MinOf({Variant(1.0), Variant(1)}).VarType(), varDouble);
  // Texts against numbers compare as numbers, texts against texts byte by byte.
  EXPECT_EQ(MaxOf({Variant(9), Variant("10"), Variant(2.5)}).AsString(), "10");
  EXPECT_EQ(MaxOf({Variant("apple"), Variant("pear"), Variant("Zebra")}).AsString(), "pear");
  // Null is below every value.
  EXPECT_TRUE(MinOf({Variant(3), Variant::Null(), Variant(-8)}).IsNull());
  EXPECT_EQ(MaxOf({Variant::Null(), Variant(-8)}).AsDouble(), -8);
  EXPECT_EQ(MaxOf({Variant::FromDateTime(EncodeDate(2001, 1, 1)), Variant(36000)}).VarType(), varDate);
  EXPECT_THROW(MaxOf({Variant(1), Variant("one")}), EVariantTypeCastError);
  EXPECT_THROW(MaxOf({Variant(1), Variant::ArrayOf({Variant(2)})}), EVariantInvalidOpError);
}

}  // namespace
