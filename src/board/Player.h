#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>

#include "board/GlobalTypes.h"
#include "platform/Timer.h"

namespace detonix {

class TPlayerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TPlayer;

// Tag of a player's flash timer.
struct TFlashRecord final : TTagRecord {
  TFlashRecord(TPlayer* player, int16_t remainingMs) : Player(player), RemainingMs(remainingMs) {}
  TPlayer* Player;
  int16_t RemainingMs;
};

// What every player on the board carries. The simulator reads and writes most fields directly;
// the operations below change several fields at once or own a resource.
class TPlayer {
 public:
  static constexpr int16_t FlashIntervalMs = 150;

  // Starts with a full reset. A subclass resets its own members in its own constructor.
  explicit TPlayer(TTimerQueue& timers);
  virtual ~TPlayer();
  TPlayer(const TPlayer&) = delete;
  TPlayer& operator=(const TPlayer&) = delete;

  virtual void SetActive(bool value);
  virtual bool CanMove(TDirection dir) = 0;
  virtual void Reset(bool full);

  void UpdatePose(TDirection dir);
  // Blinks for DurationMs on a 150 ms timer that calls Handler; throws TPlayerError when the
  // timer cannot be set up. Only called while not flashing.
  void StartFlash(int durationMs, TTimer::TTimerEvent handler);
  void StopFlash();
  void FlashToggle() { FlashState = FlashState == 1 ? 2 : 1; }
  void BombLaid() { --BombsLeft; }
  void BombReturned() { ++BombsLeft; }
  void AddBomb() {
    ++MaxBombs;
    ++BombsLeft;
  }
  void AddExplosionSize() { ++ExplosionSize; }
  void LoseLife() { --Lives; }

  bool Active() const { return FActive; }
  TTimer* FlashTimer() const { return FFlashTimer.get(); }
  TTimerQueue& Timers() const { return FTimers; }

  int8_t ImageBase = 0;  // first of this character's six pictures: character number times 6
  TPoint StartPos = NoPoint;
  uint8_t Pose = 0;  // 0 left, 1 right, 2 back on the left, 3 back on the right
  int8_t Lives = 3;
  bool Visible = true;
  bool ShowWhenInvisible = false;
  bool SeekerBombs = false;
  TPoint Position = NoPoint;
  int8_t BombsLeft = 5;
  int8_t ExplosionSize = 3;
  bool CanKick = false;
  int8_t MaxBombs = 5;
  bool Indestructible = false;
  uint8_t FlashState = 0;  // 0 not flashing, 1 shown, 2 hidden

 private:
  void ResetState(bool full);

  TTimerQueue& FTimers;
  bool FActive = false;
  std::unique_ptr<TTimer> FFlashTimer;
};

}  // namespace detonix
