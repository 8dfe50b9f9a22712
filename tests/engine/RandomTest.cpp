#include "platform/Random.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace detonix {
namespace {

TEST(Random, MatchesTheReferenceGenerator) {
  // The first outputs of the reference PCG32 seeded with state 42 and stream 54.
  TRandom r;
  r.Seed(42u, 54u);
  const std::array<uint32_t, 6> expected = {0xa15c02b7, 0x7b47f409, 0xba1d3330, 0x83d2f293, 0xbfa4784b, 0xcbed606e};
  for (const uint32_t e : expected) EXPECT_EQ(r.Next32(), e);
}

TEST(Random, SameSeedSameSequence) {
  TRandom a(12345);
  TRandom b;
  b.Next32();
  b.Seed(12345);
  bool same = true;
  for (int i = 0; i < 1000; ++i) same = same && a.Random(1000) == b.Random(1000);
  EXPECT_TRUE(same);
  EXPECT_EQ(a.LastSeed(), 12345u);

  TRandom c(12346);
  TRandom d(12345);
  int equal = 0;
  for (int i = 0; i < 100; ++i) equal += c.Next32() == d.Next32();
  EXPECT_LT(equal, 3) << "neighbouring seeds must not give neighbouring sequences";
}

TEST(Random, StaysInRange) {
  TRandom r(9);
  for (const int32_t n : {1, 2, 3, 5, 6, 7, 100, 1000003, 2147483647}) {
    for (int i = 0; i < 2000; ++i) {
      const int32_t v = r.Random(n);
      ASSERT_GE(v, 0) << n;
      ASSERT_LT(v, n) << n;
    }
  }
  EXPECT_EQ(r.Random(0), 0);
  EXPECT_EQ(r.Random(-5), 0);
}

TEST(Random, SpreadsEvenly) {
  TRandom r(2024);
  std::array<int, 6> counts{};
  for (int i = 0; i < 60000; ++i) ++counts[static_cast<size_t>(r.Random(6))];
  for (const int c : counts) {
    EXPECT_GT(c, 9500);
    EXPECT_LT(c, 10500);
  }
  // A range just above 2^31 would show modulo bias as a lopsided lower half.
  const int32_t big = 1500000000;
  int low = 0;
  for (int i = 0; i < 40000; ++i) low += r.Random(big) < big / 2;
  EXPECT_GT(low, 19400);
  EXPECT_LT(low, 20600);
}

TEST(Random, RandomizeReportsAReplayableSeed) {
  TRandom r;
  const uint64_t seed = r.Randomize();
  EXPECT_EQ(r.LastSeed(), seed);
  const uint32_t first = r.Next32();
  TRandom again(seed);
  EXPECT_EQ(again.Next32(), first);
}

}  // namespace
}  // namespace detonix
