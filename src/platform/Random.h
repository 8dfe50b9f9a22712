#pragma once

#include <cstdint>

namespace detonix {

// A small seedable generator (PCG32, XSH-RR output of a 64-bit LCG). Integer arithmetic only,
// so one seed gives the same numbers on every platform and compiler.
class TRandom {
 public:
  // A fixed seed until Seed or Randomize is called: nothing is random by accident.
  TRandom() { Seed(0); }
  explicit TRandom(uint64_t seed) { Seed(seed); }

  // Restarts the sequence belonging to SEED.
  void Seed(uint64_t seed);
  // The reference generator's two-word seeding (state and stream), for its published test vectors.
  void Seed(uint64_t initState, uint64_t initSequence);
  // Seeds from the clock and returns the seed chosen, so the sequence can be replayed.
  uint64_t Randomize();
  // The seed last given to Seed(uint64_t) or chosen by Randomize.
  uint64_t LastSeed() const { return FSeed; }

  // The next raw 32-bit output.
  uint32_t Next32();
  // Uniform in 0..N-1 without modulo bias; 0 when N <= 0.
  int32_t Random(int32_t n);

 private:
  uint64_t FState = 0;
  uint64_t FIncrement = 1;
  uint64_t FSeed = 0;
};

}  // namespace detonix
