#include "platform/Random.h"

#include <chrono>

namespace detonix {

namespace {

constexpr uint64_t Multiplier = 6364136223846793005ULL;
// The stream used when only one seed word is given.
constexpr uint64_t DefaultSequence = 0x5851F42D4C957F2DULL;

// Spreads nearby seeds (1, 2, 3...) over the whole state space.
uint64_t SplitMix64(uint64_t x) {
  x += 0x9E3779B97F4A7C15ULL;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
  return x ^ (x >> 31);
}

}  // namespace

void TRandom::Seed(uint64_t seed) {
  Seed(SplitMix64(seed), DefaultSequence);
  FSeed = seed;
}

void TRandom::Seed(uint64_t initState, uint64_t initSequence) {
  FState = 0;
  FIncrement = (initSequence << 1u) | 1u;
  Next32();
  FState += initState;
  Next32();
  FSeed = initState;
}

uint64_t TRandom::Randomize() {
  // Wall time and monotonic time together, plus this object's address, so two games started
  // in the same clock tick (a preview beside a full-screen run) still differ.
  const auto wall = static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
  const auto mono = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  const auto self = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(this));
  const uint64_t seed = SplitMix64(wall ^ SplitMix64(mono ^ SplitMix64(self)));
  Seed(seed);
  return seed;
}

uint32_t TRandom::Next32() {
  const uint64_t old = FState;
  FState = old * Multiplier + FIncrement;
  const auto xorShifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
  const auto rot = static_cast<uint32_t>(old >> 59u);
  return (xorShifted >> rot) | (xorShifted << ((32u - rot) & 31u));
}

int32_t TRandom::Random(int32_t n) {
  if (n <= 0) return 0;
  // Multiply-and-shift reduction; the rare low products that would favour some results are
  // drawn again, so every result in 0..N-1 is equally likely.
  const auto range = static_cast<uint32_t>(n);
  uint64_t m = static_cast<uint64_t>(Next32()) * range;
  auto low = static_cast<uint32_t>(m);
  if (low < range) {
    const uint32_t threshold = (0u - range) % range;
    while (low < threshold) {
      m = static_cast<uint64_t>(Next32()) * range;
      low = static_cast<uint32_t>(m);
    }
  }
  return static_cast<int32_t>(m >> 32u);
}

}  // namespace detonix
