#include "board/Player.h"

namespace detonix {

TPlayer::TPlayer(TTimerQueue& timers) : FTimers(timers) { ResetState(true); }

TPlayer::~TPlayer() { StopFlash(); }

void TPlayer::SetActive(bool value) {
  if (value == FActive) return;
  FActive = value;
  if (FFlashTimer) FFlashTimer->SetEnabled(value);
}

void TPlayer::Reset(bool full) { ResetState(full); }

void TPlayer::ResetState(bool full) {
  if (full) {
    Lives = 3;
    MaxBombs = 5;
    ExplosionSize = 3;
  }
  Visible = true;
  CanKick = false;
  Pose = 0;
  Position = StartPos;
  BombsLeft = MaxBombs;
  Indestructible = false;
  SeekerBombs = false;
  StopFlash();
}

void TPlayer::UpdatePose(TDirection dir) {
  switch (dir) {
    case dirLeft: Pose = 0; break;
    case dirRight: Pose = 1; break;
    case dirUp: Pose = (Pose == 0 || Pose == 2) ? 2 : 3; break;
    case dirDown:
      if (Pose == 2) Pose = 0;
      else if (Pose == 3) Pose = 1;
      break;
  }
}

void TPlayer::StartFlash(int durationMs, TTimer::TTimerEvent handler) {
  try {
    auto timer = std::make_unique<TTimer>(FTimers, FlashIntervalMs, std::move(handler));
    timer->Tag.Emplace<TFlashRecord>(this, static_cast<int16_t>(durationMs));
    FFlashTimer = std::move(timer);
  } catch (...) {
    throw TPlayerError("Error creating Flash Timer");
  }
  FlashState = 1;
}

void TPlayer::StopFlash() {
  if (!FFlashTimer) return;
  FFlashTimer.reset();  // the flash record goes with it
  FlashState = 0;
}

}  // namespace detonix
