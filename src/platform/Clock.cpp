#include "platform/Clock.h"

#include <stdexcept>

namespace detonix {

TRealClock::TRealClock() : FStart(std::chrono::steady_clock::now()) {}

int64_t TRealClock::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - FStart).count();
}

void TVirtualClock::Advance(int64_t deltaMs) {
  if (deltaMs < 0) throw std::invalid_argument("TVirtualClock::Advance: negative delta");
  FNow += deltaMs;
}

void TVirtualClock::AdvanceTo(int64_t t) {
  if (t > FNow) FNow = t;
}

}  // namespace detonix
