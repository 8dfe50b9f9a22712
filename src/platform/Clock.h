#pragma once

#include <chrono>
#include <cstdint>

namespace detonix {

// Milliseconds on a monotonic time line; the timer queue reads nothing else.
class TClock {
 public:
  virtual ~TClock() = default;
  virtual int64_t NowMs() const = 0;
};

// The machine's monotonic clock, counted from the clock's creation.
class TRealClock final : public TClock {
 public:
  TRealClock();
  int64_t NowMs() const override;

 private:
  std::chrono::steady_clock::time_point FStart;
};

// A clock that moves only when told to, so tests and the headless tool can play hours in milliseconds.
class TVirtualClock final : public TClock {
 public:
  explicit TVirtualClock(int64_t startMs = 0) : FNow(startMs) {}
  int64_t NowMs() const override { return FNow; }
  // Time never runs backwards: a negative delta is a caller's bug and throws std::invalid_argument.
  void Advance(int64_t deltaMs);
  // Moves to T; a T in the past leaves the clock where it is.
  void AdvanceTo(int64_t t);

 private:
  int64_t FNow;
};

}  // namespace detonix
